// Greedy covers: the plain one a player would get by repeated best single bets, and a fast lazy one.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

// Each step scans every variant in index order and takes the first one covering the most variants
// still uncovered; the scan stops early at the previous step's gain, which no later step can beat.
std::vector<Record> plain_greedy_cover(const Shape& shape);

// The same choice rule with gains kept as upper bounds in buckets and recomputed only when a
// candidate reaches the top. Gives up (an empty result) at the deadline, since on large shapes the
// bounds fall level by level and the recomputations add up.
std::vector<Record> lazy_greedy_cover(
    const Shape& shape, std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

}  // namespace morvalen::briefgen
