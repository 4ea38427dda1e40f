// Currency reading, writing and rounding.
#include <gtest/gtest.h>

#include "core/model/currency.h"

using morvalen::core::Currency;

namespace {
std::int64_t raw(std::string_view text) { return Currency::parse(text).value().ten_thousandths(); }
}

TEST(Currency, WritesTheShortestPlainForm) {
    EXPECT_EQ(Currency::from_ten_thousandths(31000).to_string(), "3.1");
    EXPECT_EQ(Currency::from_ten_thousandths(62000).to_string(), "6.2");
    EXPECT_EQ(Currency::from_ten_thousandths(30000).to_string(), "3");
    EXPECT_EQ(Currency::from_ten_thousandths(0).to_string(), "0");
    EXPECT_EQ(Currency::from_ten_thousandths(12345000).to_string(), "1234.5");
    EXPECT_EQ(Currency::from_ten_thousandths(1).to_string(), "0.0001");
    EXPECT_EQ(Currency::from_ten_thousandths(-31000).to_string(), "-3.1");
    EXPECT_EQ(Currency::from_ten_thousandths(INT64_MIN).to_string(), "-922337203685477.5808");
}

TEST(Currency, ReadsDecimalTextWithAPointOnly) {
    EXPECT_EQ(raw("3.1"), 31000);
    EXPECT_EQ(raw("+3.10"), 31000);
    EXPECT_EQ(raw("-0.5"), -5000);
    EXPECT_EQ(raw(".5"), 5000);
    EXPECT_EQ(raw("5."), 50000);
    EXPECT_EQ(raw("1e3"), 10000000);
    EXPECT_EQ(raw("00012.5"), 125000);
    EXPECT_FALSE(Currency::parse("3,1"));
    EXPECT_FALSE(Currency::parse(""));
    EXPECT_FALSE(Currency::parse("."));
    EXPECT_FALSE(Currency::parse("abc"));
    EXPECT_FALSE(Currency::parse(" 3.1"));
    EXPECT_FALSE(Currency::parse("1e"));
    EXPECT_FALSE(Currency::parse("99999999999999999999"));
}

TEST(Currency, RoundsToFourDecimalsHalvesToEven) {
    EXPECT_EQ(raw("0.00005"), 0);
    EXPECT_EQ(raw("0.00015"), 2);
    EXPECT_EQ(raw("0.000051"), 1);
    EXPECT_EQ(raw("1.23456"), 12346);
    EXPECT_EQ(raw("0.000000000001"), 0);
    EXPECT_EQ(Currency::from_floating(0.00005L).ten_thousandths(), 0);
    EXPECT_EQ(Currency::from_floating(3.1L * 4).ten_thousandths(), 124000);
    EXPECT_EQ(Currency::from_floating(3.1L * 2).to_string(), "6.2");
}

TEST(Currency, TextRoundTripsForEveryWrittenValue) {
    for (std::int64_t v : std::initializer_list<std::int64_t>{0, 1, 9999, 10000, 31000, -1, 922337203685477, INT64_MAX})
        EXPECT_EQ(raw(Currency::from_ten_thousandths(v).to_string()), v);
}
