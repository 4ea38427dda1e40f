// Signature arithmetic shared by the program, the batch tool, the service and the generator.
#include "core/model/signature.h"

#include <algorithm>
#include <functional>

namespace morvalen::core {

std::int64_t fold_signature(int guarantee, const MarkedCounts& counts) {
    std::int64_t signature = guarantee;
    for (int count : counts) signature = signature * 17 + count;
    return signature;
}

std::int64_t signature_of(int guarantee, MarkedCounts counts) {
    std::sort(counts.begin(), counts.end(), std::greater<>());
    return fold_signature(guarantee, counts);
}

MarkedCounts marked_counts(const EventTable& table) {
    MarkedCounts counts{};
    for (int e = 1; e <= event_count; ++e) counts[e - 1] = marked_count(table, e);
    return counts;
}

SignatureParts signature_parts(std::int64_t signature) {
    SignatureParts parts;
    std::int64_t s = signature;
    for (int k = event_count; k >= 1; --k) {
        const std::int64_t d = (s - 1) % 17 + 1;
        parts.counts[static_cast<std::size_t>(k - 1)] = static_cast<int>(d);
        s = (s - 1) / 17;
    }
    parts.guarantee = s;
    return parts;
}

bool is_valid_signature(std::int64_t signature) {
    if (signature <= 0) return false;
    const SignatureParts parts = signature_parts(signature);
    if (parts.guarantee < 1 || parts.guarantee > event_count) return false;
    for (std::size_t i = 0; i < parts.counts.size(); ++i) {
        if (parts.counts[i] < 1 || parts.counts[i] > 17) return false;
        if (i > 0 && parts.counts[i] > parts.counts[i - 1]) return false;
    }
    return true;
}

}  // namespace morvalen::core
