// Gzip decoding with a size cap, and the 5-byte record layout of brief-system payloads.
#include "core/formats/payload.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>

namespace morvalen::core {
namespace {

constexpr std::size_t chunk_size = 64 * 1024;
// zlib counts in uInt; feed it bounded slices so that huge bodies never overflow its counters.
constexpr std::size_t max_slice = std::size_t{1} << 30;

PayloadResult failure(std::string reason) {
    PayloadResult result;
    result.status = PayloadStatus::error;
    result.error = std::move(reason);
    return result;
}

// Inflates every member of the body into content; returns an empty string on success.
std::string inflate_members(std::string_view body, std::size_t cap, std::string& content) {
    z_stream stream{};
    // 16 + MAX_WBITS: gzip wrapper only, so the header, CRC-32 and length are checked by zlib.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return "cannot initialise the decompressor";
    struct Guard {
        z_stream* s;
        ~Guard() { inflateEnd(s); }
    } guard{&stream};

    std::size_t consumed = 0;
    std::array<unsigned char, chunk_size> out{};
    bool member_open = true;
    for (;;) {
        const std::size_t slice = std::min(body.size() - consumed, max_slice);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + consumed));
        stream.avail_in = static_cast<uInt>(slice);
        int rc = Z_OK;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            rc = inflate(&stream, Z_NO_FLUSH);
            if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR) return "corrupt gzip stream";
            if (rc == Z_MEM_ERROR) return "out of memory while decompressing";
            const std::size_t produced = out.size() - stream.avail_out;
            if (produced > cap - content.size()) return std::string(payload_too_large_error);
            content.append(reinterpret_cast<const char*>(out.data()), produced);
            if (rc == Z_STREAM_END) break;
            // Z_BUF_ERROR with input left means no progress was possible: the stream is stuck.
            if (rc == Z_BUF_ERROR && stream.avail_in != 0 && produced == 0) return "corrupt gzip stream";
        } while (stream.avail_in != 0 || stream.avail_out == 0);
        consumed += slice - stream.avail_in;

        if (rc == Z_STREAM_END) {
            member_open = false;
            if (consumed == body.size()) break;
            // Another member follows; anything that is not one fails its header check.
            if (inflateReset(&stream) != Z_OK) return "cannot reset the decompressor";
            member_open = true;
            continue;
        }
        if (consumed == body.size()) break;
    }
    if (member_open) return "truncated gzip stream";
    return {};
}

}  // namespace

PayloadResult decode_payload(std::string_view body, std::size_t max_content_bytes) {
    if (body.size() < 2) {
        PayloadResult result;
        result.status = PayloadStatus::no_system;
        return result;
    }
    std::string content;
    std::string reason;
    try {
        reason = inflate_members(body, max_content_bytes, content);
    } catch (const std::bad_alloc&) {
        reason = "out of memory while decompressing";
    }
    if (!reason.empty()) return failure(std::move(reason));
    PayloadResult result;
    result.status = PayloadStatus::records;
    result.content_size = content.size();
    result.records = payload_records(content);
    return result;
}

std::vector<std::uint64_t> payload_records(std::string_view content) {
    std::vector<std::uint64_t> records;
    records.reserve(content.size() / payload_record_size);
    for (std::size_t at = 0; at + payload_record_size <= content.size(); at += payload_record_size) {
        std::uint64_t v = 0;
        for (std::size_t i = payload_record_size; i-- > 0;) {
            v = (v << 8) | static_cast<unsigned char>(content[at + i]);
        }
        records.push_back(v);
    }
    return records;
}

std::string payload_content(const std::vector<std::uint64_t>& records) {
    std::string content;
    content.reserve(records.size() * payload_record_size);
    for (std::uint64_t v : records) {
        for (std::size_t i = 0; i < payload_record_size; ++i) {
            content.push_back(static_cast<char>(v & 0xFFu));
            v >>= 8;
        }
    }
    return content;
}

std::string gzip_compress(std::string_view content) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("cannot initialise the compressor");
    }
    struct Guard {
        z_stream* s;
        ~Guard() { deflateEnd(s); }
    } guard{&stream};
    std::string out;
    std::array<unsigned char, chunk_size> buffer{};
    std::size_t consumed = 0;
    int rc = Z_OK;
    do {
        const std::size_t slice = std::min(content.size() - consumed, max_slice);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data() + consumed));
        stream.avail_in = static_cast<uInt>(slice);
        const bool last = consumed + slice == content.size();
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            rc = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            if (rc == Z_STREAM_ERROR) throw std::runtime_error("compression failed");
            out.append(reinterpret_cast<const char*>(buffer.data()), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
        consumed += slice;
    } while (rc != Z_STREAM_END);
    return out;
}

std::string encode_payload(const std::vector<std::uint64_t>& records) {
    return gzip_compress(payload_content(records));
}

}  // namespace morvalen::core
