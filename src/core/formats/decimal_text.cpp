// Number text through the classic locale's streams: the same digits on every standard library,
// including those whose from_chars and to_chars lack floating point.
#include "core/formats/decimal_text.h"

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>

namespace morvalen::core {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_word(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(text[i]) != word[i]) return false;
    return true;
}

enum class Special { none, infinity, not_a_number, invalid };

// "inf", "infinity", "nan" and "nan(" letters, digits, "_" ")" as the whole text after the sign.
Special special_of(std::string_view body) {
    if (body.size() == 3 && starts_with_word(body, "inf")) return Special::infinity;
    if (body.size() == 8 && starts_with_word(body, "infinity")) return Special::infinity;
    if (!starts_with_word(body, "nan")) return Special::none;
    if (body.size() == 3) return Special::not_a_number;
    if (body[3] != '(' || body.back() != ')') return Special::invalid;
    for (char c : body.substr(4, body.size() - 5))
        if (!is_digit(c) && !(lower(c) >= 'a' && lower(c) <= 'z') && c != '_') return Special::invalid;
    return Special::not_a_number;
}

// Checks the plain decimal form; tells whether some mantissa digit is not 0.
bool plain_form(std::string_view body, bool& nonzero) {
    std::size_t i = 0;
    std::size_t digits = 0;
    nonzero = false;
    for (; i < body.size() && is_digit(body[i]); ++i, ++digits) nonzero |= body[i] != '0';
    if (i < body.size() && body[i] == '.')
        for (++i; i < body.size() && is_digit(body[i]); ++i, ++digits) nonzero |= body[i] != '0';
    if (digits == 0) return false;
    if (i == body.size()) return true;
    if (lower(body[i]) != 'e') return false;
    if (++i < body.size() && (body[i] == '+' || body[i] == '-')) ++i;
    if (i == body.size()) return false;
    for (; i < body.size(); ++i)
        if (!is_digit(body[i])) return false;
    return true;
}

template <typename Value>
std::optional<Value> read_number(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view body = negative ? text.substr(1) : text;
    const Value sign = negative ? Value(-1) : Value(1);
    switch (special_of(body)) {
        case Special::infinity: return sign * std::numeric_limits<Value>::infinity();
        case Special::not_a_number: return std::copysign(std::numeric_limits<Value>::quiet_NaN(), sign);
        case Special::invalid: return std::nullopt;
        case Special::none: break;
    }
    bool nonzero = false;
    if (!plain_form(body, nonzero)) return std::nullopt;
    // The stream wants a leading digit; the grammar is already checked, so one more zero is harmless.
    std::istringstream in("0" + std::string(body));
    in.imbue(std::locale::classic());
    Value value = 0;
    in >> value;
    if (in.fail() || !std::isfinite(value) || (nonzero && value == 0)) return std::nullopt;
    return sign * value;
}

}  // namespace

std::optional<double> read_decimal(std::string_view text) { return read_number<double>(text); }

std::optional<long double> read_long_decimal(std::string_view text) { return read_number<long double>(text); }

std::string write_general(double value, int significant) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::setprecision(significant) << value;
    return out.str();
}

std::string write_shortest_fixed(double value) {
    // The fewest decimals that read back as the same double: what to_chars' shortest fixed form gives.
    for (int decimals = 0;; ++decimals) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out << std::fixed << std::setprecision(decimals) << value;
        if (decimals >= 400 || !std::isfinite(value) || read_decimal(out.str()) == value) return out.str();
    }
}

}  // namespace morvalen::core
