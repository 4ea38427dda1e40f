// What a package is expected to return under the rules of the pool and the crowd's shares.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/model/event_table.h"
#include "core/model/pool_rules.h"

namespace morvalen::core {

struct ReturnOptions {
    // The exact sum walks every bet's neighbourhood of results that can pay; beyond this many
    // (result, bet) pairs in all, or this many held at once, the return is estimated by sampling.
    std::uint64_t exact_pair_limit = 200'000'000;
    std::uint64_t held_pair_limit = std::uint64_t{1} << 25;
    std::uint64_t samples = 200000;
    // Fewer draws for very large packages, so that (draws) × (entries) stays within this.
    std::uint64_t sample_work_limit = std::uint64_t{1} << 26;
    std::uint64_t min_samples = 2000;
    std::uint64_t seed = 1;
};

struct PackageReturn {
    Currency cost;                 // the amounts of the package's entries
    double expected_return = 0;    // Σ over results of P(result) × the package's expected prize there
    double return_ratio = 0;       // expected_return / cost, 0 for a package that costs nothing
    double any_prize = 0;          // P(some single bet is in a paying tier)
    // Per tier k (2 to 8): P(some single bet has exactly k hits), its expected prize, and its fund.
    std::array<double, event_count + 1> tier_chance{};
    std::array<double, event_count + 1> tier_amount{};
    std::array<double, event_count + 1> tier_fund{};
    // Standard errors of an estimate; all 0 when the figures are exact.
    double return_error = 0;
    double any_prize_error = 0;
    std::array<double, event_count + 1> tier_chance_error{};
    std::array<double, event_count + 1> tier_amount_error{};
    bool exact = true;
    std::uint64_t pairs = 0;     // (result, bet) pairs of the exact sum
    std::uint64_t samples = 0;   // draws of the estimate, 0 when exact
    std::uint64_t seed = 0;
};

struct ReturnReport {
    std::optional<PackageReturn> value;
    std::string refusal;  // the player's message when the probabilities or pool shares cannot be used
};

// Why the pool shares cannot be used: a negative share, or an event whose 17 shares are all 0.
std::optional<std::string> pool_share_refusal(const EventTable& table);

// Results are drawn by setting_probability and each of the rules' tickets picks outcomes by
// pool_probability, both normalised over the 17 outcomes of each event. A coupon counts each of its
// single bets; entries with an empty set or bet_count 0 win nothing but their amounts are paid.
// `stake` is what each of the others' tickets costs.
ReturnReport expected_return(const BetList& list, const EventTable& table, const PoolRules& rules, Currency stake,
                             const ReturnOptions& options = {});

// The summary line's options: it is recomputed on every edit, so a large package gets a quick estimate.
ReturnOptions summary_return_options();

// "Ожидаемый возврат: X (Y % стоимости)", X an estimate "≈X ± E" when sampled; the refusal otherwise.
std::string return_summary_line(const ReturnReport& report);

// Per event the crowd's shares: pool_probability over the sum of the event's 17.
using CrowdShares = std::array<std::array<double, outcome_count>, event_count>;
CrowdShares crowd_shares(const EventTable& table);

// c[k]: the chance that one of the crowd's tickets has exactly k hits when the result's outcome of
// event e has crowd share hit[e].
std::array<double, event_count + 1> crowd_hit_chances(const std::array<double, event_count>& hit);

}  // namespace morvalen::core
