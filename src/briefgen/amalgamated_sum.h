// Amalgamated direct sums: two covers glued on one shared event, so the radii add with fewer words.
#pragma once

#include <cstdint>
#include <vector>

#include "briefgen/qary_codes.h"

namespace morvalen::briefgen {

// The words (u, a, v) with (u, a) in `first` and (π(a), v) in `second`, over the choice of the
// shared position in each code and of the pairing π of its symbols. Such a code has
// Σ_a |first_a|·|second_π(a)| words, about |first|·|second|/q, where the plain direct sum has
// |first|·|second|; it covers at first_radius + second_radius only for some codes and pairings
// (the normal ones), so each choice is checked over every word and the smallest that covers is
// returned. Empty when no choice covers or none has fewer than `fewer_than` words.
std::vector<Word> amalgamated_sum(const std::vector<Word>& first, int first_radius, const std::vector<Word>& second,
                                  int second_radius, int q, std::uint64_t fewer_than = UINT64_MAX);

}  // namespace morvalen::briefgen
