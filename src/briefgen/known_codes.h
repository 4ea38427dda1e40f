// Covers assembled from codes with a known structure, and the best sizes the literature knows.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen {

// Spends the disagreements a bet may have one at a time on the block of still unused events that
// divides the count of bets most (the binary Hamming code of length 7 by 8, the ternary one of
// length 4 by 9, two opposite binary words of length 3 by 4, one free event by its count) and
// takes the direct product of the blocks with every value of the events left over.
std::vector<Record> structured_cover(const Shape& shape);

// The shape with one more event of `count` outcomes in place of a single-outcome one, and where
// that event lands in the sorted order; nothing when the shape has no single-outcome event.
struct Widening {
    Shape shape;
    int position = 0;
};
std::optional<Widening> widen(const Shape& smaller, int count);

// Direct product of a cover of `smaller` with every outcome of the added event: same guarantee.
std::vector<Record> product_with_event(const Shape& smaller, const std::vector<Record>& records, int count);
// The added event may always disagree: the cover of `smaller` with guarantee G covers the wider
// shape with guarantee G - 1.
std::vector<Record> with_free_event(const Shape& smaller, const std::vector<Record>& records, int count);

struct KnownSize {
    std::uint64_t size = 0;
    bool optimal = false;  // proven least; otherwise the best construction published
};

// Only purely binary or purely ternary shapes (beside single-outcome events) are tabulated.
std::optional<KnownSize> best_known_size(const Shape& shape);

}  // namespace morvalen::briefgen
