// Brief systems in the store: one row per signature with its number of bets and gzip payload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/list_page.h"
#include "core/signature.h"
#include "service/sqlite_db.h"

namespace morvalen::service {

// Table systems (signature INTEGER PRIMARY KEY, bets INTEGER NOT NULL, payload BLOB NOT NULL).
void ensure_system_schema(Database& db);

// Inserts or replaces the system of a signature.
void put_system(Database& db, std::int64_t signature, std::int32_t bets, const std::string& payload);
std::optional<std::string> system_payload(Database& db, std::int64_t signature);
bool has_system(Database& db, std::int64_t signature);

// Systems of guarantee G whose largest count is first: those whose second count is second first,
// then the others, each group by number of bets (then by signature, so the order is stable).
std::vector<core::ListRecord> list_systems(Database& db, int guarantee, int first, int second);

}  // namespace morvalen::service
