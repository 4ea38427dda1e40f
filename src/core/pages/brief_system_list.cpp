// Decoding signatures of the service's list page.
#include "core/pages/brief_system_list.h"

namespace morvalen::core {

void decode_signature(BriefSystemList& list, std::int32_t bets, std::int64_t signature) {
    BriefSystemInfo info;
    info.bets = bets;
    // The digits of a signature that is no system (0 or negative ones) are read as 1.
    const SignatureParts parts = signature_parts(signature);
    for (std::size_t k = 0; k < parts.counts.size(); ++k) info.counts[k] = parts.counts[k] > 1 ? parts.counts[k] : 1;
    list.push_back(info);
}

}  // namespace morvalen::core
