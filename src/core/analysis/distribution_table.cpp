// The distribution by outcomes.
#include "core/analysis/distribution_table.h"

#include "core/model/currency.h"
#include "core/analysis/package_stats.h"

namespace morvalen::core {

DistributionCounts distribution_counts(const BetList& list) {
    DistributionCounts counts{};
    for (const BetEntry& entry : list) {
        for (int e = 0; e < event_count; ++e) {
            const OutcomeSet set = entry.outcome_sets[e];
            if (set.empty()) continue;
            const std::int64_t weight = entry.bet_count > 0 ? entry.bet_count / set.size() : 1;
            set.for_each_column([&](int c) { counts[e][c - 1] += weight; });
        }
    }
    return counts;
}

std::string distribution_cell_text(std::int64_t count, std::int64_t package_bets) {
    if (package_bets <= 0 || count <= 0) return {};
    const long double share = static_cast<long double>(count) * 100.0L / static_cast<long double>(package_bets);
    return std::to_string(count) + "(" + std::to_string(round_half_even(share).value_or(0)) + "%)";
}

DistributionTable distribution_table(const BetList& list) {
    DistributionTable table;
    table.counts = distribution_counts(list);
    const std::int64_t bets = package_totals(list).package_bets;
    for (int e = 0; e < event_count; ++e)
        for (int c = 0; c < outcome_count; ++c) table.cells[e][c] = distribution_cell_text(table.counts[e][c], bets);
    return table;
}

}  // namespace morvalen::core
