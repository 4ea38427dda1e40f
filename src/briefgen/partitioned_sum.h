// Sums over a partition: a cover's last event chooses the part of a second code its words go on with.
#pragma once

#include <optional>
#include <vector>

#include "briefgen/galois_field.h"
#include "briefgen/qary_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

// The words (u, v) with (u, a) in `first` and v in parts[a]. When `first` covers at radius r ≥ 1,
// the union of the parts at s and every part at s + 1, they cover at r + s: a word (x, y) is nearest
// part b at most s away; (x, b) is within r of some (u, a), and for a ≠ b the change of the last
// event leaves r − 1 for x and part a is at most s + 1 from y. Equal parts give |first|·|union|/q
// words, where the direct sum of `first` and the union has q times as many and is one event longer.
std::vector<Word> partitioned_sum(const std::vector<Word>& first, const std::vector<std::vector<Word>>& parts);

// The q cosets of a hyperplane of a linear code of `length` over the field that covers at `radius`
// while each coset covers at radius + 1: the code is the kernel of a drawn check matrix of `rows`
// rows (its columns distinct directions while there are enough), the cosets the values of one more
// drawn row. Nothing when no draw of `tries` does.
std::optional<std::vector<std::vector<Word>>> linear_partition(const GaloisField& field, int length, int radius, int rows,
                                                               core::RandomSource& random, int tries);

}  // namespace morvalen::briefgen
