// Reading the batch tool's options and the marking notation of --marks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_context.h"
#include "core/model/event_table.h"

namespace morvalen::cli {

// Fills ctx.options from argv after the command; throws UsageError on an unknown or incomplete
// option or a value outside its range.
void parse_options(const std::vector<std::string>& args, CliContext& ctx);

// Applies "1:0,*2:0;0:0;…" to the table as clicks in the order listed; throws UsageError.
void apply_marks(std::string_view marks, core::EventTable& table);

// Applies the settings of the options to the session (stake, guarantee, steps, min, max, seed, …).
void apply_settings(CliContext& ctx);

// The percentage every outcome gets when --probabilities is not given: an even 1/17.
inline constexpr std::string_view default_outcome_percent = "5.8824";

// Reads --probabilities into setting_probability: up to 8 groups separated by ";", each up to 17
// percentages separated by "," in column order; a missing group or value is 0. Without the option
// every outcome gets default_outcome_percent. Throws UsageError on anything else.
void apply_probabilities(CliContext& ctx);
// Reads --pool into pool_probability exactly as --probabilities is read.
void apply_pool_shares(CliContext& ctx);

// Reads --pool into pool_probability exactly as --probabilities is read; equal shares without it.
void apply_pool_shares(CliContext& ctx);

// Reads the conditions file of --conditions into the session (switched on), and the probabilities
// and pool shares they are measured by. Throws UsageError with the line and what was expected.
void apply_conditions(CliContext& ctx);

std::int64_t parse_integer(const std::string& option, const std::string& text, std::int64_t low, std::int64_t high);

}  // namespace morvalen::cli
