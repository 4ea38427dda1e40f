// Money and percentages as exact signed ten-thousandths.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvalen::core {

// Rounds to the nearest integer, halves to even; nullopt when the value is not finite or out of range.
std::optional<std::int64_t> round_half_even(long double value);

class Currency {
public:
    static constexpr std::int64_t scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency from_ten_thousandths(std::int64_t raw) { return Currency(raw); }
    static constexpr Currency from_units(std::int64_t units) { return Currency(units * scale); }

    // value × 10000 rounded to the nearest, halves to even; zero when out of range.
    static Currency from_floating(long double value);

    // Decimal text with "." as the point, optional sign and exponent; rounded to four decimals,
    // halves to even. A comma is not a point. No blanks are allowed (callers trim first).
    static std::optional<Currency> parse(std::string_view text);

    constexpr std::int64_t ten_thousandths() const { return raw_; }
    long double to_floating() const { return static_cast<long double>(raw_) / scale; }

    // Shortest plain form: no grouping, no trailing zeros, at most four decimals (3.1, 6.2, 3, 0).
    std::string to_string() const;

    constexpr auto operator<=>(const Currency&) const = default;
    constexpr Currency operator+(Currency other) const { return Currency(raw_ + other.raw_); }
    constexpr Currency operator-(Currency other) const { return Currency(raw_ - other.raw_); }
    constexpr Currency& operator+=(Currency other) { raw_ += other.raw_; return *this; }

private:
    constexpr explicit Currency(std::int64_t raw) : raw_(raw) {}
    std::int64_t raw_ = 0;
};

}  // namespace morvalen::core
