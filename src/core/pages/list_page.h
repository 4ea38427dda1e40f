// Reading the service's list page of brief systems ("signature;bets|" records).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pages/brief_system_list.h"

namespace morvalen::core {

struct ListPageResult {
    // Empty when the page was read to its end; otherwise "'%s' is not a valid integer value" for the
    // field that did not convert, with the entries before it kept in the list.
    std::string error;
    bool ok() const { return error.empty(); }
};

// Empties the list and appends one decoded entry per record. A last record without "|" still has
// its fields read, up to the end of the text.
ListPageResult read_list_page(std::string_view page, BriefSystemList& list);

struct ListRecord {
    std::int64_t signature = 0;
    std::int32_t bets = 0;
};
std::string write_list_page(const std::vector<ListRecord>& records);

// Decimal integers with optional leading blanks and sign, range checked.
std::optional<std::int64_t> parse_int64(std::string_view text);
std::optional<std::int32_t> parse_int32(std::string_view text);
std::string integer_error(std::string_view field);

}  // namespace morvalen::core
