// Decoding signatures of the service's list page.
#include "core/brief_system_list.h"

namespace morvalen::core {

void decode_signature(BriefSystemList& list, std::int32_t bets, std::int64_t signature) {
    BriefSystemInfo info;
    info.bets = bets;
    std::int64_t s = signature;
    for (int k = event_count; k >= 1; --k) {
        // Remainder and quotient truncate toward zero, as the list page has always been read.
        const std::int64_t d = (s - 1) % 17 + 1;
        info.counts[k - 1] = d > 1 ? static_cast<int>(d) : 1;
        s = (s - 1) / 17;
    }
    list.push_back(info);
}

}  // namespace morvalen::core
