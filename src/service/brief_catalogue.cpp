// The generator's systems as rows of the systems table.
#include "service/brief_catalogue.h"

#include <limits>
#include <stdexcept>

#include "briefgen/shipped_catalogue.h"
#include "core/formats/payload.h"
#include "service/system_store.h"

namespace morvalen::service {

namespace {

// A stored payload is read back only this far; catalogue systems are a few kilobytes.
constexpr std::size_t stored_content_limit = std::size_t{64} << 20;

}  // namespace

std::string system_payload_of(const std::vector<briefgen::Record>& records) {
    return core::encode_payload(records);
}

std::size_t load_shipped_catalogue(Database& db) {
    auto count = db.prepare("SELECT COUNT(*) FROM systems");
    if (!count.step() || count.column_int(0) != 0) return 0;
    // The payloads are compressed once per process, however many stores a run opens.
    static const std::vector<std::pair<briefgen::CatalogueEntry, std::string>> payloads = [] {
        std::vector<std::pair<briefgen::CatalogueEntry, std::string>> encoded;
        for (const auto& entry : briefgen::shipped_catalogue()) encoded.emplace_back(entry, system_payload_of(entry.records));
        return encoded;
    }();
    Transaction transaction(db);
    for (const auto& [entry, payload] : payloads)
        put_system(db, entry.signature, static_cast<std::int32_t>(entry.records.size()), payload);
    transaction.commit();
    return payloads.size();
}

void store_catalogue(Database& db, const std::vector<briefgen::CatalogueEntry>& entries) {
    Transaction transaction(db);
    for (const auto& entry : entries) {
        if (entry.records.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            throw std::runtime_error("system " + std::to_string(entry.signature) + " has too many bets");
        put_system(db, entry.signature, static_cast<std::int32_t>(entry.records.size()), system_payload_of(entry.records));
    }
    transaction.commit();
}

std::vector<briefgen::CatalogueEntry> stored_catalogue(Database& db) {
    std::vector<briefgen::CatalogueEntry> entries;
    for (const briefgen::Shape& shape : briefgen::catalogue_shapes()) {
        const std::int64_t signature = briefgen::signature_of(shape);
        const auto payload = system_payload(db, signature);
        if (!payload) continue;
        const auto decoded = core::decode_payload(*payload, stored_content_limit);
        if (decoded.status != core::PayloadStatus::records || decoded.records.empty()) continue;
        entries.push_back({signature, decoded.records});
    }
    return entries;
}

}  // namespace morvalen::service
