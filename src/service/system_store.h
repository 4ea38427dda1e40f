// Brief systems in the store: one row per signature with its number of bets and gzip payload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/pages/list_page.h"
#include "core/model/signature.h"
#include "service/sqlite_db.h"

namespace morvalen::service {

// Table systems (signature INTEGER PRIMARY KEY, bets INTEGER NOT NULL, payload BLOB NOT NULL), and
// generated_systems (signature INTEGER PRIMARY KEY, used INTEGER NOT NULL): which of them the service
// generated itself and may drop again, with the order they were last served in (higher: later).
void ensure_system_schema(Database& db);

// Inserts or replaces the system of a signature; it is no generated one any more, whatever it was.
void put_system(Database& db, std::int64_t signature, std::int32_t bets, const std::string& payload);
// The same for a system the service generated, last served as the used-th.
void put_generated_system(Database& db, std::int64_t signature, std::int32_t bets, const std::string& payload,
                          std::int64_t used);
void note_generated_use(Database& db, std::int64_t signature, std::int64_t used);
// Removes a generated system; one the operator has stored since is left alone.
void drop_generated_system(Database& db, std::int64_t signature);

struct GeneratedUse {
    std::int64_t signature = 0;
    std::int64_t used = 0;
};
// The generated systems, least recently served first.
std::vector<GeneratedUse> generated_systems(Database& db);
std::optional<std::string> system_payload(Database& db, std::int64_t signature);
bool has_system(Database& db, std::int64_t signature);

// Systems of guarantee G whose largest count is first: those whose second count is second first,
// then the others, each group by number of bets (then by signature, so the order is stable).
std::vector<core::ListRecord> list_systems(Database& db, int guarantee, int first, int second);

}  // namespace morvalen::service
