// Syndromes of a check matrix over GF(q) and the tabu search for a set of them whose balls cover all.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "briefgen/galois_field.h"
#include "briefgen/qary_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

// GF(q)^rows with its vectors as integers 0 … q^rows − 1, coordinate i the base-q digit i. A sum is
// two look-ups, in tables over the low and the high half of the coordinates, so the inner loops of
// the search cost the same for four rows as for seven.
class SyndromeSpace {
public:
    // Throws std::invalid_argument when no field has q elements or q^rows exceeds 2^20.
    SyndromeSpace(int q, int rows);

    int q() const { return field_.order(); }
    int rows() const { return rows_; }
    int size() const { return size_; }
    const GaloisField& field() const { return field_; }

    int add(int a, int b) const {
        const auto ua = static_cast<std::size_t>(a), ub = static_cast<std::size_t>(b);
        return low_sum_[low_[ua] * low_size_ + low_[ub]] + high_sum_[high_[ua] * high_size_ + high_[ub]];
    }
    int scale(int a, int factor) const;
    int negate(int a) const { return scale(a, field_.neg(1)); }

private:
    GaloisField field_;
    int rows_ = 1;
    int size_ = 1;
    std::size_t low_size_ = 1;   // q^(digits in the low half)
    std::size_t high_size_ = 1;
    std::vector<std::size_t> low_, high_;  // the halves of every element
    std::vector<int> low_sum_, high_sum_;  // the high sums already shifted into place
};

// Syndromes that at most `radius` disagreements reach from 0: sums of one nonzero move of each of at
// most `radius` distinct events (the images of an event's outcomes other than 0); sorted, distinct.
std::vector<int> syndrome_ball(const SyndromeSpace& space, const std::vector<std::vector<int>>& images, int radius);
// The same for a linear code: an event's moves are the nonzero multiples of its column.
std::vector<int> syndrome_ball(const SyndromeSpace& space, std::span<const int> columns, int radius);

// Whether the columns span the space, so that every syndrome has q^(n − rows) words.
bool spans_space(const SyndromeSpace& space, std::span<const int> columns);

// n columns spanning the space, no two of them multiples of each other while the space has that
// many directions (one disagreement then never cancels another): the unit columns and n − rows
// drawn at random, each coordinate zero with a chance drawn per matrix up to one half. Every code
// of the method is one of these up to the order of its events, sparse ones included.
std::vector<int> random_check_columns(const SyndromeSpace& space, int n, core::RandomSource& random);

struct SyndromeTabuOptions {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t max_steps = UINT64_MAX;
    int tabu_length = 2;               // steps a syndrome taken out of the set stays out
    std::size_t max_candidates = 512;  // per step, drawn at random when the hole's ball is larger
};

struct SyndromeTabuResult {
    std::vector<int> syndromes;  // the set with the fewest uncovered syndromes seen
    std::size_t uncovered = 0;   // 0: the set covers the space
    std::uint64_t steps = 0;
};

// Östergård's tabu search for `target` syndromes (repeats allowed) whose translates of the ball cover
// the space, from `start` (its missing places drawn at random). A step picks an uncovered syndrome,
// weighs every swap of one chosen syndrome for one that covers it, and takes the swap that leaves
// fewest uncovered; counts of coverers, and who covers alone, are kept up to date so a step costs
// about (candidates × ball) whatever the target.
SyndromeTabuResult cover_syndromes(const SyndromeSpace& space, std::span<const int> ball, int target,
                                   core::RandomSource& random, const SyndromeTabuOptions& options,
                                   std::vector<int> start = {});

// A code by the matrix method: x is a word when its syndrome Σ x_j·column_j lies in the set. An
// additive code over four symbols has binary rows and two columns u, v per event instead, outcome
// d going to bit 0 of d times u plus bit 1 times v: the GF(2)-linear maps, of which GF(4)-linear
// ones are a few, and any number of rows, so the sizes 4^n·|S|/2^rows come in steps of two.
struct MatrixCode {
    int q = 2;
    int rows = 1;
    bool additive = false;
    std::vector<int> columns;
    std::vector<int> syndromes;
    std::size_t uncovered = 0;  // syndromes the set leaves uncovered; the code covers when 0
    std::uint64_t matrices = 0;  // how many were tried, and the tabu steps on all of them
    std::uint64_t steps = 0;
};

struct MatrixSearchOptions {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t steps_per_matrix = 200'000;  // tabu steps before new columns are drawn
    std::uint64_t max_matrices = UINT64_MAX;   // a deterministic stop for tests
    // Matrices tried by changing one column of the current one, with its syndromes as the start,
    // before a fresh draw when none came closer; 0: every matrix drawn afresh.
    std::uint64_t column_changes = 0;
    SyndromeTabuOptions tabu;                  // its deadline and step limit are set per matrix
    bool additive = false;                     // q = 4 only: binary rows, two columns an event
};

// Draws check matrices of `rows` rows for n events (or walks from one by changing a column at a
// time, keeping a change that leaves no more uncovered) and searches each for `target` syndromes
// that cover within `radius`; returns the first that covers, or the one that came closest. `progress`
// hears every new fewest-uncovered count.
MatrixCode search_matrix_code(int q, int n, int radius, int rows, int target, core::RandomSource& random,
                              const MatrixSearchOptions& options,
                              const std::function<void(const MatrixCode&)>& progress = {});

// Where each outcome of each event takes the syndrome.
std::vector<std::vector<int>> outcome_images(const MatrixCode& code);

// The q^(n − rows)·|S| words of the code (fewer when the columns do not span), in ascending order of
// the word read with the first event fastest.
std::vector<Word> matrix_code_words(const MatrixCode& code);

// "H 5x8 over GF(4), 62 syndromes" and the like, for reports.
std::string describe_matrix_code(const MatrixCode& code);

}  // namespace morvalen::briefgen
