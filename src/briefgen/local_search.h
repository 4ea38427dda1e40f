// Tabu search that shrinks a cover: one bet fewer each time the search closes every gap.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "briefgen/shape.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

struct SearchLimits {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t max_iterations = UINT64_MAX;  // a deterministic stop for tests
    std::uint64_t stop_at = 1;                  // size that no cover can beat, or that is good enough
    int tenure = 0;                             // moves a changed bet stays tabu; 0 means 2
};

struct SearchStats {
    std::uint64_t iterations = 0;
    std::uint64_t covers_found = 0;
};

// `start` must cover the shape. Each time every variant is covered the bet that covers the fewest
// variants alone is dropped, and moves that change one event of one bet so that it covers a
// randomly chosen uncovered variant (the one that leaves fewest uncovered, ties at random; recently
// moved bets are tabu unless the move beats the best state at this size) close the gap again.
// Returns the smallest cover met, the start itself at worst.
std::vector<Record> shrink_cover(const Shape& shape, std::vector<Record> start, core::RandomSource& random,
                                 const SearchLimits& limits, SearchStats* stats = nullptr);

}  // namespace morvalen::briefgen
