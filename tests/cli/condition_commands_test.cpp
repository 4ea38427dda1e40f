// The conditions from outside: filter, the cost table, formations inside the conditions, refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "pack_runner.h"

using morvalen::test::run_pack;

namespace {
// Three outcomes in every event: a home win, a draw and an away win, 6,561 variants.
const std::string threes = "'--marks=1:0,0:0,0:1;1:0,0:0,0:1;1:0,0:0,0:1;1:0,0:0,0:1;1:0,0:0,0:1;1:0,0:0,0:1;1:0,0:0,0:1;1:0,0:0,0:1'";

std::string write_conditions(const std::string& body) {
    char name[] = "/tmp/morvalen_usl_XXXXXX";
    const int fd = mkstemp(name);
    close(fd);
    std::ofstream(name, std::ios::binary) << body;
    return name;
}

std::size_t line_count(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }
}  // namespace

TEST(ConditionCommands, TheCostTablePrintsARowPerConditionAndOneForTheSet) {
    // At most two away wins: sum over k ≤ 2 of C(8,k) 2^(8-k) = 256 + 1024 + 1792; at least one draw:
    // 3^8 − 2^8. With equal probabilities kept_percent is marked_percent times the share kept.
    const std::string usl = write_conditions("# the new user's wish\nerrors 0\ncount 0 2 away\ncount 1 * draws\n");
    const auto result = run_pack("conditions " + threes + " --conditions " + usl, "");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string marked = "\t6561\t";
    std::istringstream lines(result.out);
    std::string away, draws, set;
    std::getline(lines, away);
    std::getline(lines, draws);
    std::getline(lines, set);
    EXPECT_EQ(line_count(result.out), 3u);
    EXPECT_EQ(away.substr(0, away.find('\t')), "3072");
    EXPECT_EQ(draws.substr(0, draws.find('\t')), "6305");
    // Both: less the 1 + 8 + 28 variants of at most two away wins and no draw.
    EXPECT_EQ(set.substr(0, set.find('\t')), "3035") << result.out;
    EXPECT_NE(away.find(marked), std::string::npos);
    EXPECT_EQ(std::count(away.begin(), away.end(), '\t'), 3);

    const std::string with_error = write_conditions("errors 1\ncount 0 2 away\ncount 1 * draws\n");
    const auto lenient = run_pack("conditions " + threes + " --conditions " + with_error, "");
    // One error allowed: only the 256 − 37 variants failing both rules go.
    EXPECT_EQ(lenient.out.substr(lenient.out.rfind('\n', lenient.out.size() - 2) + 1, 5), "6342\t");
    std::remove(usl.c_str());
    std::remove(with_error.c_str());
}

TEST(ConditionCommands, FilterKeepsPassingCouponsAndSplitsMixedOnesInPlace) {
    const std::string usl = write_conditions("count 0 0 1-(2:0)\n");
    const std::string input =
        "5|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n"
        "not a bet\n"
        "6.2|1-(2:0,1:0);2-(0:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n"
        "3.1|1-(2:0);2-(0:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n";
    const auto result = run_pack("filter --stake 2 --conditions " + usl, input);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "5|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n"
              "not a bet\n"
              "2|1-(1:0);2-(0:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n");
    EXPECT_EQ(run_pack("filter", input).status, 2);
    std::remove(usl.c_str());
}

TEST(ConditionCommands, AutoCoversOnlyPassingVariantsAndStatsSayHowMany) {
    const std::string usl = write_conditions("count 0 2 away\ncount 1 * draws\n");
    const auto formed = run_pack("auto " + threes + " --guarantee 7 --steps 100000 --seed 4 --conditions " + usl, "");
    ASSERT_EQ(formed.status, 0) << formed.err;
    const auto stats = run_pack("stats " + threes + " --guarantee 7 --coverage --conditions " + usl, formed.out);
    EXPECT_EQ(stats.out, "Ставок  " + std::to_string(line_count(formed.out)) + " (На сумму " +
                             std::to_string(line_count(formed.out) * 31 / 10) + (line_count(formed.out) * 31 % 10 ? "." + std::to_string(line_count(formed.out) * 31 % 10) : "") +
                             ")\nВсего вариантов по отмеченным исходам 6561 (На сумму 20339.1) (по условиям 3035)\n"
                             "Покрыто ставками 3035 вариантов (100%) с гарантией 7 событий\n");
    // Filtering the package changes nothing: every bet passes.
    EXPECT_EQ(run_pack("filter --conditions " + usl, formed.out).out, formed.out);
    std::remove(usl.c_str());
}

TEST(ConditionCommands, WithoutAConditionOnEveryCommandGivesTodaysOutput) {
    const std::string empty = write_conditions("# nothing yet\nerrors 2\n");
    for (const std::string command : {"auto --guarantee 6 --steps 50", "random --steps 30", "best --steps 5 --guarantee 7",
                                      "stats --coverage --guarantee 6"}) {
        const std::string args = std::string(command) + " " + threes + " --seed 12";
        const auto today = run_pack(args, "");
        const auto with = run_pack(args + " --conditions " + empty, "");
        EXPECT_EQ(today.status, 0) << command;
        EXPECT_EQ(with.out, today.out) << command;
    }
    std::remove(empty.c_str());
}

TEST(ConditionCommands, ABrokenFileNamesTheLineAndExitsWithTwo) {
    const std::string broken = write_conditions("errors 1\n\ncount 0 2 visitors\n");
    for (const std::string command : {"conditions", "filter", "auto", "stats"}) {
        const auto result = run_pack(std::string(command) + " " + threes + " --conditions " + broken, "");
        EXPECT_EQ(result.status, 2) << command;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("строка 3: ожидается группа"), std::string::npos) << result.err;
    }
    EXPECT_EQ(run_pack("conditions " + threes + " --conditions /nonexistent/a.usl", "").status, 2);
    std::remove(broken.c_str());
}

TEST(ConditionCommands, PoolSharesAreReadLikeProbabilities) {
    // Nobody bets on 0:1 in event 1: a variant with it there is infinitely valuable.
    std::string pool = "--pool=1,0,0,0,0,0,1";
    for (int e = 2; e <= 8; ++e) pool += ";1,0,0,0,0,0,1,0,0,0,1";
    const std::string usl = write_conditions("value 1000 *\n");
    const auto result = run_pack("conditions " + threes + " '" + pool + "' --conditions " + usl, "");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\t')), "2187");  // 3^7
    EXPECT_EQ(run_pack("conditions " + threes + " '--pool=1,x' --conditions " + usl, "").status, 2);
    std::remove(usl.c_str());
}
