// The value of outcomes and bets against the crowd's shares.
#include "core/analysis/crowd_value.h"

#include <algorithm>
#include <limits>

namespace morvalen::core {
namespace {

constexpr double infinite = std::numeric_limits<double>::infinity();

}  // namespace

CrowdValues crowd_values(const EventTable& table) {
    return {normalised_over_outcomes(table), normalised_over_outcomes(table, &OutcomeCell::pool_probability)};
}

double bet_value(double probability, double popularity) { return popularity > 0 ? probability / popularity : infinite; }

double outcome_value(const CrowdValues& values, int e, int o) {
    const auto event = static_cast<std::size_t>(e - 1);
    const auto outcome = static_cast<std::size_t>(o - 1);
    return bet_value(values.probability[event][outcome], values.crowd[event][outcome]);
}

CrowdRating crowd_rating(const CrowdValues& values, int e, int o, const ValueTintOptions& options) {
    const auto event = static_cast<std::size_t>(e - 1);
    const auto outcome = static_cast<std::size_t>(o - 1);
    if (!(values.probability[event][outcome] > 0) && !(values.crowd[event][outcome] > 0)) return CrowdRating::fair;
    const double value = outcome_value(values, e, o);
    if (value >= options.underrated_from) return CrowdRating::underrated;
    if (value <= options.overrated_to) return CrowdRating::overrated;
    return CrowdRating::fair;
}

std::optional<ValueRange> entry_value_range(const BetEntry& entry, const CrowdValues& values) {
    if (entry.bet_count == 0) return std::nullopt;
    // A single bet's value is the product of its outcomes' values while every share is positive and
    // infinite otherwise, so the extremes come from each event's extremes.
    double lowest = 1;
    double highest = 1;
    bool lowest_infinite = false;
    bool highest_infinite = false;
    for (int e = 1; e <= event_count; ++e) {
        const OutcomeSet set = entry.set(e);
        if (set.empty()) return std::nullopt;
        double low = infinite;
        double high = 0;
        bool unshared = false;
        set.for_each_column([&](int o) {
            if (!(values.crowd[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(o - 1)] > 0)) {
                unshared = true;
                return;
            }
            const double value = outcome_value(values, e, o);
            low = std::min(low, value);
            high = std::max(high, value);
        });
        if (low == infinite) lowest_infinite = true;  // every outcome of the event is unshared
        else lowest *= low;
        if (unshared) highest_infinite = true;
        else highest *= high;
    }
    return ValueRange{lowest_infinite ? infinite : lowest, highest_infinite ? infinite : highest};
}

}  // namespace morvalen::core
