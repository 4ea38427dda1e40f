// Autoformation: the greedy covering pass and its check of how much the list already covers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/bet.h"
#include "core/progress.h"
#include "core/signature.h"

namespace morvalen::core {

class Session;

// Up to this many variants the pass keeps covered flags and gains in arrays; above it, a hash of the
// list's bets bounds the memory. Tests lower it to run both ways on small markings.
extern std::int64_t autoformation_dense_limit;

// Variants within 8 − G changes of a variant: the sum for k = 0 … 8 − G of the k-th elementary
// symmetric sum of (c − 1). Signed: an event without marks makes a term negative.
std::int64_t neighbourhood_size(const MarkedCounts& counts, int guarantee);

// Events in which the two bets hold identical outcome sets.
int equal_events(const BetEntry& a, const BetEntry& b);

// " Ставок не менее 29": the least number of bets that could cover T variants, N at a time.
std::string estimate_caption(std::int64_t uncovered, std::int64_t neighbourhood);

struct AutoformationOutcome {
    bool ran = true;             // false when another formation was running: nothing was touched
    bool show_coverage = true;   // the statistics flag: false when "Esc" stopped the check
    bool failed = false;         // the pass ended with "Нехватка оперативной памяти"
    std::int64_t appended = 0;
    std::string refusal;         // the conditions cannot be applied: nothing was touched
};

// The pass with R steps (0: the check only). Cleans unreadable entries from the list, counts the
// uncovered variants into the session's uncovered_variants, then appends up to R single bets, each the
// first candidate of the scan that covers as many uncovered variants as the previous step's best. The
// scan starts after `start_index` (a random index when absent). Stops on the session's stop flag, which
// the window sets while hooks.process_messages runs; clears it at the end. A variant is covered when
// some single bet of some entry agrees with it in at least G events: a coupon covers what its single
// bets cover, and a single bet outside the marked outcomes the variants it agrees with in G events. While the
// session's conditions act, only the variants that pass them are counted, covered and appended.
AutoformationOutcome autoform(Session& session, std::int64_t steps, const ProgressHooks& hooks = {},
                             std::optional<std::int64_t> start_index = std::nullopt);

}  // namespace morvalen::core
