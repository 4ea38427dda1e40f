// Covers that are unions of cosets of a one-dimensional code, for shapes whose events share one count.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

// For events with 2 or 3 outcomes: looks for `cosets` cosets of the code {a·generator} whose union
// covers the shape: in the quotient by the code every class must lie within the radius of a chosen
// class. The tabu search runs over the q^(n−1) classes rather than the q^n variants, which is what lets it reach sizes such as 186 bets for
// seven ternary events at one disagreement. `generator` has one digit per active event and at least
// one digit 1. Deterministic for a seed unless the deadline cuts it short; returns the bets (sorted)
// or nothing within `max_steps`.
std::vector<Record> coset_cover(const Shape& shape, const std::vector<int>& generator, std::size_t cosets,
                                std::uint64_t seed, std::uint64_t max_steps,
                                std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

}  // namespace morvalen::briefgen
