// Brief-system rows and the list query behind grant=G_ab.
#include "service/system_store.h"

#include <algorithm>

namespace morvalen::service {

void ensure_system_schema(Database& db) {
    db.exec(
        "CREATE TABLE IF NOT EXISTS systems (signature INTEGER PRIMARY KEY, bets INTEGER NOT NULL, "
        "payload BLOB NOT NULL)");
}

void put_system(Database& db, std::int64_t signature, std::int32_t bets, const std::string& payload) {
    db.prepare("INSERT OR REPLACE INTO systems (signature, bets, payload) VALUES (?, ?, ?)")
        .bind(1, signature)
        .bind(2, std::int64_t{bets})
        .bind_blob(3, payload)
        .run();
}

std::optional<std::string> system_payload(Database& db, std::int64_t signature) {
    auto statement = db.prepare("SELECT payload FROM systems WHERE signature = ?");
    statement.bind(1, signature);
    if (!statement.step()) return std::nullopt;
    return statement.column_text(0);
}

bool has_system(Database& db, std::int64_t signature) {
    auto statement = db.prepare("SELECT 1 FROM systems WHERE signature = ?");
    statement.bind(1, signature);
    return statement.step();
}

std::vector<core::ListRecord> list_systems(Database& db, int guarantee, int first, int second) {
    struct Row {
        bool other_second;
        std::int32_t bets;
        std::int64_t signature;
    };
    std::vector<Row> rows;
    auto statement = db.prepare("SELECT signature, bets FROM systems");
    while (statement.step()) {
        const std::int64_t signature = statement.column_int(0);
        if (signature <= 0) continue;
        const auto shape = core::signature_parts(signature);
        if (shape.guarantee != guarantee || shape.counts[0] != first) continue;
        rows.push_back({shape.counts[1] != second, static_cast<std::int32_t>(statement.column_int(1)), signature});
    }
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (a.other_second != b.other_second) return !a.other_second;
        if (a.bets != b.bets) return a.bets < b.bets;
        return a.signature < b.signature;
    });
    std::vector<core::ListRecord> records;
    records.reserve(rows.size());
    for (const auto& row : rows) records.push_back({row.signature, row.bets});
    return records;
}

}  // namespace morvalen::service
