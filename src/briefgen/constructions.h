// The constructions the generator tries for a shape, each with one signature: shape and budget in,
// a cover or nothing out.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "briefgen/record_codes.h"
#include "briefgen/shape.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

using Cover = std::optional<std::vector<Record>>;

// What a construction may spend and what the walk over the constructions has found so far.
struct Budget {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t seed = 1;
    std::uint64_t max_iterations = UINT64_MAX;              // tabu steps of a polish
    const UniformLibrary* library = nullptr;                // nothing: the shipped codes
    const std::vector<std::vector<Record>>* starts = nullptr;  // covers the caller offers
    // The stream the matrix codes and the polishes draw from in turn, so that a seed gives one result.
    core::RandomSource* random = nullptr;
    std::uint64_t good_enough = 1;                          // no cover need be smaller
    std::size_t best_size = 0;                              // of the smallest cover so far; 0: none yet
    const std::vector<Record>* cover = nullptr;             // what a polish starts from
};

using Build = Cover (*)(const Shape& shape, const Budget& budget);

// How the walk treats a construction's cover: offered at once; offered once the others have been
// tried (the construction runs beside them on a large shape); or offered at once and also polished
// first should a tighter cover win, since the tighter one can be a rigid local optimum.
enum class Offer { at_once, after_the_others, at_once_and_polished_first };

struct Construction {
    std::string_view name;  // GeneratedSystem::start of a system it wins
    Offer offer;
    Build build;
};

// Sorted, each bet once.
std::vector<Record> normalized(std::vector<Record> records);

// The constructions the generator tries, in their order.
std::span<const Construction> generator_constructions();

// One bet, when every event may disagree.
Cover single_bet(const Shape& shape, const Budget& budget);
// The smallest of the caller's starts that covers.
Cover given_starts(const Shape& shape, const Budget& budget);
// Products of the Hamming codes and other codes of known structure.
Cover known_code_product(const Shape& shape, const Budget& budget);
// The best direct sum of the library's codes and Hamming codes over blocks of events.
Cover direct_sum_blocks(const Shape& shape, const Budget& budget);
// The player's own autoformation pass, from the first variant and a few drawn from the seed.
Cover autoformation_passes(const Shape& shape, const Budget& budget);
// Repeated best single bets, within half of the time left.
Cover lazy_greedy(const Shape& shape, const Budget& budget);
// At one disagreement: unions of classes modulo the all-ones word or its neighbour with one digit 0.
Cover coset_classes(const Shape& shape, const Budget& budget);
// Unions of cosets of a linear code over a field, within two fifths of the time left.
Cover matrix_cosets(const Shape& shape, const Budget& budget);

// Tabu search from `budget.cover` with half of the time and of the steps, when it is larger than the
// best cover and that one is not good enough.
Cover polish_first(const Shape& shape, const Budget& budget);
// Tabu search from `budget.cover` (the best cover) with all that is left.
Cover tabu_polish(const Shape& shape, const Budget& budget);

}  // namespace morvalen::briefgen
