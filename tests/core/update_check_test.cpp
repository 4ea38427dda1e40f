// The update offer decision and its texts.
#include <gtest/gtest.h>

#include "core/update_check.h"

using namespace morvalen::core;

TEST(UpdateCheck, VersionsCompareByCharacters) {
    EXPECT_TRUE(offers_update("1.0.3.0"));
    EXPECT_FALSE(offers_update("1.0.2.0"));
    EXPECT_FALSE(offers_update("1.0.1.9"));
    EXPECT_FALSE(offers_update("1.0.10.0"));  // "1" orders before "2" at the fifth place
    EXPECT_TRUE(offers_update("1.0.2.0\r\n"));
    EXPECT_FALSE(offers_update(""));
    EXPECT_TRUE(offers_update("\xC0"));  // bytes above 127 order after the digits
    EXPECT_FALSE(offers_update("1.0.2"));
}

TEST(UpdateCheck, Texts) {
    EXPECT_EQ(after_download_text("1.0.3.0"), "Получен архивный файл morvalen_trast.rar с новой версией программы1.0.3.0");
    EXPECT_EQ(after_download_text("\xC2\xE5\xF0"), "Получен архивный файл morvalen_trast.rar с новой версией программыВер");
    EXPECT_EQ(update_offer_text, "Доступна новая версия программы!\rОбновить?");
    EXPECT_EQ(version_text(std::string(300, 'x')).size(), 282U);
    EXPECT_EQ(version_text("1.0.3.0"), "1.0.3.0");
}
