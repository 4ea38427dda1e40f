// The formation commands of the batch tool: output, options and exit statuses.
#include <gtest/gtest.h>

#include <fstream>

#include "core/formats/payload.h"
#include "pack_runner.h"

using morvalen::test::run_pack;

namespace {
// Two outcomes in every event: 1:0,2:0 | 0:0,1:1 | 2:1,3:0 | ЛД,0:1 | 0:1,1:2 | 1:2,2:2 | 3:0,0:0 | 2:2,1:1
const std::string pairs = "'--marks=1:0,2:0;0:0,1:1;2:1,3:0;ЛД,0:1;0:1,1:2;1:2,2:2;3:0,0:0;2:2,1:1'";
const std::string base = "3.1|1-(1:0);2-(0:0);3-(2:1);4-(0:1);5-(0:1);6-(1:2);7-(0:0);8-(1:1)#";

std::string write_payload(const std::string& body) {
    char name[] = "/tmp/morvalen_payload_XXXXXX";
    const int fd = mkstemp(name);
    close(fd);
    std::ofstream(name, std::ios::binary) << body;
    return name;
}

std::size_t line_count(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }
}  // namespace

TEST(FormationCommands, SensationsAppendAfterTheInputLines) {
    auto result = run_pack("sensations --min 0 " + pairs + " --stake 1", "  kept as is\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "  kept as is\n256|1-(1:0,2:0);2-(0:0,1:1);3-(2:1,3:0);4-(0:1,ЛД);5-(0:1,1:2);6-(2:2,1:2);7-(3:0,0:0);8-(1:1,2:2)#\n");
    result = run_pack("sensations --marks '1:0'", "x\n");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
}

TEST(FormationCommands, RandomIsReproducibleForASeedAndRefusesZeroProbabilities) {
    const auto first = run_pack("random " + pairs + " --steps 20 --seed 9", base + "\n");
    const auto again = run_pack("random " + pairs + " --steps 20 --seed 9", base + "\n");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, again.out);
    EXPECT_EQ(line_count(first.out), 21u);
    EXPECT_EQ(first.out.substr(0, base.size() + 1), base + "\n");
    EXPECT_EQ(first.out.find(base, 1), std::string::npos);  // the input bet is never drawn again

    const auto refused = run_pack("random " + pairs + " --steps 5 --probabilities '50,50;0,0'", "");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("Событие 2"), std::string::npos);
}

TEST(FormationCommands, AutoCleansAppendsAndHonoursTheStartIndex) {
    const auto result = run_pack("auto " + pairs + " --steps 2 --start-index 41", " " + base + "\nunreadable\n");
    EXPECT_EQ(result.status, 0);
    // 41 + 1 = 42 = 00101010: the second marked outcome (by column) in events 3, 5 and 7.
    EXPECT_EQ(result.out.substr(0, result.out.find('\n', base.size() + 2) + 1),
              " " + base + "\n3.1|1-(1:0);2-(0:0);3-(3:0);4-(0:1);5-(1:2);6-(2:2);7-(0:0);8-(1:1)#\n");
    EXPECT_EQ(line_count(result.out), 3u);

    EXPECT_EQ(run_pack("auto " + pairs + " --start-index 256", "").status, 2);
    EXPECT_EQ(run_pack("auto --marks '1:0' --steps 1", "").status, 2);
    // The check runs on any marking; it cleans the list once the neighbourhood size is positive.
    auto check_only = run_pack("auto " + pairs + " --steps 0", "bad\n" + base + "\n");
    EXPECT_EQ(check_only.status, 0);
    EXPECT_EQ(check_only.out, base + "\n");
    check_only = run_pack("auto --marks '1:0' --steps 0", "bad\n");
    EXPECT_EQ(check_only.status, 0);
    EXPECT_EQ(check_only.out, "bad\n");
}

TEST(FormationCommands, StatsCoverageRunsTheCheck) {
    const std::string neighbour = "3.1|1-(1:0);2-(0:0);3-(2:1);4-(0:1);5-(0:1);6-(1:2);7-(0:0);8-(2:2)#";
    const auto result = run_pack("stats --coverage " + pairs, base + "\n" + neighbour + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Ставок  2 (На сумму 6.2)\nВсего вариантов по отмеченным исходам 256 (На сумму 793.6)\n"
              "Покрыто ставками 16 вариантов (6.25%) с гарантией 7 событий\n");
}

