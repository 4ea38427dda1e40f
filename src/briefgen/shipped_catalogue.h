// The catalogue of brief systems that ships with the program (data/brief_catalogue.txt, built in).
#pragma once

#include <string_view>
#include <vector>

#include "briefgen/catalogue.h"

namespace morvalen::briefgen {

std::string_view shipped_catalogue_text();
// Parsed and checked exhaustively, system by system, on the first call; a damaged build throws
// std::runtime_error.
const std::vector<CatalogueEntry>& shipped_catalogue();

}  // namespace morvalen::briefgen
