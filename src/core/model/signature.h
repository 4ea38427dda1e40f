// The brief-system signature: G followed by the 8 marked counts (largest first) as base-17 digits.
#pragma once

#include <array>
#include <cstdint>

#include "core/model/event_table.h"

namespace morvalen::core {

using MarkedCounts = std::array<int, event_count>;

// Folds the counts in the order given: G × 17^8 + c0 × 17^7 + … + c7.
std::int64_t fold_signature(int guarantee, const MarkedCounts& counts);
// Sorts the counts from largest, then folds them.
std::int64_t signature_of(int guarantee, MarkedCounts counts);
MarkedCounts marked_counts(const EventTable& table);

struct SignatureParts {
    std::int64_t guarantee = 0;  // what is left above the 8 count digits
    MarkedCounts counts{};       // in digit order
};
// The bijective base-17 reading of a signature, the inverse of fold_signature for positive values.
SignatureParts signature_parts(std::int64_t signature);
// True for what the program can ask: guarantee 1 to 8 and counts 1 to 17 from largest to smallest.
bool is_valid_signature(std::int64_t signature);

}  // namespace morvalen::core
