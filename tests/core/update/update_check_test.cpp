// The update check's decisions: what a version is, which is newer, and what a signature must name.
#include <gtest/gtest.h>

#include "core/update/minisign.h"
#include "core/update/update_check.h"

using namespace morvalen::core;

TEST(UpdateCheck, AVersionIsDigitsInOneToFourGroups) {
    EXPECT_EQ(plain_version("1.0.3.0"), "1.0.3.0");
    EXPECT_EQ(plain_version("2"), "2");
    EXPECT_EQ(plain_version("1.0.3.0\r\n"), "1.0.3.0");
    EXPECT_EQ(plain_version("1.0.3.0\n"), "1.0.3.0");
    for (const char* text : {"", "1.", ".1", "1..2", "1.2.3.4.5", " 1.0", "1.0 ", "1.0\n\n", "v1.0", "1,0",
                             "<b>2.0</b>", "1234567890"})
        EXPECT_EQ(plain_version(text), std::nullopt) << text;
    EXPECT_EQ(plain_version(std::string("1.0\0", 4)), std::nullopt);
}

TEST(UpdateCheck, NewerIsComparedAsNumbers) {
    EXPECT_TRUE(offers_update("1.0.3.0"));
    EXPECT_TRUE(offers_update("1.0.10.0"));
    EXPECT_TRUE(offers_update("1.1"));
    EXPECT_TRUE(offers_update("1.0.2.1\n"));
    EXPECT_FALSE(offers_update("1.0.2.0"));
    EXPECT_FALSE(offers_update("1.0.2"));  // missing groups are 0
    EXPECT_FALSE(offers_update("1.0.1.9"));
    EXPECT_FALSE(offers_update("0.9"));
    EXPECT_FALSE(offers_update(""));
    EXPECT_FALSE(offers_update("\xC0"));
    EXPECT_FALSE(offers_update("9.9.9.9", "not a version"));
}

TEST(UpdateCheck, TheTrustedCommentNamesFileAndVersion) {
    EXPECT_EQ(trusted_comment_for("updmtz17.ini", "1.0.3.0"), "file:updmtz17.ini version:1.0.3.0");
    const auto parsed = signed_for("timestamp:1796825629\tfile:morvalen_trast.rar version:1.0.3.0");
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->file, "morvalen_trast.rar");
    EXPECT_EQ(parsed->version, "1.0.3.0");
    EXPECT_EQ(signed_for("file:a version:1 version:2"), std::nullopt);
    EXPECT_EQ(signed_for("file:morvalen_trast.rar"), std::nullopt);
    EXPECT_EQ(signed_for(""), std::nullopt);
}

TEST(UpdateCheck, ASignatureIsAcceptedOnlyForItsFileAndVersion) {
    const std::string archive_comment = "file:morvalen_trast.rar version:1.0.3.0";
    EXPECT_EQ(signature_refusal(SignedFile::archive, SignatureCheck::valid, archive_comment, "1.0.3.0"), "");
    EXPECT_EQ(signature_refusal(SignedFile::archive, SignatureCheck::valid, archive_comment, "1.0.4.0"),
              "Архив подписан для версии 1.0.3.0, а предложена версия 1.0.4.0. Файл не сохранён.");
    EXPECT_EQ(signature_refusal(SignedFile::version_text, SignatureCheck::valid, archive_comment, "1.0.3.0"),
              "Подпись номера новой версии сделана для другого файла. Обновление не предлагается.");
    // A version field that is itself markup is never echoed.
    EXPECT_EQ(signature_refusal(SignedFile::archive, SignatureCheck::valid, "file:morvalen_trast.rar version:<b>", "1.0.3.0"),
              "Архив подписан для версии ?, а предложена версия 1.0.3.0. Файл не сохранён.");
    EXPECT_EQ(signature_refusal(SignedFile::archive, SignatureCheck::forged, archive_comment, "1.0.3.0"),
              "Подпись архива новой версии не подтверждена: файл подделан или повреждён. Файл не сохранён.");
    EXPECT_EQ(signature_refusal(SignedFile::version_text, SignatureCheck::missing, "", "1.0.3.0"),
              "Номер новой версии не подписан. Обновление не предлагается.");
}

TEST(UpdateCheck, Texts) {
    EXPECT_EQ(after_download_text("morvalen_trast (2).rar", "1.0.3.0", "/home/p/Загрузки/morvalen_trast (2).rar"),
              "Получен архивный файл morvalen_trast (2).rar с новой версией программы1.0.3.0\r"
              "Файл сохранён: /home/p/Загрузки/morvalen_trast (2).rar");
    EXPECT_EQ(update_offer_text, "Доступна новая версия программы!\rОбновить?");
    EXPECT_EQ(version_text(std::string(300, 'x')).size(), 282U);
    EXPECT_EQ(update_address("http://127.0.0.1:9/", version_file_path), "http://127.0.0.1:9/updmtz17.ini");
}

TEST(Minisign, Base64IsStrict) {
    EXPECT_EQ(base64_decode("TWFu"), "Man");
    EXPECT_EQ(base64_decode("TWE="), "Ma");
    EXPECT_EQ(base64_decode("TQ=="), "M");
    EXPECT_EQ(base64_decode(""), "");
    for (const char* bad : {"TWF", "T===", "TQ=a", "TW=u", "TWE=TWFu", "TW u", "TWFu\n"})
        EXPECT_EQ(base64_decode(bad), std::nullopt) << bad;
}

TEST(Minisign, ReadsKeysAndSignaturesAndNothingElse) {
    const std::string key_line = "RWSpMrc5kskWwi3/tfDJWq5NDXJjxTklmLaalkAIrQBC0PUKHx1MXfSL";
    const auto key = parse_minisign_key("untrusted comment: minisign public key C216C99239B732A9\n" + key_line + "\n");
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->key_id[0], 0xA9);
    EXPECT_EQ(parse_minisign_key(key_line)->public_key, key->public_key);
    EXPECT_EQ(parse_minisign_key(key_line.substr(0, 40)), std::nullopt);
    EXPECT_EQ(parse_minisign_key("RUSp" + key_line.substr(4)), std::nullopt);  // not "Ed"

    const std::string signature =
        "untrusted comment: signature from minisign secret key\r\n"
        "RUSpMrc5kskWwnmOX+PJj9mvUuVNrv/I8r3Ff0dyCuSIEm1ZY+GVppiYUSpOtcuU2NAAUkbLfBdWWJochzVys0ZPC0X2GCPFgAU=\r\n"
        "trusted comment: file:updmtz17.ini version:1.0.3.0\r\n"
        "+Bwy7NSg09xbg3u7gOBXzZDfEsDAFJaSZkVy2fm8Fe/izQ4f5Ba31wvenp7p96g3+f/ny90Pk20E1SSZblvNDw==\r\n";
    const auto parsed = parse_minisign_signature(signature);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(parsed->prehashed);
    EXPECT_EQ(parsed->key_id, key->key_id);
    EXPECT_EQ(parsed->trusted_comment, "file:updmtz17.ini version:1.0.3.0");
    EXPECT_EQ(parse_minisign_signature("<html>" + signature), std::nullopt);
    EXPECT_EQ(parse_minisign_signature(signature + "extra line\n"), std::nullopt);
    EXPECT_EQ(parse_minisign_signature(std::string(5000, 'a')), std::nullopt);
    std::string other_algorithm = signature;
    other_algorithm.replace(other_algorithm.find("RUSp"), 4, "RUtp");
    EXPECT_EQ(parse_minisign_signature(other_algorithm), std::nullopt);
}
