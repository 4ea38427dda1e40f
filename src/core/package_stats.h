// The package summary lines under the grid and which commands they enable.
#pragma once

#include <cstdint>
#include <string>

#include "core/bet.h"
#include "core/event_table.h"
#include "core/list_operations.h"

namespace morvalen::core {

struct PackageTotals {
    std::int64_t package_bets = 0;
    Currency package_amount;
};

PackageTotals package_totals(const BetList& list);

struct EnabledCommands {
    bool forming_link = false;     // Label5 visible
    bool add_coupon = false;       // N2
    bool remove_variants = false;  // mmy
    bool list_commands = false;    // mmo, Nmw, mmx, mmc, mmt, ExcellCtrlE1, ExcellCtrlS1
};

struct StatsView {
    std::string package_line;   // Label1
    std::string variants_line;  // Label2
    std::string coverage_line;  // Label3
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
};

StatsView compute_stats(const StatsInput& input);

// covered × 10000 / total rounded halves to even, then as a currency with two decimals: 33.33, 100.
Currency coverage_percent(std::int64_t covered, std::int64_t total);

}  // namespace morvalen::core
