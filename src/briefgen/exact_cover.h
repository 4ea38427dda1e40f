// Exact branch-and-bound search for a brief system of a given size, to prove a size is the least.
#pragma once

#include <cstdint>
#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

enum class ExactOutcome { found, none, gave_up };

struct ExactResult {
    ExactOutcome outcome = ExactOutcome::gave_up;
    std::vector<Record> records;  // the cover when one was found
    std::uint64_t nodes = 0;
};

// Looks for a cover with at most `size` bets. `none` is a proof that no such cover exists; the
// search gives up after `node_limit` nodes (0: no limit). Shapes beyond 2^20 variants give up at once.
ExactResult exact_cover(const Shape& shape, int size, std::uint64_t node_limit = 0);

}  // namespace morvalen::briefgen
