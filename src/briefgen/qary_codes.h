// Codes over GF(q) for covering: Hamming codes, symbol merging and direct sums of words.
#pragma once

#include <cstdint>
#include <vector>

#include "briefgen/galois_field.h"

namespace morvalen::briefgen {

using Word = std::vector<std::uint8_t>;

// Check matrix of the Hamming code over GF(q) with `rows` rows: one column for each one-dimensional
// subspace (its first nonzero coordinate 1), the unit columns first; (q^rows − 1)/(q − 1) columns.
// Every nonzero syndrome is a multiple of exactly one column, so the code covers at radius 1.
std::vector<std::vector<int>> hamming_check_columns(const GaloisField& field, int rows);

// The q^(n − rows) words x with Hx = 0 for the matrix above; n = (q^rows − 1)/(q − 1).
std::vector<Word> hamming_code(const GaloisField& field, int rows);

// Each position i keeps its symbols below counts[i] and takes counts[i] − 1 for the others. A word
// over the narrower alphabets agrees with the merged word wherever it agreed with the original, so a
// cover stays a cover at the same radius. Repeated words are removed.
std::vector<Word> merge_symbols(const std::vector<Word>& words, const std::vector<int>& counts);

// Every concatenation of a word of `first` with a word of `second`: covers at radius a + b when
// the parts cover at radii a and b.
std::vector<Word> direct_sum(const std::vector<Word>& first, const std::vector<Word>& second);

}  // namespace morvalen::briefgen
