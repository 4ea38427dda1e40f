// The list page reader: every signature goes through decode_signature as it is read.
#include "core/pages/list_page.h"

#include <limits>

namespace morvalen::core {
namespace {

std::string_view take_until(std::string_view& rest, char separator) {
    const auto at = rest.find(separator);
    if (at == std::string_view::npos) {
        const std::string_view field = rest;
        rest = {};
        return field;
    }
    const std::string_view field = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    return field;
}

}  // namespace

std::optional<std::int64_t> parse_int64(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    // Accumulate as a negative number so that the minimum value fits.
    std::int64_t value = 0;
    constexpr std::int64_t min = std::numeric_limits<std::int64_t>::min();
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value < (min + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == min) return std::nullopt;
        value = -value;
    }
    return value;
}

std::optional<std::int32_t> parse_int32(std::string_view text) {
    const auto wide = parse_int64(text);
    if (!wide || *wide < std::numeric_limits<std::int32_t>::min() || *wide > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*wide);
}

std::string integer_error(std::string_view field) {
    return "'" + std::string(field) + "' is not a valid integer value";
}

ListPageResult read_list_page(std::string_view page, BriefSystemList& list) {
    ListPageResult result;
    list.clear();
    while (!page.empty()) {
        const std::string_view signature_text = take_until(page, ';');
        const std::string_view bets_text = take_until(page, '|');
        const auto signature = parse_int64(signature_text);
        if (!signature) {
            result.error = integer_error(signature_text);
            return result;
        }
        const auto bets = parse_int32(bets_text);
        if (!bets) {
            result.error = integer_error(bets_text);
            return result;
        }
        decode_signature(list, *bets, *signature);
    }
    return result;
}

std::string write_list_page(const std::vector<ListRecord>& records) {
    std::string page;
    for (const auto& record : records) {
        page += std::to_string(record.signature);
        page += ';';
        page += std::to_string(record.bets);
        page += '|';
    }
    return page;
}

}  // namespace morvalen::core
