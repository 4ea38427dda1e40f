// Chances of a package under the set probabilities: at least one bet with k or more hits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/model/event_table.h"

namespace morvalen::core {

struct ChanceOptions {
    // The exact enumeration runs while (merged outcome combinations) × (64-bet words + 4, the
    // fixed cost of a combination) stays within this, about a second; beyond it the chances are
    // estimated by sampling.
    std::uint64_t exact_work_limit = std::uint64_t{1} << 26;
    std::uint64_t samples = 200000;
    // Fewer draws are made for very large packages, so that (draws) × (64-bet words) stays within
    // this; never fewer than min_samples.
    std::uint64_t sample_work_limit = std::uint64_t{1} << 24;
    std::uint64_t min_samples = 2000;
    std::uint64_t seed = 1;
};

struct PackageChances {
    // at_least[k]: probability that some bet of the package has k or more hit events, k = 0 to 8.
    std::array<double, event_count + 1> at_least{};
    // Standard error of each estimate; all 0 when the chances are exact.
    std::array<double, event_count + 1> standard_error{};
    bool exact = true;
    std::uint64_t merged_space = 0;  // combinations of merged outcomes (saturates at UINT64_MAX)
    std::uint64_t samples = 0;       // draws of the estimate, 0 when exact
    std::uint64_t seed = 0;          // seed of the estimate
    double expected_full_hits = 0;   // expected number of single bets with all 8 events hit
    std::int64_t bets_considered = 0;  // entries that name a complete bet
};

struct ChancesReport {
    std::optional<PackageChances> chances;
    std::string refusal;  // the player's message when the probabilities cannot be used
};

// Why the set probabilities cannot be used: a negative one, or an event whose 17 are all 0; the
// message ends with `consequence` ("шансы пакета не рассчитываются").
std::optional<std::string> probability_refusal(const EventTable& table, const std::string& consequence);

// Per event the figures of `field` divided by their sum over the 17 outcomes; all 0 where the sum is 0.
// With the set probabilities, this is how the chances read them.
using OutcomeShares = std::array<std::array<double, outcome_count>, event_count>;
using Probabilities = OutcomeShares;
OutcomeShares normalised_over_outcomes(const EventTable& table,
                                       Currency OutcomeCell::*field = &OutcomeCell::setting_probability);

// Probabilities are setting_probability, normalised over the 17 outcomes of each event; the
// events are drawn independently. An event whose probabilities are all 0, or one with a negative
// probability, is refused. A coupon counts as its best single bet (the number of events whose
// result is in its set); entries with an empty set or bet_count 0 are left out.

ChancesReport package_chances(const BetList& list, const EventTable& table, const ChanceOptions& options = {});

}  // namespace morvalen::core
