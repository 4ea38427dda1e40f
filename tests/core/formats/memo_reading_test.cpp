// Which memo lines every window counts as whole bets, and what the player is told about the others.
#include <gtest/gtest.h>

#include "core/analysis/distribution_table.h"
#include "core/formats/memo_reading.h"
#include "core/analysis/results_check.h"

using namespace morvalen::core;

TEST(MemoReading, WholeBetsAndCouponsReadWhole) {
    for (const char* line : {"3.1|1-(1:0);2-(0:0);3-(1:1);4-(2:1);5-(0:1);6-(1:2);7-(2:2);8-(ЛД)#",
                             "12.4|1-(1:0,2:0);2-(0:0,1:1);3-(2:1);4-(0:0);5-(0:0);6-(0:0);7-(0:0);8-(0:0)#"}) {
        const BetEntry entry = parse_bet_line(line);
        EXPECT_TRUE(reads_whole(entry)) << line;
        EXPECT_EQ(line_problem(line, entry), "") << line;
    }
    EXPECT_EQ(line_problem("   ", parse_bet_line("   ")), "");
}

// The line of the report: a score that does not exist and only three events.
TEST(MemoReading, ALineCutShortSaysWhatWasNotUnderstood) {
    const std::string line = "50|1-(1:0);2-(9:9);3-(1:1)#";
    const BetEntry entry = parse_bet_line(line);
    EXPECT_EQ(entry.bet_count, 1);  // the list's reading is unchanged
    EXPECT_FALSE(reads_whole(entry));
    EXPECT_EQ(line_problem(line, entry),
              "Строка прочитана не целиком: нет такого исхода: «9:9»; без исходов события 2, 4, 5, 6, 7, 8");
    EXPECT_EQ(line_problem("abc", parse_bet_line("abc")),
              "строка не читается как ставка: нужны сумма, «|» и события 1–8");
    const std::string twice = "3|1-(1:0,1:0);2-(0:0);3-(0:0);4-(0:0);5-(0:0);6-(0:0);7-(0:0);8-(0:0)#";
    EXPECT_NE(line_problem(twice, parse_bet_line(twice)).find("исход назван дважды"), std::string::npos);
}

// The results check and the distribution over the whole bets only count what the main window counts
// less the unread lines, and agree with each other.
TEST(MemoReading, UnreadLinesAreLeftOutOfEveryCountAlike) {
    BetList list;
    read_memo("3|1-(1:0);2-(0:0);3-(0:0);4-(0:0);5-(0:0);6-(0:0);7-(0:0);8-(0:0)#\n"
              "50|1-(1:0);2-(9:9);3-(1:1)#\n"
              "\n"
              "6|1-(1:0,2:0);2-(0:0);3-(0:0);4-(0:0);5-(0:0);6-(0:0);7-(0:0);8-(0:0)#",
              list);
    const UnreadLines unread = unread_lines(list);
    EXPECT_EQ(unread.lines, 1);
    EXPECT_EQ(unread.bets, 1);
    const BetList whole = whole_bets_only(list);
    ASSERT_EQ(whole.size(), list.size());
    DrawResults results;
    results.columns = {2, 1, 1, 1, 1, 1, 1, 1};
    const PackageHits hits = package_hits(whole, results);
    EXPECT_EQ(hits.totals.total(), 3);
    EXPECT_EQ(hits.per_entry[1].total(), 0);
    const DistributionCounts counts = distribution_counts(whole);
    EXPECT_EQ(counts[0][0] + counts[0][1], 3);  // event 1: 1:0 twice, 2:0 once
    EXPECT_EQ(counts[2][7], 0);                 // the cut line's 1:1 is not counted
}
