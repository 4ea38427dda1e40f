// The Windows-1251 codec and the choice between UTF-8 and Windows-1251 input.
#include <gtest/gtest.h>

#include "core/formats/cp1251.h"

using namespace morvalen::core;

TEST(Cp1251, CatchAllLabelHasItsTwoBytes) {
    EXPECT_EQ(utf8_to_cp1251("ЛД"), "\xCB\xC4");
    EXPECT_EQ(cp1251_to_utf8("\xCB\xC4"), "ЛД");
}

TEST(Cp1251, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = cp1251_to_utf8(all);
    EXPECT_TRUE(is_valid_utf8(utf8));
    EXPECT_EQ(utf8_to_cp1251(utf8), all);
    EXPECT_EQ(cp1251_to_utf8("\xA8\xB8\xB9"), "Ёё№");
}

TEST(Cp1251, InputThatIsNotUtf8IsReadAsWindows1251) {
    EXPECT_EQ(decode_utf8_or_cp1251("3.1|4-(\xCB\xC4)"), "3.1|4-(ЛД)");
    EXPECT_EQ(decode_utf8_or_cp1251("3.1|4-(ЛД)"), "3.1|4-(ЛД)");
    EXPECT_FALSE(is_valid_utf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(is_valid_utf8("\xE2\x82"));      // cut short
    EXPECT_EQ(utf8_to_cp1251("日"), "?");
}
