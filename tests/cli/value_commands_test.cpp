// The value and value-best commands from outside: output lines, their order and refusals.
#include <gtest/gtest.h>

#include "pack_runner.h"

using morvalen::test::run_pack;

namespace {

const std::string bet = "3.1|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n";
// "1:0" certain in every event; the crowd picks "1:0" or "0:0" alike.
const std::string certain = "'--probabilities=100;100;100;100;100;100;100;100'";
const std::string halves = "'--pool=50,50;50,50;50,50;50,50;50,50;50,50;50,50;50,50'";

TEST(ValueCommand, PrintsTheFiguresInTheirOrder) {
    // Nobody else in the pool: the bet takes the whole fund, half of its own stake.
    auto result = run_pack("value " + certain + " " + halves + " '--rules=tickets=0;payout=0.5;tiers=8:1,6:0'", bet);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "cost\t3.1\n"
              "expected_return\t1.55\n"
              "return_percent\t50.000000\n"
              "any_prize_percent\t100.000000\n"
              "tier\t8\t100.000000\t1.55\n"
              "tier\t6\t0.000000\t0\n");
    // 256 others, each hitting 8 with chance 1/256, stake 1: E[1/(1+W)] = (1 − (255/256)^257)·256/257.
    result = run_pack("value " + certain + " " + halves + " --stake 1 '--rules=tickets=256;payout=1;tiers=8:1;jackpot=100'", bet);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "cost\t3.1\n"
              "expected_return\t226.8817\n"
              "return_percent\t7318.764612\n"
              "any_prize_percent\t100.000000\n"
              "tier\t8\t100.000000\t226.8817\n");
}

TEST(ValueCommand, TheEmptyPackageCostsAndReturnsNothing) {
    const auto result = run_pack("value '--rules=tickets=10;payout=0.65;tiers=8:0.5,7:0.5'", "");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "cost\t0\nexpected_return\t0\nreturn_percent\t0.000000\nany_prize_percent\t0.000000\n"
              "tier\t8\t0.000000\t0\ntier\t7\t0.000000\t0\n");
}

TEST(ValueCommand, RefusesRulesAndSharesItCannotRead) {
    auto result = run_pack("value " + certain, bet);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("--rules"), std::string::npos) << result.err;
    result = run_pack("value '--rules=tickets=10;payout=2;tiers=8:1'", bet);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("payout"), std::string::npos) << result.err;
    result = run_pack("value '--pool=50;;50' '--rules=tickets=10;payout=0.5;tiers=8:1'", bet);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("Событие 2: доли пула всех исходов равны 0"), std::string::npos) << result.err;
    result = run_pack("value '--pool=5x' '--rules=tickets=10;payout=0.5;tiers=8:1'", bet);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--pool: событие 1, исход 1:0"), std::string::npos) << result.err;
}

const std::string marks = "'--marks=1:0,0:0;1:0,0:0;1:0,0:0;1:0,0:0;1:0,0:0;1:0,0:0;1:0,0:0;1:0,0:0'";
const std::string probabilities = "'--probabilities=40,30;40,30;30,40;40,30;40,30;30,40;40,30;40,30'";
const std::string pool = "'--pool=60,20;60,20;20,60;30,30;60,20;20,60;50,10;60,20'";
const std::string rules = "'--rules=tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2'";

TEST(ValueBestCommand, AppendsTheBetsAtTheStakeAfterTheInput) {
    const auto result = run_pack("value-best " + marks + " " + probabilities + " " + pool + " " + rules + " --steps 7 --seed 5 --stake 2", bet);
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; (next = result.out.find('\n', at)) != std::string::npos; at = next + 1) lines.push_back(result.out.substr(at, next - at));
    ASSERT_EQ(lines.size(), 8U);
    EXPECT_EQ(lines[0] + "\n", bet);
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind("2|1-(", 0), 0U) << lines[i];
    EXPECT_EQ(run_pack("value-best " + marks + " " + probabilities + " " + pool + " " + rules + " --steps 7 --seed 5 --stake 2", bet).out, result.out);
}

TEST(ValueBestCommand, NeedsMarksRulesAndARepeatCount) {
    EXPECT_EQ(run_pack("value-best " + probabilities + " " + pool + " " + rules + " --steps 7", "").status, 2);
    EXPECT_EQ(run_pack("value-best " + marks + " " + probabilities + " " + pool + " --steps 7", "").status, 2);
    const auto result = run_pack("value-best " + marks + " " + rules + " --steps 0", "");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--steps: для value-best"), std::string::npos) << result.err;
}

}  // namespace
