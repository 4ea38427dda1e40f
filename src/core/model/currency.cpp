// Exact decimal reading and shortest writing of currency values.
#include "core/model/currency.h"
#include "core/model/wide_int.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace morvalen::core {

std::optional<std::int64_t> round_half_even(long double value) {
    if (!std::isfinite(value)) return std::nullopt;
    // nearbyint follows the current rounding mode, which is round-to-nearest-even by default.
    const long double rounded = std::nearbyintl(value);
    constexpr long double limit = 9223372036854775807.0L;
    if (rounded >= limit || rounded < -limit) return std::nullopt;
    return static_cast<std::int64_t>(rounded);
}

Currency Currency::from_floating(long double value) {
    return Currency(round_half_even(value * scale).value_or(0));
}

namespace {

// Plain "digits[.digits]" with at most 4 decimals and 14 whole digits: the form every written
// amount has, read without the general path.
std::optional<std::int64_t> parse_plain(std::string_view text) {
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++pos;
    std::int64_t whole = 0;
    std::size_t whole_digits = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++whole_digits) {
        if (whole_digits == 14) return std::nullopt;
        whole = whole * 10 + (text[pos] - '0');
    }
    if (whole_digits == 0) return std::nullopt;
    std::int64_t fraction = 0;
    std::size_t fraction_digits = 0;
    if (pos < text.size() && text[pos] == '.') {
        for (++pos; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, ++fraction_digits) {
            if (fraction_digits == 4) return std::nullopt;
            fraction = fraction * 10 + (text[pos] - '0');
        }
    }
    if (pos != text.size()) return std::nullopt;
    for (std::size_t i = fraction_digits; i < 4; ++i) fraction *= 10;
    const std::int64_t value = whole * Currency::scale + fraction;
    return negative ? -value : value;
}

}  // namespace

namespace {

// A number as its significant digits and where the decimal point falls: digits × 10^point_shift.
struct SignificantDigits {
    std::string digits;
    int point_shift = 0;
};

// The sign and the digits with an optional point from `pos` on; nothing when there is no digit.
std::optional<SignificantDigits> read_significand(std::string_view text, std::size_t& pos) {
    SignificantDigits number;
    bool any_digit = false;
    bool seen_point = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c >= '0' && c <= '9') {
            any_digit = true;
            if (!(number.digits.empty() && c == '0')) {
                if (number.digits.size() < 40) {
                    number.digits.push_back(c);
                    if (seen_point) --number.point_shift;
                } else if (!seen_point) {
                    ++number.point_shift;  // digits beyond what matters before the point still scale
                } else if (c != '0') {
                    number.digits.push_back('1');  // a sticky digit, enough to break a tie
                    --number.point_shift;
                }
            } else if (seen_point) {
                --number.point_shift;
            }
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    if (!any_digit) return std::nullopt;
    return number;
}

// "e" or "E", a sign and digits, when the text goes on with one; false for a malformed exponent.
bool read_exponent(std::string_view text, std::size_t& pos, int& point_shift) {
    if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return true;
    ++pos;
    bool exp_negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        exp_negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size()) return false;
    long exponent = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') return false;
        if (exponent < 100000) exponent = exponent * 10 + (c - '0');
    }
    point_shift += static_cast<int>(exp_negative ? -exponent : exponent);
    return true;
}

// The magnitude in ten-thousandths, halves to even; nothing when it does not fit.
std::optional<std::int64_t> ten_thousandths_of(const SignificantDigits& number) {
    const std::string& digits = number.digits;
    // value × 10^4 = digits × 10^(point_shift + 4).
    const long shift = static_cast<long>(number.point_shift) + 4;
    const long whole_len = static_cast<long>(digits.size()) + shift;
    if (whole_len > 19) return std::nullopt;
    uint128 whole = 0;
    std::string kept = whole_len > 0 ? digits.substr(0, static_cast<std::size_t>(std::min<long>(whole_len, static_cast<long>(digits.size())))) : std::string();
    for (char c : kept) whole = whole * 10 + static_cast<unsigned>(c - '0');
    for (long i = static_cast<long>(digits.size()); i < whole_len; ++i) whole *= 10;
    // The dropped digits decide the rounding: above, below or exactly half.
    const std::size_t first_dropped = whole_len > 0 ? static_cast<std::size_t>(whole_len) : 0;
    if (first_dropped < digits.size()) {
        int first = 0;
        bool rest_nonzero = false;
        if (whole_len >= 0) {
            first = digits[first_dropped] - '0';
            for (std::size_t i = first_dropped + 1; i < digits.size(); ++i) rest_nonzero |= digits[i] != '0';
        } else {
            // The whole digit string lies below the first dropped place.
            first = 0;
            rest_nonzero = true;
        }
        if (first > 5 || (first == 5 && rest_nonzero) || (first == 5 && !rest_nonzero && (whole & 1))) ++whole;
    }
    const uint128 max_magnitude = static_cast<uint128>(std::numeric_limits<std::int64_t>::max());
    if (whole > max_magnitude) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

}  // namespace

std::optional<Currency> Currency::parse(std::string_view text) {
    if (const auto plain = parse_plain(text)) return Currency(*plain);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    auto number = read_significand(text, pos);
    if (!number || !read_exponent(text, pos, number->point_shift) || pos != text.size()) return std::nullopt;
    if (number->digits.empty()) return Currency(0);
    const auto magnitude = ten_thousandths_of(*number);
    if (!magnitude) return std::nullopt;
    return Currency(negative ? -*magnitude : *magnitude);
}

std::string Currency::to_string() const {
    const bool negative = raw_ < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(raw_)
                                                  : static_cast<unsigned long long>(raw_);
    std::string text = std::to_string(magnitude / scale);
    unsigned long long fraction = magnitude % scale;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0') digits.pop_back();
        text += '.';
        text += digits;
    }
    if (negative) text.insert(0, 1, '-');
    return text;
}

}  // namespace morvalen::core
