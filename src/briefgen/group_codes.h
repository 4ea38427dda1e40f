// Covers that are unions of cosets of a subgroup of Z_q^n (or of (Z_2 × Z_2)^n): the matrix method
// over finite abelian groups, so that six outcomes (Z_2 × Z_3) have it as well as the prime powers.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "briefgen/qary_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

// A syndrome map: the group G = Z_m1 × … × Z_mr (every m_i divides q) and, for each of the n events,
// where each of its q outcomes goes. A word's syndrome is the sum over its events; one disagreement
// moves it by the difference of two outcomes' images.
struct SyndromeMap {
    int q = 2;
    std::vector<int> moduli;                  // m_1 … m_r
    std::vector<std::vector<int>> images;     // images[event][outcome], elements in mixed radix
    std::vector<int> syndromes;               // the chosen set S
};

struct GroupCodeOptions {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    int largest_group = 16384;            // syndrome groups beyond this are not tried
    std::uint64_t steps_per_try = 20000;  // tabu steps before new columns are drawn
    std::uint64_t max_tries = UINT64_MAX; // draws of columns in all: a deterministic stop for tests
    std::size_t only_order = 0;           // when set, only syndrome groups of this many elements
    // When set, every this many tabu steps one event's columns are redrawn to suit the syndromes
    // chosen so far (the best of `column_samples` draws), and a try runs all of steps_per_try.
    std::uint64_t column_move_every = 0;
    int column_samples = 256;
};

// The smallest code found of fewer than `below` words of length n over q symbols within `radius` of
// every word, as the syndrome map it comes from (empty syndromes when none was found). Columns are
// drawn at random with every outcome of an event landing apart, and move with the syndromes when
// the options say so; the set S is searched by tabu over the group, whose size is the variants
// divided by the coset size.
struct GroupCodeStats {
    std::uint64_t tries = 0;                     // draws of columns searched
    std::size_t least_uncovered = SIZE_MAX;      // fewest syndromes a failed try left uncovered
};
SyndromeMap search_group_code(int q, int n, int radius, std::size_t below, core::RandomSource& random,
                              const GroupCodeOptions& options, GroupCodeStats* stats = nullptr);

// The other half of the matrix method: the syndromes are given (a structured set such as a union of
// lines through zero) and the columns are searched, one event's images at a time, by tabu on the
// number of group elements left uncovered. Four outcomes over a group of twos are read as Z_2 × Z_2.
struct ColumnSearchOptions {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    std::uint64_t max_steps = UINT64_MAX;    // moves in all, over every restart
    std::uint64_t restart_after = 20000;     // moves without a new least before the columns are redrawn
    int samples = 256;                       // draws of an event's images weighed per move
    int tenure = 2;                          // moves an event that moved stays put
};
struct ColumnSearchStats {
    std::uint64_t steps = 0;
    std::size_t least_uncovered = SIZE_MAX;
};
// A map with the given moduli and syndromes whose code covers at `radius`; empty syndromes when none
// was found in the budget.
SyndromeMap search_columns(int q, int n, int radius, const std::vector<int>& moduli, const std::vector<int>& syndromes,
                           core::RandomSource& random, const ColumnSearchOptions& options,
                           ColumnSearchStats* stats = nullptr);

// The words x whose syndrome lies in S, in ascending order of x read with the first event fastest.
std::vector<Word> group_code_words(const SyndromeMap& map);

// Non-negative numbers between separators, as "0,1,2"; nothing when a field is empty or not a number.
std::optional<std::vector<int>> numbers_of(std::string_view text, char separator);

// "Z2^3xZ3^2" and the like, for reports.
std::string describe_group(const SyndromeMap& map);

// A code kept as the map it comes from: a few hundred characters for tens of thousands of words.
struct StoredGroupCode {
    int n = 0;
    int radius = 0;
    std::size_t size = 0;  // words of the code
    SyndromeMap map;
};

// One line per code: "q n radius words moduli images syndromes", the moduli and the syndromes
// comma-separated, the images event by event separated by '/', each event's q images by commas;
// '#' starts a comment.
std::string group_code_line(const StoredGroupCode& code);
void write_group_codes(std::ostream& out, const std::vector<StoredGroupCode>& codes);
// Throws std::runtime_error naming the line for malformed text, a count that does not match, or a
// code that does not cover at its radius (checked exhaustively).
std::vector<StoredGroupCode> read_group_codes(std::istream& in);

}  // namespace morvalen::briefgen