// A coupon covers what its single bets cover: one coupon over 4 variants covers all of them, as the
// same 4 single bets do.
TEST(FormationCommands, StatsCoverageCountsACouponAsItsSingleBets) {
    const std::string marks = "--marks '1:0,2:0;0:0,1:1;2:1;0:0;0:0;0:0;0:0;0:0'";
    const std::string coupon = "12.4|1-(1:0,2:0);2-(0:0,1:1);3-(2:1);4-(0:0);5-(0:0);6-(0:0);7-(0:0);8-(0:0)#";
    const auto result = run_pack("stats --coverage " + marks, coupon + "\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "Ставок  4 (На сумму 12.4)\nВсего вариантов по отмеченным исходам 4 (На сумму 12.4)\n"
              "Покрыто ставками 4 вариантов (100%) с гарантией 7 событий\n");
}

TEST(FormationCommands, BriefExpandsThePayloadInOrder) {
    const std::string marks = "'--marks=1:0,2:0,2:1;3:0;0:0,ЛД;3:2;0:0;1:1;2:2;3:3'";
    const std::string payload = write_payload(morvalen::core::encode_payload({5, 1, 17}));
    auto result = run_pack("brief " + marks + " --order ascending --payload " + payload, "keep\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "keep\n"
              "3.1|1-(1:0);2-(3:0);3-(0:0);4-(3:2);5-(0:0);6-(1:1);7-(2:2);8-(3:3)#\n"
              "3.1|1-(2:0);2-(3:0);3-(0:0);4-(3:2);5-(0:0);6-(1:1);7-(2:2);8-(3:3)#\n"
              "3.1|1-(1:0);2-(3:0);3-(ЛД);4-(3:2);5-(0:0);6-(1:1);7-(2:2);8-(3:3)#\n");

    const std::string empty = write_payload("x");
    result = run_pack("brief " + marks + " --payload " + empty, "keep\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "keep\n");

    const std::string broken = write_payload("not a gzip stream");
    result = run_pack("brief " + marks + " --payload " + broken, "keep\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(run_pack("brief " + marks, "").status, 2);

    // The marks make 3·2 = 6 variants: a body of 7 records is no system of them, however small it
    // is, and nothing of it is added.
    const std::string swollen = write_payload(morvalen::core::encode_payload(std::vector<std::uint64_t>(7, 0)));
    result = run_pack("brief " + marks + " --payload " + swollen, "keep\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("more bets than its shape has variants"), std::string::npos) << result.err;
    const std::string whole = write_payload(morvalen::core::encode_payload(std::vector<std::uint64_t>(6, 0)));
    EXPECT_EQ(run_pack("brief " + marks + " --payload " + whole, "").status, 0);
    std::remove(payload.c_str());
    std::remove(empty.c_str());
    std::remove(broken.c_str());
    std::remove(swollen.c_str());
    std::remove(whole.c_str());
}

TEST(FormationCommands, BestAppendsSingleBetsAfterTheInputAndRefusesWhatItCannotUse) {
    const std::string odds =
        "'--probabilities=30,10,5;,,,,,,20,10;8,4,2,6;,,,,,,,,,,10,,,,,,3;,,,,,,,,,,30,,20;,,,,,,,,10,,,,10;,,,5,,,20;,,,,,,,30,10'";
    const auto result = run_pack("best " + pairs + " " + odds + " --guarantee 6 --steps 5 --seed 2 --stake 2", "  kept\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, 7), "  kept\n");
    EXPECT_EQ(line_count(result.out), 6u);
    EXPECT_NE(result.out.find("\n2|1-("), std::string::npos);
    EXPECT_EQ(run_pack("best " + pairs + " " + odds + " --guarantee 6 --steps 5 --seed 2 --stake 2", "  kept\n").out, result.out);

    // Guarantee 8 is allowed here and nowhere else.
    EXPECT_EQ(run_pack("best " + pairs + " " + odds + " --guarantee 8 --steps 3", "").status, 0);
    EXPECT_EQ(run_pack("auto " + pairs + " --guarantee 8 --steps 3", "").status, 2);
    for (const std::string bad : {"--guarantee 1", "--guarantee 9", "--steps 0", "--steps 100001"}) {
        const auto refused = run_pack("best " + pairs + " " + odds + " " + bad, "x\n");
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_EQ(refused.out, "") << bad;
    }
    EXPECT_EQ(run_pack("best --marks '1:0' --steps 3", "").status, 2);
    // Event 2's marked outcomes (0:0 and 1:1) have no probability.
    const auto zero = run_pack("best " + pairs + " '--probabilities=30,10;;8,4' --steps 3", "");
    EXPECT_EQ(zero.status, 2);
    EXPECT_NE(zero.err.find("Событие 2"), std::string::npos) << zero.err;
}
