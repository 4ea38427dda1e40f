// Brief-system rows and the list query behind grant=G_ab.
#include "service/system_store.h"

#include <algorithm>

namespace morvalen::service {

void ensure_system_schema(Database& db) {
    db.exec(
        "CREATE TABLE IF NOT EXISTS systems (signature INTEGER PRIMARY KEY, bets INTEGER NOT NULL, "
        "payload BLOB NOT NULL)");
    db.exec("CREATE TABLE IF NOT EXISTS generated_systems (signature INTEGER PRIMARY KEY, used INTEGER NOT NULL)");
}

void put_system(Database& db, std::int64_t signature, std::int32_t bets, const std::string& payload) {
    db.prepare("INSERT OR REPLACE INTO systems (signature, bets, payload) VALUES (?, ?, ?)")
        .bind(1, signature)
        .bind(2, std::int64_t{bets})
        .bind_blob(3, payload)
        .run();
    db.prepare("DELETE FROM generated_systems WHERE signature = ?").bind(1, signature).run();
}

void put_generated_system(Database& db, std::int64_t signature, std::int32_t bets, const std::string& payload,
                          std::int64_t used) {
    put_system(db, signature, bets, payload);
    db.prepare("INSERT INTO generated_systems (signature, used) VALUES (?, ?)").bind(1, signature).bind(2, used).run();
}

void note_generated_use(Database& db, std::int64_t signature, std::int64_t used) {
    db.prepare("UPDATE generated_systems SET used = ? WHERE signature = ?").bind(1, used).bind(2, signature).run();
}

void drop_generated_system(Database& db, std::int64_t signature) {
    db.prepare("DELETE FROM systems WHERE signature = ?1 AND signature IN (SELECT signature FROM generated_systems)")
        .bind(1, signature)
        .run();
    db.prepare("DELETE FROM generated_systems WHERE signature = ?").bind(1, signature).run();
}

std::vector<GeneratedUse> generated_systems(Database& db) {
    std::vector<GeneratedUse> uses;
    auto statement = db.prepare("SELECT signature, used FROM generated_systems ORDER BY used, signature");
    while (statement.step()) uses.push_back({statement.column_int(0), statement.column_int(1)});
    return uses;
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
