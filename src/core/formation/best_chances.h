// The package with the best chances: N single bets that most likely agree with the draw in K events.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/model/conditions.h"
#include "core/model/event_table.h"
#include "core/model/progress.h"
#include "core/model/random_source.h"
#include "core/model/stop_token.h"

namespace morvalen::core {

class Session;

// Beyond this many merged draws the per-draw counters (two bytes each) would take more than 128 MiB,
// and the method refuses.
inline constexpr std::uint64_t best_chances_draw_limit = std::uint64_t{1} << 26;
// A package is formed of at most this many bets at a time.
inline constexpr std::int64_t best_chances_bet_limit = 100000;

struct BestChancesSettings {
    int guarantee = 7;          // K, 2 to 8
    std::int64_t bets = 1000;   // N
    // Draws the start of the autoformation pass, as `autoform` would from the session, then seeds the
    // improving search.
    RandomSource generator{1};
    // The whole run, the starts and the improvement together.
    std::chrono::milliseconds time_budget{4000};
    // Draws the improving search may visit; with it a seeded run gives the same package on any
    // machine fast enough to stay within the time budget.
    std::uint64_t search_work_limit = 300'000'000;
    // While they are in force, only the variants that pass them are chosen.
    ConditionSet conditions;
};

struct BestChancesPackage {
    BetList bets;        // the new single bets, amount 0
    double chance = 0;   // P(some single bet of the list or of `bets` agrees with the draw in K events)
    // The chances of the three starts, as the package with the earlier single bets reaches them.
    double greedy_chance = 0;
    double likeliest_chance = 0;
    double autoformation_chance = 0;
    std::int64_t swaps = 0;   // improving exchanges of one bet made by the search
    bool stopped = false;     // stopped: the package found so far
    std::string refusal;      // set instead of a package
};

// Chooses up to settings.bets single bets over the marked outcomes, none of them already in
// `earlier`, maximising the chance that some bet agrees with the draw in at least K events. The
// earlier entries that are single bets over the marked outcomes count as part of the package. Starts
// from the best of a lazy greedy over the draws' probability, the N likeliest variants and
// autoformation with N steps, and then exchanges bets while that raises the chance, so the result is
// never below any of the three. A stop gives the package found so far.
BestChancesPackage best_chances_package(const EventTable& table, const BetList& earlier, const BestChancesSettings& settings,
                                        const ProgressHooks& hooks = {}, const StopToken& stop = {});
// The same, with running out of memory as a refusal.
BestChancesPackage best_chances_package_or_refusal(const EventTable& table, const BetList& earlier,
                                                   const BestChancesSettings& settings, const ProgressHooks& hooks = {},
                                                   const StopToken& stop = {});

// The window's and the batch tool's run in its steps: guarantee and repeat count from the session's
// settings, the seed from its generator (which moves on); then the package; then the session takes it:
// the chance reached, the bets at the stake. Returns the refusal, if any.
BestChancesSettings best_chances_settings(Session& session, std::chrono::milliseconds time_budget = std::chrono::milliseconds(4000));
std::optional<std::string> apply_best_chances(Session& session, const BestChancesPackage& package, int guarantee);
// All three on the caller's thread.
std::optional<std::string> form_best_chances_package(Session& session, const ProgressHooks& hooks = {},
                                                     std::chrono::milliseconds time_budget = std::chrono::milliseconds(4000),
                                                     const StopToken& stop = {});

}  // namespace morvalen::core
