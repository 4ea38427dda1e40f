// The list of brief systems the service offers for a guarantee and shape, as the list page gives it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/signature.h"

namespace morvalen::core {

struct BriefSystemInfo {
    MarkedCounts counts{};  // 1 to 17, largest-count event first, in signature digit order
    std::int32_t bets = 0;
};

using BriefSystemList = std::vector<BriefSystemInfo>;

// Appends the entry of a signature: the bijective base-17 reading of its 8 count digits, so a count
// of 17 comes back as 17; the guarantee left over is dropped.
void decode_signature(BriefSystemList& list, std::int32_t bets, std::int64_t signature);

}  // namespace morvalen::core
