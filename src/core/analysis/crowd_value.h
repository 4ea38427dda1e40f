// How the crowd rates what the player bets on: the value of an outcome or a bet, its probability
// over its popularity (the product of the pool shares), both normalised over each event's 17 outcomes.
#pragma once

#include <optional>

#include "core/model/bet.h"
#include "core/model/event_table.h"
#include "core/analysis/package_chances.h"

namespace morvalen::core {

struct CrowdValues {
    OutcomeShares probability{};  // the set probabilities
    OutcomeShares crowd{};        // the pool shares
};
CrowdValues crowd_values(const EventTable& table);

// Probability over popularity; infinite where the popularity is 0, as the conditions count it.
double bet_value(double probability, double popularity);
// The value of outcome o (1 to 17) of event e (1 to 8).
double outcome_value(const CrowdValues& values, int e, int o);

struct ValueTintOptions {
    double underrated_from = 1.25;  // an outcome worth at least this is underrated by the crowd
    double overrated_to = 0.8;      // one worth at most this is overrated
};
enum class CrowdRating { fair, underrated, overrated };
// Fair where the event has no figures to compare (every probability and share of the outcome 0).
CrowdRating crowd_rating(const CrowdValues& values, int e, int o, const ValueTintOptions& options = {});

// The lowest and the highest value of an entry's single bets (equal for a single bet); none for an
// entry without single bets (an empty set or bet_count 0).
struct ValueRange {
    double lowest = 0;
    double highest = 0;
};
std::optional<ValueRange> entry_value_range(const BetEntry& entry, const CrowdValues& values);

}  // namespace morvalen::core
