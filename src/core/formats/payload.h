// The brief-system payload: a gzip stream of 5-byte little-endian records, one bet per record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvalen::core {

inline constexpr std::size_t payload_record_size = 5;
// A record is an unsigned 40-bit value.
inline constexpr std::uint64_t payload_record_limit = std::uint64_t{1} << 40;

// The error of a content that decompresses beyond its cap.
inline constexpr std::string_view payload_too_large_error = "decompressed content exceeds the limit";

enum class PayloadStatus {
    records,    // a valid stream; records holds every whole record
    no_system,  // a body of fewer than 2 bytes: the service has no system for the signature
    error,      // corrupt, truncated, failing its CRC-32 or length, or expanding beyond the cap
};

struct PayloadResult {
    PayloadStatus status = PayloadStatus::error;
    std::vector<std::uint64_t> records;
    std::size_t content_size = 0;  // decompressed bytes, the base of the progress percentage
    std::string error;             // a short English reason when status is error
};

// Decompresses a body. The cap bounds the decompressed content so that a small hostile body cannot
// expand to gigabytes; reaching beyond it is an error and no records are returned. Concatenated
// gzip members are read as one content, as RFC 1952 defines.
PayloadResult decode_payload(std::string_view body, std::size_t max_content_bytes);

// The records of a decompressed content; a trailing partial record is ignored.
std::vector<std::uint64_t> payload_records(std::string_view content);

// The inverse, for the service and tests. Values must be below 2^40 (higher bits are dropped).
std::string payload_content(const std::vector<std::uint64_t>& records);
std::string encode_payload(const std::vector<std::uint64_t>& records);
// Gzip of arbitrary content (one member, best compression).
std::string gzip_compress(std::string_view content);

}  // namespace morvalen::core
