// Strict reading of the query of /sttot/getbrief.ashx: exactly one of line, grant and signat, plus dt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace morvalen::service {

struct LineQuery {};
struct ListQuery {
    int guarantee = 0;  // 1 to 8
    int first = 0;      // largest marked count, 1 to 17
    int second = 0;     // second largest, 1 to 17
};
struct SystemQuery {
    std::int64_t signature = 0;
};
struct QueryError {
    std::string message;  // a short text for the 400 answer
};

using BriefQuery = std::variant<LineQuery, ListQuery, SystemQuery, QueryError>;
using QueryParams = std::vector<std::pair<std::string, std::string>>;

// The longest raw request target accepted; real requests are well under 100 characters.
inline constexpr std::size_t max_target_length = 256;

// params are the decoded query pairs in order; target_length is the length of the raw target.
BriefQuery parse_brief_query(const QueryParams& params, std::size_t target_length);

// Percent escapes and "+" decoded; nullopt when an escape is malformed.
std::optional<std::string> percent_decode(std::string_view text);

// The pairs of a raw target's query ("/path?a=1&b=%41"), percent-decoded, duplicates kept;
// nullopt when an escape is malformed.
std::optional<QueryParams> query_params(std::string_view target);

}  // namespace morvalen::service
