// The package with the highest expected return: N single bets over the marked outcomes that share
// the pool's prizes with the crowd and with each other.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/model/conditions.h"
#include "core/model/event_table.h"
#include "core/model/pool_rules.h"
#include "core/model/progress.h"
#include "core/model/random_source.h"
#include "core/model/stop_token.h"

namespace morvalen::core {

class Session;

inline constexpr std::int64_t return_maximising_bet_limit = 100000;
// Beyond this many (merged draw, paying tier) counters the method refuses.
inline constexpr std::uint64_t return_maximising_state_limit = std::uint64_t{1} << 23;
// Beyond this many results within reach of one bet the method refuses: its gains would be too slow.
inline constexpr std::uint64_t return_maximising_reach_limit = 5'000'000;

struct ReturnMaximisingSettings {
    std::int64_t bets = 1000;   // N
    Currency stake;             // of each new bet and of each of the others' tickets
    RandomSource generator{1};  // the order of the exchanges and the candidates drawn for them
    std::chrono::milliseconds time_budget{4000};
    // Units of work (a merged draw read or a result's share computed) the search may spend; with it a
    // seeded run gives the same package on any machine fast enough to stay within the time budget.
    std::uint64_t search_work_limit = 400'000'000;
    std::function<std::chrono::steady_clock::time_point()> clock;  // steady_clock when empty
    // While they are in force, only the variants that pass them are chosen.
    ConditionSet conditions;
};

struct ReturnMaximisingPackage {
    BetList bets;                  // the new single bets, amount 0; a variant may come more than once
    double expected_return = 0;    // of the earlier single bets over the marks and `bets` together
    // The two starts and the greedy pass, as the package with the earlier single bets reaches them.
    double best_alone_return = 0;
    double likeliest_return = 0;
    double greedy_return = 0;
    std::int64_t exchanges = 0;    // improving exchanges of one bet
    bool stopped = false;          // stopped: the package found so far
    std::string refusal;           // set instead of a package
};

// Chooses settings.bets single bets over the marked outcomes maximising the expected return of the
// package (the earlier entries that are single bets over the marks count; every earlier amount adds
// to the funds). Starts from the better of the N variants with the highest return each on its own
// and the N likeliest, or the greedy pass when that is better, then exchanges one bet for another
// while that raises the return. `progress` hears a caption about once a second. With conditions in
// force only passing variants are chosen (the earlier bets count whatever they are); refused when
// none passes.
ReturnMaximisingPackage return_maximising_package(const EventTable& table, const BetList& earlier, const PoolRules& rules,
                                                  const ReturnMaximisingSettings& settings,
                                                  const std::function<void(const std::string&)>& progress, StopToken stop);

// The window's and the batch tool's run in its steps: the repeat count as N, the stake and the seed
// from the session (whose generator moves on); the package, captions ending in the "Esc" hint and
// running out of memory as a refusal; the bets appended at the stake. Returns the refusal, if any.
ReturnMaximisingSettings return_maximising_settings(Session& session,
                                                    std::chrono::milliseconds time_budget = std::chrono::milliseconds(4000));
ReturnMaximisingPackage return_maximising_package_or_refusal(const EventTable& table, const BetList& earlier,
                                                             const PoolRules& rules, const ReturnMaximisingSettings& settings,
                                                             const ProgressHooks& hooks, StopToken stop);
std::optional<std::string> apply_return_maximising(Session& session, const ReturnMaximisingPackage& package, Currency stake);
// All three on the caller's thread.
std::optional<std::string> form_return_maximising_package(Session& session, const PoolRules& rules, const ProgressHooks& hooks = {},
                                                          std::chrono::milliseconds time_budget = std::chrono::milliseconds(4000),
                                                          StopToken stop = {});

}  // namespace morvalen::core
