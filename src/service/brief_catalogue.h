// Brief systems made by the generator in the store: the shipped catalogue, rebuilds and payloads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "briefgen/catalogue.h"
#include "service/sqlite_db.h"

namespace morvalen::service {

// Loads the shipped catalogue into a store that holds no brief system yet; returns how many
// systems it stored (0 when the store already had some: the operator's systems are left alone).
std::size_t load_shipped_catalogue(Database& db);

// Stores (or replaces) every entry as signature, number of bets and gzip payload, in one transaction.
void store_catalogue(Database& db, const std::vector<briefgen::CatalogueEntry>& entries);

// The stored systems of the catalogue's shapes that decode, so that a rebuild starts from them.
std::vector<briefgen::CatalogueEntry> stored_catalogue(Database& db);

std::string system_payload_of(const std::vector<briefgen::Record>& records);

}  // namespace morvalen::service
