// Coupon, split, repeat and variant removal in the orders the player sees.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/model/session.h"

using namespace morvalen::core;

namespace {
const std::string example = "6.2|1-(1:0);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#";

struct RecordingMemo : MemoSink {
    std::vector<std::string> lines;
    void append_line(const std::string& line) override { lines.push_back(line); }
    void replace_all(const std::vector<std::string>& all) override { lines = all; }
};

void mark(EventTable& table, int e, std::initializer_list<int> columns) {
    for (int c : columns) click_outcome(table, e, c, false);
}

BetEntry single(std::array<int, 8> columns) {
    BetEntry entry;
    entry.amount = Currency::from_units(3);
    entry.bet_count = 1;
    for (int e = 0; e < 8; ++e) entry.outcome_sets[e] = OutcomeSet::of_column(columns[e]);
    return entry;
}
}  // namespace

TEST(ListOperations, CouponOfTheMarksCostsStakeTimesCount) {
    Session session;
    RecordingMemo memo;
    session.memo = &memo;
    mark(session.events, 1, {1, 2});
    mark(session.events, 2, {7, 8});
    for (int e = 3; e <= 8; ++e) mark(session.events, e, {17});
    session.add_coupon();
    ASSERT_EQ(memo.lines.size(), 1u);
    EXPECT_EQ(memo.lines[0], "12.4|1-(1:0,2:0);2-(0:0,1:1);3-(ЛД);4-(ЛД);5-(ЛД);6-(ЛД);7-(ЛД);8-(ЛД)#");
    EXPECT_EQ(session.stats().totals.package_bets, 4);
}

TEST(ListOperations, SplitLowestTakesTheLowestBit) {
    EXPECT_FALSE(split_lowest(0));
    EXPECT_FALSE(split_lowest(65536));
    const auto parts = split_lowest(65536 + 32768 + 1);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->low, 1u);
    EXPECT_EQ(parts->rest, 65536u + 32768u);
}

TEST(ListOperations, SplitKeepsTheLowestColumnsInPlaceAndAppendsInSplittingOrder) {
    Session session;
    RecordingMemo memo;
    session.memo = &memo;
    session.bets.push_back(parse_bet_line("12.4|1-(1:0,2:0);2-(0:0,1:1);3-(ЛД);4-(ЛД);5-(ЛД);6-(ЛД);7-(ЛД);8-(ЛД)#"));
    EXPECT_FALSE(session.split_into_singles());
    const std::string tail = ";3-(ЛД);4-(ЛД);5-(ЛД);6-(ЛД);7-(ЛД);8-(ЛД)#";
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"3.1|1-(1:0);2-(0:0)" + tail, "3.1|1-(2:0);2-(0:0)" + tail,
                                                    "3.1|1-(1:0);2-(1:1)" + tail, "3.1|1-(2:0);2-(1:1)" + tail}));
}

TEST(ListOperations, SplitOfTheWorkedExampleRestakesAtTheCurrentStake) {
    Session session;
    RecordingMemo memo;
    session.memo = &memo;
    session.bets.push_back(parse_bet_line(example));
    session.bets.push_back(parse_bet_line("9|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"));
    EXPECT_FALSE(session.split_into_singles());
    ASSERT_EQ(memo.lines.size(), 3u);
    EXPECT_EQ(memo.lines[0], "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    EXPECT_EQ(memo.lines[1], "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    EXPECT_EQ(memo.lines[2], "3.1|1-(1:0);2-(1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
}

TEST(ListOperations, SplitWritesUnreadableEntriesAsEmptyLines) {
    Session session;
    RecordingMemo memo;
    session.memo = &memo;
    session.bets = {parse_bet_line("garbage"), parse_bet_line("3.1|1-(1:0);2-()")};
    EXPECT_FALSE(session.split_into_singles());
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"", "3.1|1-(1:0);"}));
    EXPECT_EQ(session.bets[0].bet_count, 0);
    EXPECT_EQ(session.bets[1].bet_count, 1);
}

TEST(ListOperations, SplitRefusesAnOversizedResultAndLeavesTheListAlone) {
    Session session;
    RecordingMemo memo;
    session.memo = &memo;
    for (int e = 1; e <= 8; ++e) click_event_name(session.events, e);
    session.add_coupon();
    const BetList before = session.bets;
    const auto refusal = session.split_into_singles();
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("20000000"), std::string::npos);
    EXPECT_EQ(session.bets, before);
    EXPECT_EQ(memo.lines.size(), 1u);
    EXPECT_EQ(split_length(session.bets, INT64_MAX), 6975757441LL);
    EXPECT_TRUE(split_into_singles(session.bets, 1));
}

TEST(ListOperations, RemoveRepeatsFillsGapsFromTheEnd) {
    const BetEntry a = single({1, 1, 1, 1, 1, 1, 1, 1}), b = single({2, 1, 1, 1, 1, 1, 1, 1}),
                   c = single({3, 1, 1, 1, 1, 1, 1, 1}), d = single({4, 1, 1, 1, 1, 1, 1, 1});
    BetEntry a_again = a;
    a_again.amount = Currency::from_units(99);
    BetList list = {a, b, a_again, c, d};
    remove_repeats(list);
    EXPECT_EQ(list, (BetList{a, b, d, c}));

    BetList unreadable = {a, BetEntry{}, b};
    remove_repeats(unreadable);
    EXPECT_EQ(unreadable, (BetList{a, b}));

    BetList one = {a};
    remove_repeats(one);
    EXPECT_EQ(one, BetList{a});
}

TEST(ListOperations, RemoveVariantsTakesOutTheMarkedCombinations) {
    Session session;
    const BetEntry a = single({1, 1, 1, 1, 1, 1, 1, 1}), b = single({2, 1, 1, 1, 1, 1, 1, 1}),
                   c = single({3, 1, 1, 1, 1, 1, 1, 1});
    mark(session.events, 1, {1, 3});
    for (int e = 2; e <= 8; ++e) mark(session.events, e, {1});
    session.bets = {a, b, c};
    EXPECT_FALSE(session.remove_variants());
    ASSERT_EQ(session.bets.size(), 1u);
    EXPECT_EQ(session.bets[0].set(1), OutcomeSet::of_column(2));
    EXPECT_EQ(session.bets[0].amount.to_string(), "3.1");
}

TEST(ListOperations, StakeReadsAPointWhateverTheProcessLocale) {
    // The desktop program runs under the player's locale; a decimal comma there must not refuse "3.1".
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    bool comma_locale = false;
    for (const char* name : {"ru_RU.UTF-8", "ru_RU.utf8", "de_DE.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) { comma_locale = true; break; }
    const auto stake = Stake::parse("3.1");
    const auto signed_stake = Stake::parse("+2.5");
    std::setlocale(LC_NUMERIC, previous.c_str());
    ASSERT_TRUE(stake && signed_stake);
    EXPECT_EQ(stake->value, 3.1L);
    EXPECT_EQ(signed_stake->value, 2.5L);
    EXPECT_FALSE(Stake::parse("3.1x"));
    if (!comma_locale) GTEST_SKIP() << "no locale with a decimal comma is installed here";
}
