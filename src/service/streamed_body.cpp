// The blob handle lives for the transfer and is used only under the store's lock; when the operator
// replaces the file meanwhile, SQLite aborts the handle and the transfer ends short rather than mix
// two files.
#include "service/streamed_body.h"

#include <sqlite3.h>

namespace morvalen::service {
namespace {

class BlobBody final : public StreamedBody {
public:
    BlobBody(Store& store, sqlite3_blob* blob, std::size_t size, TransferSlots& slots)
        : store_(store), blob_(blob), size_(size), slots_(slots) {}
    ~BlobBody() override {
        store_.with_db([&](Database&) { sqlite3_blob_close(blob_); });
        slots_.give_back();
    }
    BlobBody(const BlobBody&) = delete;
    BlobBody& operator=(const BlobBody&) = delete;

    std::size_t size() const override { return size_; }

    std::string read(std::size_t offset, std::size_t max) override {
        if (offset >= size_) return {};
        std::string chunk(std::min(max, size_ - offset), '\0');
        const int rc = store_.with_db([&](Database&) {
            return sqlite3_blob_read(blob_, chunk.data(), static_cast<int>(chunk.size()), static_cast<int>(offset));
        });
        if (rc != SQLITE_OK) return {};
        return chunk;
    }

private:
    Store& store_;
    sqlite3_blob* blob_;
    std::size_t size_;
    TransferSlots& slots_;
};

}  // namespace

bool TransferSlots::take() {
    std::size_t now = active_.load();
    do {
        if (now >= cap_) return false;
    } while (!active_.compare_exchange_weak(now, now + 1));
    return true;
}

OpenedStream open_update_file_stream(Store& store, std::string_view name, TransferSlots& slots) {
    if (!slots.take()) return {StreamOpen::busy, nullptr};
    sqlite3_blob* blob = nullptr;
    const bool found = store.with_db([&](Database& db) {
        auto statement = db.prepare("SELECT rowid FROM update_files WHERE name = ?");
        statement.bind(1, name);
        if (!statement.step()) return false;
        const sqlite3_int64 row = statement.column_int(0);
        return sqlite3_blob_open(db.handle(), "main", "update_files", "content", row, 0, &blob) == SQLITE_OK;
    });
    if (!found) {
        if (blob) store.with_db([&](Database&) { sqlite3_blob_close(blob); });
        slots.give_back();
        return {StreamOpen::missing, nullptr};
    }
    const auto size = static_cast<std::size_t>(sqlite3_blob_bytes(blob));
    return {StreamOpen::opened, std::make_shared<BlobBody>(store, blob, size, slots)};
}

}  // namespace morvalen::service
