// The brief-system payload: record layout, gzip checks and the decompression cap.
#include "core/formats/payload.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvalen::core {
namespace {

constexpr std::size_t generous_cap = 1 << 20;

TEST(PayloadTest, RecordsAreFiveByteLittleEndianAndTheTailIsIgnored) {
    // 12 bytes of content: two records, the last 2 bytes are not a record.
    const std::string content("\x05\x00\x00\x00\x00" "\x00\x00\x00\x00\x01" "\xFF\xFF", 12);
    const auto result = decode_payload(gzip_compress(content), generous_cap);
    ASSERT_EQ(result.status, PayloadStatus::records);
    EXPECT_EQ(result.content_size, 12u);
    // The fifth byte counts: 4294967296 does not fit 32 bits.
    EXPECT_EQ(result.records, (std::vector<std::uint64_t>{5, 4294967296ull}));
}

TEST(PayloadTest, EncoderRoundTripsAllFortyBits) {
    const std::vector<std::uint64_t> records{0, 1, 16, 17, 0xFFFFFFFFFFull, 6975757440ull, 0x0102030405ull};
    const auto result = decode_payload(encode_payload(records), generous_cap);
    ASSERT_EQ(result.status, PayloadStatus::records);
    EXPECT_EQ(result.records, records);
    EXPECT_EQ(payload_content({0x0102030405ull}), std::string("\x05\x04\x03\x02\x01", 5));
}

TEST(PayloadTest, BodiesShorterThanTwoBytesMeanNoSystem) {
    EXPECT_EQ(decode_payload("", generous_cap).status, PayloadStatus::no_system);
    EXPECT_EQ(decode_payload("x", generous_cap).status, PayloadStatus::no_system);
    // Two bytes are already a body that must be a stream.
    EXPECT_EQ(decode_payload("\x1f\x8b", generous_cap).status, PayloadStatus::error);
}

TEST(PayloadTest, AnEmptyStreamHoldsNoRecords) {
    const auto result = decode_payload(gzip_compress(""), generous_cap);
    EXPECT_EQ(result.status, PayloadStatus::records);
    EXPECT_TRUE(result.records.empty());
}

TEST(PayloadTest, DamagedStreamsAreErrorsWithoutRecords) {
    const std::string good = encode_payload({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    auto expect_error = [](const std::string& body, const char* what) {
        const auto result = decode_payload(body, generous_cap);
        EXPECT_EQ(result.status, PayloadStatus::error) << what;
        EXPECT_TRUE(result.records.empty()) << what;
        EXPECT_FALSE(result.error.empty()) << what;
    };
    expect_error(good.substr(0, good.size() - 1), "length field cut");
    expect_error(good.substr(0, good.size() - 8), "trailer missing");
    expect_error(good.substr(0, 12), "deflate data cut");
    std::string crc = good;
    crc[crc.size() - 8] = static_cast<char>(crc[crc.size() - 8] ^ 0x01);
    expect_error(crc, "CRC-32 wrong");
    std::string length = good;
    length[length.size() - 4] = static_cast<char>(length[length.size() - 4] ^ 0x01);
    expect_error(length, "length wrong");
    expect_error("plain text, not gzip", "no gzip header");
    expect_error(good + "garbage", "trailing garbage");
}

TEST(PayloadTest, ConcatenatedMembersFormOneContent) {
    const std::string body = encode_payload({1, 2}) + encode_payload({3});
    const auto result = decode_payload(body, generous_cap);
    ASSERT_EQ(result.status, PayloadStatus::records);
    EXPECT_EQ(result.records, (std::vector<std::uint64_t>{1, 2, 3}));
}

TEST(PayloadTest, TheCapStopsABombBeforeItExpands) {
    // 64 MiB of zeros compress to about 64 KiB; a cap of 1 MiB must refuse it.
    const std::string bomb = gzip_compress(std::string(64u << 20, '\0'));
    ASSERT_LT(bomb.size(), 128u * 1024u);
    const auto refused = decode_payload(bomb, 1u << 20);
    EXPECT_EQ(refused.status, PayloadStatus::error);
    EXPECT_TRUE(refused.records.empty());
    // Exactly at the cap is still accepted.
    const std::string content(1000, '\x01');
    EXPECT_EQ(decode_payload(gzip_compress(content), 1000).status, PayloadStatus::records);
    EXPECT_EQ(decode_payload(gzip_compress(content), 999).status, PayloadStatus::error);
}

}  // namespace
}  // namespace morvalen::core
