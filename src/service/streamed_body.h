// A large answer read from the store a chunk at a time while it is sent, so a slow client holds a
// chunk of memory instead of the whole file; the number of such transfers at once is capped.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "service/store.h"

struct sqlite3_blob;

namespace morvalen::service {

// The chunk a transfer reads and holds at a time.
inline constexpr std::size_t streamed_chunk_bytes = 64 * 1024;

class StreamedBody {
public:
    virtual ~StreamedBody() = default;
    virtual std::size_t size() const = 0;
    // Up to max bytes from offset; empty when they cannot be read (the row changed or went away).
    virtual std::string read(std::size_t offset, std::size_t max) = 0;
};

// Transfers running at once; each StreamedBody holds one place until it is destroyed.
class TransferSlots {
public:
    explicit TransferSlots(std::size_t cap) : cap_(cap) {}
    bool take();
    void give_back() { active_.fetch_sub(1); }
    std::size_t active() const { return active_.load(); }
    std::size_t cap() const { return cap_; }

private:
    std::size_t cap_;
    std::atomic<std::size_t> active_{0};
};

enum class StreamOpen { opened, missing, busy };

struct OpenedStream {
    StreamOpen status = StreamOpen::missing;
    std::shared_ptr<StreamedBody> body;
};

// The content of one update file through sqlite3_blob_read, holding a transfer place.
OpenedStream open_update_file_stream(Store& store, std::string_view name, TransferSlots& slots);

}  // namespace morvalen::service
