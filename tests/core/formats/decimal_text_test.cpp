// The locale-free number text gives what from_chars and to_chars give, value for value.
#include <charconv>
#include <clocale>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/formats/decimal_text.h"

namespace morvalen::core {
namespace {

template <typename Value>
std::optional<Value> library_reading(const std::string& text) {
    Value value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

template <typename Value>
void expect_same_reading(const std::string& text, std::optional<Value> ours) {
    const auto theirs = library_reading<Value>(text);
    ASSERT_EQ(ours.has_value(), theirs.has_value()) << '"' << text << '"';
    if (!ours) return;
    if (std::isnan(*theirs)) {
        EXPECT_TRUE(std::isnan(*ours)) << text;
        EXPECT_EQ(std::signbit(*ours), std::signbit(*theirs)) << text;
        return;
    }
    // Bit for bit, so that -0 and the last binary digit count.
    EXPECT_EQ(std::memcmp(&*ours, &*theirs, sizeof(double) < sizeof(Value) ? 10 : sizeof(Value)), 0) << text;
}

void expect_same_both_ways(const std::string& text) {
    expect_same_reading<double>(text, read_decimal(text));
    expect_same_reading<long double>(text, read_long_decimal(text));
}

std::string library_writing(double value, int significant) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significant);
    return std::string(buffer, end.ptr);
}

TEST(DecimalText, ReadsTheFormsAndRefusalsOfFromChars) {
    for (const char* text :
         {"0", "-0", "3.1", "+3.1", " 3.1", "3.1 ", "3,1", ".5", "5.", ".", "-", "", "-.5", "1e5", "1E5", "1e+5", "1e-5",
          "1e", "1e+", "1e-", "e5", "0x10", "0X1p3", "00012.50", "1.7976931348623157e308", "1.7976931348623159e308",
          "1e400", "-1e400", "1e-400", "4e-320", "2.2250738585072014e-308", "0e999999999999", "1e-99999999999999999999",
          "1e5000", "1e-5000", "inf", "-INF", "Infinity", "infin", "infinityx", "nan", "-NaN", "nan()", "nan(abc_12)",
          "nan(a-b)", "nan(", "nanx", "12..5", "1.2.3", "--1", "1-", "0.1e-0", "123456789012345678901234567890",
          "0.000000000000000000000000000001", "9007199254740993", "3.0999999999999999999", "1e0000000000000000000005"})
        expect_same_both_ways(text);
}

TEST(DecimalText, ReadsManyRandomNumbersExactlyAsFromChars) {
    std::mt19937_64 engine(2026);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> length(1, 24);
    std::uniform_int_distribution<int> exponent(-330, 330);
    for (int n = 0; n < 20000; ++n) {
        std::string text = n % 7 == 0 ? "-" : "";
        const int whole = length(engine) % 12;
        for (int i = 0; i < whole; ++i) text += static_cast<char>('0' + digit(engine));
        if (n % 3 != 0 || whole == 0) {
            text += '.';
            const int fraction = length(engine);
            for (int i = 0; i < fraction; ++i) text += static_cast<char>('0' + digit(engine));
        }
        if (n % 5 == 0) text += (n % 10 == 0 ? "e" : "E") + std::to_string(exponent(engine));
        expect_same_both_ways(text);
    }
    // The shortest texts of random doubles, where the last digit decides the rounding.
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int n = 0; n < 20000; ++n) {
        double value = 0;
        const std::uint64_t raw = bits(engine);
        std::memcpy(&value, &raw, sizeof value);
        char buffer[64];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value);
        expect_same_both_ways(std::string(buffer, end.ptr));
    }
}

TEST(DecimalText, WritesAsToCharsWithFifteenDigits) {
    std::vector<double> values{0.0, -0.0, 1.0, 46000.5, 46000.541666666664, 1e15, 1e16, 123456789012345678.0, 1e-5,
                               0.0001, 5e-324, 1.7976931348623157e308, -2.5, 1.0 / 3.0};
    std::mt19937_64 engine(7);
    std::uniform_real_distribution<double> days(0, 80000);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int n = 0; n < 20000; ++n) {
        values.push_back(days(engine));
        double value = 0;
        const std::uint64_t raw = bits(engine);
        std::memcpy(&value, &raw, sizeof value);
        if (std::isfinite(value)) values.push_back(value);
    }
    for (double value : values)
        for (int significant : {15, 6, 17}) ASSERT_EQ(write_general(value, significant), library_writing(value, significant)) << value;
}

TEST(DecimalText, KeepsThePointUnderADecimalCommaLocale) {
    if (!std::setlocale(LC_ALL, "ru_RU.UTF-8")) GTEST_SKIP() << "no ru_RU.UTF-8 locale";
    std::locale::global(std::locale(""));
    EXPECT_EQ(read_decimal("3.1"), 3.1);
    EXPECT_EQ(read_decimal("3,1"), std::nullopt);
    EXPECT_EQ(write_general(46000.25, 15), "46000.25");
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace morvalen::core
