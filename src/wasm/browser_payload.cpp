// The payload's record layout for the browser build: there the browser inflates the service's gzip
// body (DecompressionStream), so zlib stays out and only the records are read here.
#include "core/formats/payload.h"

namespace morvalen::core {

std::vector<std::uint64_t> payload_records(std::string_view content) {
    std::vector<std::uint64_t> records;
    records.reserve(content.size() / payload_record_size);
    for (std::size_t at = 0; at + payload_record_size <= content.size(); at += payload_record_size) {
        std::uint64_t v = 0;
        for (std::size_t i = payload_record_size; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(content[at + i]);
        records.push_back(v);
    }
    return records;
}

// Reached only through expand_brief_body, which the page never calls: the body it hands over is
// already inflated.
PayloadResult decode_payload(std::string_view, std::size_t) {
    PayloadResult result;
    result.error = "gzip bodies are inflated by the browser";
    return result;
}

}  // namespace morvalen::core
