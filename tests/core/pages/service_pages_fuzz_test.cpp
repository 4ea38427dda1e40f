// Random and mangled input to every reader of what the network brings: never a crash, and a result
// that keeps its promises.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/pages/line_page.h"
#include "core/pages/list_page.h"
#include "core/pages/page_text.h"
#include "core/formats/payload.h"

namespace morvalen::core {
namespace {

std::string random_text(std::mt19937& rng, std::size_t max_size) {
    // Biased toward the characters that steer the readers.
    static constexpr char alphabet[] = "0123456789.,;|/-<>&#x; abc\x01\xd0\xff";
    std::uniform_int_distribution<std::size_t> size(0, max_size);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
    std::string text(size(rng), ' ');
    for (char& c : text) c = alphabet[pick(rng)];
    return text;
}

TEST(ServicePagesFuzzTest, ReadersSurviveRandomPages) {
    std::mt19937 rng(4);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = random_text(rng, 400);
        EventTable table;
        const auto line = read_line_page(text, table);
        EXPECT_LE(line.names.size(), 8u);
        BriefSystemList list;
        const auto listed = read_list_page(text, list);
        for (const auto& entry : list)
            for (const int count : entry.counts) EXPECT_TRUE(count >= 1 && count <= 17);
        (void)listed;
        (void)page_text(text, round % 2 == 0 ? "text/html" : "");
        const auto payload = decode_payload(text, 4096);
        EXPECT_TRUE(payload.status != PayloadStatus::records || payload.content_size <= 4096);
    }
}

TEST(ServicePagesFuzzTest, MangledPayloadsFailOrDecodeWithinTheCap) {
    std::mt19937 rng(7);
    std::vector<std::uint64_t> records(300);
    for (std::size_t i = 0; i < records.size(); ++i) records[i] = (i * 2654435761u) & 0xFFFFFFFFFFull;
    const std::string good = encode_payload(records);
    std::uniform_int_distribution<std::size_t> at(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        std::string body = good;
        body[at(rng)] = static_cast<char>(byte(rng));
        if (round % 3 == 0) body.resize(at(rng));
        const auto result = decode_payload(body, 1500);
        if (result.status == PayloadStatus::records) {
            EXPECT_LE(result.content_size, 1500u);
            EXPECT_EQ(result.records.size(), result.content_size / 5);
        } else {
            EXPECT_TRUE(result.records.empty());
        }
    }
}

}  // namespace
}  // namespace morvalen::core
