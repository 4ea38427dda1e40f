// Signature arithmetic shared by the program, the batch tool and the service.
#include "core/signature.h"

#include <algorithm>
#include <functional>

namespace morvalen::core {

std::int64_t signature_of_counts(int guarantee, MarkedCounts counts) {
    std::sort(counts.begin(), counts.end(), std::greater<>());
    std::int64_t signature = guarantee;
    for (int count : counts) signature = signature * 17 + count;
    return signature;
}

MarkedCounts marked_counts(const EventTable& table) {
    MarkedCounts counts{};
    for (int e = 1; e <= event_count; ++e) counts[e - 1] = marked_count(table, e);
    return counts;
}

}  // namespace morvalen::core
