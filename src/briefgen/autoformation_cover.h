// The cover a player gets from the program's own autoformation pass over a shape, as records.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

// Runs the core's autoformation on an empty list with outcomes 1 to count marked in each event
// (largest count first, so outcome c is position c − 1 of the record) and the scan starting after
// `start_index`. Nothing when the deadline passes first; the pass checks it about once a second.
std::optional<std::vector<Record>> autoformation_cover(
    const Shape& shape, std::int64_t start_index,
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

// The smallest of the passes from start index 0 (always run to the end, however long it takes) and,
// while the deadline allows and the shape is small, from a few start indices drawn from `seed`.
std::optional<std::vector<Record>> best_autoformation_cover(const Shape& shape, std::uint64_t seed,
                                                            std::chrono::steady_clock::time_point deadline);

}  // namespace morvalen::briefgen
