// Autoformation: the greedy covering pass and its check of how much the list already covers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/model/conditions.h"
#include "core/model/event_table.h"
#include "core/formation/gain_table.h"
#include "core/model/progress.h"
#include "core/model/random_source.h"
#include "core/model/signature.h"
#include "core/model/stop_token.h"

namespace morvalen::core {

class Session;

struct AutoformationOptions {
    // Up to this many variants the pass keeps covered flags and gains in arrays (at the limit about
    // 80 MB); above it, a hash of the list's bets bounds the memory. Tests lower it to run both ways.
    std::int64_t dense_limit = std::int64_t{1} << 24;
    // How the gain table follows a new bet; tests force each way.
    GainUpdate gain_update = GainUpdate::cheapest;
};

// Variants within 8 − G changes of a variant: the sum for k = 0 … 8 − G of the k-th elementary
// symmetric sum of (c − 1). Signed: an event without marks makes a term negative.
std::int64_t neighbourhood_size(const MarkedCounts& counts, int guarantee);

// Events in which the two bets hold identical outcome sets.
int equal_events(const BetEntry& a, const BetEntry& b);

// " Ставок не менее 29": the least number of bets that could cover T variants, N at a time.
std::string estimate_caption(std::int64_t uncovered, std::int64_t neighbourhood);

struct AutoformationOutcome {
    bool show_coverage = true;   // the statistics flag: false when "Esc" stopped the check
    bool failed = false;         // the pass ended with "Нехватка оперативной памяти"
    std::int64_t appended = 0;
    std::string refusal;         // the conditions cannot be applied: nothing was touched
};

// What the pass reads: copies, so that it may run on any thread while the session waits.
struct AutoformationInput {
    EventTable events;
    BetList bets;
    int guarantee = 7;
    Currency stake;
    ConditionSet conditions;
    RandomSource rng{0};
    std::int64_t steps = 0;
    std::optional<std::int64_t> start_index;
    AutoformationOptions options;
};

struct AutoformationResult {
    AutoformationOutcome outcome;
    bool cleaned = false;                    // the unreadable entries of the list are to be taken out
    std::optional<std::int64_t> uncovered;   // the session's uncovered_variants, when the pass counted them
    BetList appended;                        // the new single bets, at the stake, in order
    RandomSource rng{0};                     // the generator after the pass
};

// The pass with R steps (0: the check only) over the list with its unreadable entries cleaned out:
// counts the uncovered variants, then forms up to R single bets, each the first candidate of the scan
// that covers as many uncovered variants as the previous step's best. The scan starts after
// `start_index` (drawn from the generator when absent). Stops when `stop` is requested, keeping the
// bets of completed steps. A variant is covered when some single bet of some entry agrees with it in at
// least G events: a coupon covers what its single bets cover, and a single bet outside the marked
// outcomes the variants it agrees with in G events. While the conditions act, only the variants that
// pass them are counted, covered and formed.
AutoformationResult autoformation(AutoformationInput input, const ProgressHooks& hooks = {}, StopToken stop = {});

// The session's side: what the pass reads, and taking its result in (cleaning, bets, count, generator).
AutoformationInput autoformation_input(const Session& session, std::int64_t steps,
                                       std::optional<std::int64_t> start_index = std::nullopt,
                                       AutoformationOptions options = {});
void apply_autoformation(Session& session, const AutoformationResult& result);

// Both in one, on the caller's thread (the batch tool, the tests).
AutoformationOutcome autoform(Session& session, std::int64_t steps, const ProgressHooks& hooks = {},
                             std::optional<std::int64_t> start_index = std::nullopt, StopToken stop = {},
                             AutoformationOptions options = {});

}  // namespace morvalen::core
