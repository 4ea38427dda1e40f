// Covers built as a direct sum of blocks of events, each block covered at its own radius.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "briefgen/record_codes.h"
#include "briefgen/shape.h"

namespace morvalen::briefgen {

// How a shape's events (largest count first) split into consecutive blocks whose radii add up to the
// shape's radius, each block covered by whole events (radius 0), one bet (radius at least its length),
// a Hamming code over the smallest field for its largest count with symbols merged, a code of the
// library over as many or more symbols with symbols merged, or a small searched cover; the product
// of the block sizes is the least such plan gives.
struct BlockPlan {
    std::uint64_t size = 0;  // saturates at UINT64_MAX
    std::string text;        // e.g. "H4(5)+S(3,r1)": the parts the plan uses
};

BlockPlan block_plan(const Shape& shape, const UniformLibrary& library = shipped_uniform_codes());

// The bets of the plan, or nothing when it has more than `max_records` bets.
std::vector<Record> block_cover(const Shape& shape, std::uint64_t max_records,
                                const UniformLibrary& library = shipped_uniform_codes());

}  // namespace morvalen::briefgen
