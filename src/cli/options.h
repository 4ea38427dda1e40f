// Reading the batch tool's options and the marking notation of --marks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_context.h"
#include "core/event_table.h"

namespace morvalen::cli {

// Fills ctx.options from argv after the command; throws UsageError on an unknown or incomplete
// option or a value outside its range.
void parse_options(const std::vector<std::string>& args, CliContext& ctx);

// Applies "1:0,*2:0;0:0;…" to the table as clicks in the order listed; throws UsageError.
void apply_marks(std::string_view marks, core::EventTable& table);

// Applies the settings of the options to the session (stake, guarantee, steps, min, max, seed, …).
void apply_settings(CliContext& ctx);

std::int64_t parse_integer(const std::string& option, const std::string& text, std::int64_t low, std::int64_t high);

}  // namespace morvalen::cli
