// Reading the list page of brief systems and its integer conversions.
#include "core/pages/list_page.h"

#include <gtest/gtest.h>

#include <limits>

namespace morvalen::core {
namespace {

TEST(ListPageTest, RecordsAreDecodedInOrder) {
    BriefSystemList list{BriefSystemInfo{}};  // emptied first
    // 50111101842 is G 7 with counts 3, 2, 1, 1, 1, 1, 1, 1.
    const auto result = read_list_page("50111101842;24|50111101858;5|", list);
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].counts, (MarkedCounts{3, 2, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(list[0].bets, 24);
    // Last digit 17: decodes to 17, not to 0 with a carry.
    EXPECT_EQ(list[1].counts, (MarkedCounts{3, 2, 1, 1, 1, 1, 1, 17}));
    EXPECT_EQ(list[1].bets, 5);
}

TEST(ListPageTest, AnEmptyPageEmptiesTheList) {
    BriefSystemList list{BriefSystemInfo{}, BriefSystemInfo{}};
    EXPECT_TRUE(read_list_page("", list).ok());
    EXPECT_TRUE(list.empty());
}

TEST(ListPageTest, ABadFieldStopsWithTheIntegerMessage) {
    BriefSystemList list;
    const auto bad_bets = read_list_page("50111101842;24|50111101858;x5|50111101842;1|", list);
    EXPECT_EQ(bad_bets.error, "'x5' is not a valid integer value");
    EXPECT_EQ(list.size(), 1u);
    // A bets count beyond 32 bits does not convert either.
    EXPECT_EQ(read_list_page("1;2147483648|", list).error, "'2147483648' is not a valid integer value");
    EXPECT_TRUE(list.empty());
    // A page without ";" (an error page) reads its whole text as the signature.
    EXPECT_EQ(read_list_page("Not found", list).error, "'Not found' is not a valid integer value");
    // A last record without "|" is still read.
    EXPECT_TRUE(read_list_page("50111101842;24", list).ok());
    EXPECT_EQ(list.size(), 1u);
}

TEST(ListPageTest, IntegerConversionBounds) {
    EXPECT_EQ(parse_int64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(parse_int64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(parse_int64("9223372036854775808"));
    EXPECT_FALSE(parse_int64("-9223372036854775809"));
    EXPECT_EQ(parse_int64("  +17"), 17);
    EXPECT_FALSE(parse_int64("17 "));
    EXPECT_FALSE(parse_int64("-"));
    EXPECT_FALSE(parse_int64(""));
    EXPECT_EQ(parse_int32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(parse_int32("-2147483649"));
}

TEST(ListPageTest, WriterAndReaderAgree) {
    BriefSystemList list;
    ASSERT_TRUE(read_list_page(write_list_page({{50111101842, 24}, {-3, 0}}), list).ok());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].bets, 0);
}

}  // namespace
}  // namespace morvalen::core
