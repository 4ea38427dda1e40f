// Covers that are unions of cosets of a linear code over GF(q), symbols merged for mixed shapes.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "briefgen/shape.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

// Looks for a check matrix H (r rows, one column per event) and a set S of syndromes such that every
// syndrome is within the radius of S, where one disagreement moves a syndrome by a multiple of one
// column; the bets are then all x with Hx in S, |S| × q^(n−r) of them. The search over S is small
// (the syndromes, not the variants), so it reaches sizes that a search over single bets does not.
// The field is the smallest one with as many elements as the largest count (up to 9); events with
// fewer outcomes take the code's symbols merged. Returns the smallest cover found that is smaller
// than `below`, or nothing (an empty vector).
std::vector<Record> matrix_cover(const Shape& shape, std::size_t below, core::RandomSource& random,
                                 std::chrono::steady_clock::time_point deadline);

}  // namespace morvalen::briefgen
