// The group codes that ship with the program (data/group_codes.txt, built in): uniform codes whose
// words are too many to store as bets, kept as the syndrome maps they come from.
#pragma once

#include <string_view>
#include <vector>

#include "briefgen/group_codes.h"

namespace morvalen::briefgen {

std::string_view shipped_group_codes_text();
// Parsed and checked exhaustively, code by code, on the first call; a damaged build throws
// std::runtime_error.
const std::vector<StoredGroupCode>& shipped_group_codes();

}  // namespace morvalen::briefgen
