// Anything unexpected in a query is answered as a bad request rather than guessed at: the program
// only ever sends the three forms, so a different one is a fault or a probe.
#include "service/brief_query.h"

#include "core/pages/list_page.h"
#include "core/pages/service_request.h"

namespace morvalen::service {
namespace {

int count_of_digit(char c) {
    const auto at = core::count_digits.find(c);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

bool all_digits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

BriefQuery parse_grant(std::string_view value) {
    // G_ab: the guarantee as the program's edit shows it, then two count digits.
    const auto bar = value.find('_');
    if (bar == std::string_view::npos || value.size() != bar + 3) return QueryError{"grant must be G_ab"};
    const std::string_view guarantee = value.substr(0, bar);
    if (!all_digits(guarantee) || guarantee.size() > 2) return QueryError{"grant: the guarantee is not a number"};
    const int g = std::stoi(std::string(guarantee));
    if (g < 1 || g > 8) return QueryError{"grant: the guarantee is out of range"};
    const int first = count_of_digit(value[bar + 1]);
    const int second = count_of_digit(value[bar + 2]);
    if (first == 0 || second == 0) return QueryError{"grant: a count digit is not one of 0-9A-G"};
    return ListQuery{g, first, second};
}

BriefQuery parse_signat(std::string_view value) {
    if (!all_digits(value)) return QueryError{"signat is not a number"};
    const auto signature = core::parse_int64(value);
    if (!signature || *signature <= 0) return QueryError{"signat is out of range"};
    return SystemQuery{*signature};
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> percent_decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out.push_back(' ');
        } else if (text[i] == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int high = hex_value(text[i + 1]);
            const int low = hex_value(text[i + 2]);
            if (high < 0 || low < 0) return std::nullopt;
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::optional<QueryParams> query_params(std::string_view target) {
    QueryParams params;
    const auto mark = target.find('?');
    if (mark == std::string_view::npos) return params;
    std::string_view query = target.substr(mark + 1);
    if (const auto hash = query.find('#'); hash != std::string_view::npos) query = query.substr(0, hash);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) continue;
        const auto eq = pair.find('=');
        auto key = percent_decode(pair.substr(0, eq));
        auto value = percent_decode(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1));
        if (!key || !value) return std::nullopt;
        params.emplace_back(std::move(*key), std::move(*value));
    }
    return params;
}

BriefQuery parse_brief_query(const QueryParams& params, std::size_t target_length) {
    if (target_length > max_target_length) return QueryError{"request too long"};
    const std::string* line = nullptr;
    const std::string* grant = nullptr;
    const std::string* signat = nullptr;
    const std::string* dt = nullptr;
    for (const auto& [key, value] : params) {
        const std::string** slot = key == "line"     ? &line
                                   : key == "grant"  ? &grant
                                   : key == "signat" ? &signat
                                   : key == "dt"     ? &dt
                                                     : nullptr;
        if (slot == nullptr) return QueryError{"unknown key"};
        if (*slot != nullptr) return QueryError{"repeated key " + key};
        *slot = &value;
    }
    const int kinds = (line != nullptr) + (grant != nullptr) + (signat != nullptr);
    if (kinds != 1) return QueryError{"expected exactly one of line, grant, signat"};
    // The time value only defeats caches: its content is not used, and the target length bounds it.
    if (line != nullptr) {
        if (*line != "1") return QueryError{"line must be 1"};
        return LineQuery{};
    }
    if (grant != nullptr) return parse_grant(*grant);
    return parse_signat(*signat);
}

}  // namespace morvalen::service
