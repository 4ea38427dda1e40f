// The package summary lines under the grid and which commands they enable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/analysis/condition_costs.h"
#include "core/model/event_table.h"
#include "core/model/list_operations.h"

namespace morvalen::core {

struct PackageTotals {
    std::int64_t package_bets = 0;
    Currency package_amount;
};

PackageTotals package_totals(const BetList& list);

struct EnabledCommands {
    bool forming_link = false;     // the add-to-list link is shown
    bool add_coupon = false;
    bool remove_variants = false;
    // Split, remove repeats, clear, copy for transfer, save as text and both spreadsheet exports.
    bool list_commands = false;
};

struct StatsView {
    std::string package_line;   // bets of the package and their amount
    std::string variants_line;  // variants over the marks
    std::string coverage_line;  // variants covered with the guarantee, after a check
    EnabledCommands enabled;
    PackageTotals totals;
    std::int64_t variant_total = 0;
};

struct StatsInput {
    const BetList& list;
    const EventTable& table;
    Stake stake;
    int guarantee = 7;
    bool with_coverage = false;
    std::int64_t uncovered_variants = 0;
    // While conditions act: the variants that pass them; the coverage counts only those.
    std::optional<PassingCount> passing;
};

StatsView compute_stats(const StatsInput& input);

// covered × 10000 / total rounded halves to even, then as a currency with two decimals: 33.33, 100.
Currency coverage_percent(std::int64_t covered, std::int64_t total);

}  // namespace morvalen::core
