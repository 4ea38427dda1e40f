// The bet notation, read and written character for character.
#include <gtest/gtest.h>

#include "core/model/bet.h"

using namespace morvalen::core;

namespace {
const char* const worked_example = "6.2|1-(1:0);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#";

std::array<std::uint32_t, 8> bits(const BetEntry& entry) {
    std::array<std::uint32_t, 8> out{};
    for (int e = 0; e < 8; ++e) out[e] = entry.outcome_sets[e].bits();
    return out;
}
}  // namespace

TEST(BetNotation, WorkedExampleReadsAndWritesBack) {
    const BetEntry entry = parse_bet_line(worked_example);
    EXPECT_EQ(bits(entry), (std::array<std::uint32_t, 8>{65536, 1536, 16384, 1, 64, 16, 8192, 256}));
    EXPECT_EQ(entry.bet_count, 2);
    EXPECT_EQ(entry.amount.to_string(), "6.2");
    EXPECT_EQ(format_bet(entry), worked_example);
}

TEST(BetNotation, OutcomeValueKnowsTheLabelsAndSixSpellingsOfTheCatchAll) {
    EXPECT_EQ(outcome_value("1:0"), 65536u);
    EXPECT_EQ(outcome_value("2:3"), 2u);
    for (const char* spelling : {"LD", "лд", "ld", "ЛД", "Ld", "Лд"}) EXPECT_EQ(outcome_value(spelling), 1u) << spelling;
    for (int c = 1; c <= 17; ++c) EXPECT_EQ(outcome_column(outcome_label(c)), c);
    for (const char* other : {"4:0", "0:4", "1-0", "1:", ":1", "1:0 ", "ЛДД"}) EXPECT_EQ(outcome_column(other), 0) << other;
    EXPECT_EQ(outcome_value("lD"), 0u);
    EXPECT_EQ(outcome_value("9:9"), 0u);
    EXPECT_EQ(outcome_value(""), 0u);
}

TEST(BetNotation, ReadingIsLenientAboutBlanksSeparatorsAndOrder) {
    const BetEntry spaced = parse_bet_line("3.1 | 1-( 1:0 , 2:0 ) ; 2-(0:0)");
    EXPECT_EQ(spaced.amount.to_string(), "3.1");
    EXPECT_EQ(bits(spaced), (std::array<std::uint32_t, 8>{65536 + 32768, 1024, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(spaced.bet_count, 2);

    const BetEntry reordered = parse_bet_line("3.1|2-(0:0)1-(1:0)");
    EXPECT_EQ(reordered.set(1).bits(), 65536u);
    EXPECT_EQ(reordered.set(2).bits(), 1024u);

    EXPECT_EQ(parse_bet_line("3.1|1-(1:0);1-(2:0,2:1)").set(1).bits(), 32768u + 16384u);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0);1-(2:0,2:1)").bet_count, 2);
}

TEST(BetNotation, ItemCountsDriveTheBetCount) {
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0,9:9)").bet_count, 2);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0,9:9)").set(1).bits(), 65536u);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0,lD)").bet_count, 2);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0);2-()").bet_count, 0);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0);2-()").set(1).bits(), 65536u);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0,)").bet_count, 1);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0,,2:0)").bet_count, 3);
    EXPECT_EQ(parse_bet_line("3.1|1-(1:0,,2:0)").set(1).bits(), 65536u + 32768u);
    const BetEntry no_groups = parse_bet_line("3.1|");
    EXPECT_EQ(no_groups.bet_count, 1);
    EXPECT_EQ(no_groups.amount.to_string(), "3.1");
}

TEST(BetNotation, UnreadableLinesGiveTheEmptyEntry) {
    for (const char* line : {"3,1|1-(1:0)", "no bar at all", "3.1|x-(1:0)", "", "|1-(1:0)",
                             "3.1|9-(1:0)", "3.1|0-(1:0)", "3.1|-1-(1:0)"}) {
        EXPECT_EQ(parse_bet_line(line), BetEntry{}) << line;
        EXPECT_FALSE(try_parse_bet_line(line)) << line;
    }
}

TEST(BetNotation, ARepeatedLabelStaysWithinTheSeventeenBits) {
    const BetEntry entry = parse_bet_line("3.1|1-(ЛД,LD,ld)");
    EXPECT_EQ(entry.set(1).bits(), 1u);
    EXPECT_EQ(entry.bet_count, 3);
}

TEST(BetNotation, WritingStopsAtTheFirstEmptySet) {
    BetEntry entry = parse_bet_line(worked_example);
    entry.bet_count = 0;
    EXPECT_EQ(format_bet(entry), "");
    entry.set(3) = OutcomeSet();
    EXPECT_EQ(format_bet(entry), "6.2|1-(1:0);2-(0:0,1:1);");
    entry.bet_count = 5;
    EXPECT_EQ(format_bet(entry), "6.2|1-(1:0);2-(0:0,1:1);");
    entry.set(1) = OutcomeSet();
    EXPECT_EQ(format_bet(entry), "6.2|");
    const BetEntry reread = parse_bet_line("6.2|1-(1:0);2-(0:0,1:1);");
    EXPECT_EQ(reread.bet_count, 2);
    EXPECT_TRUE(reread.set(3).empty());
}

TEST(MemoText, LinesEndAtBreaksAndAFinalBreakAddsNoLine) {
    EXPECT_TRUE(memo_lines("").empty());
    EXPECT_EQ(memo_lines("a"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(memo_lines("a\n"), (std::vector<std::string_view>{"a"}));
    EXPECT_EQ(memo_lines("a\r\n\r\n"), (std::vector<std::string_view>{"a", ""}));
    EXPECT_EQ(memo_lines("a\n\nb"), (std::vector<std::string_view>{"a", "", "b"}));
    EXPECT_EQ(memo_lines("\n"), (std::vector<std::string_view>{""}));

    BetList list(5);
    read_memo("3.1|1-(1:0)\n\n", list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].bet_count, 1);
    EXPECT_EQ(list[1], BetEntry{});
}
