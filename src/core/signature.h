// The brief-system signature: G followed by the 8 marked counts (largest first) as base-17 digits.
#pragma once

#include <array>
#include <cstdint>

#include "core/event_table.h"

namespace morvalen::core {

using MarkedCounts = std::array<int, event_count>;

// Sorts the counts from largest and folds them: G × 17^8 + c0 × 17^7 + … + c7.
std::int64_t signature_of_counts(int guarantee, MarkedCounts counts);
MarkedCounts marked_counts(const EventTable& table);

}  // namespace morvalen::core
