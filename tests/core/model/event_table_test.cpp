// Marking rules of grid clicks and the derived values of the line.
#include <gtest/gtest.h>

#include "core/model/event_table.h"

using namespace morvalen::core;

TEST(EventTable, EmptyLineHasNoVariants) {
    EventTable table;
    for (int e = 1; e <= 8; ++e) EXPECT_EQ(marked_count(table, e), 0);
    EXPECT_EQ(variant_total(table), 0);
    EXPECT_EQ(outcome_cell_text(table, 1, 1), "0/0");
    EXPECT_EQ(outcome_label(17), "ЛД");
}

TEST(EventTable, CellTextRoundsHalvesToEven) {
    EventTable table;
    table.cell(2, 5).quote_probability = *Currency::parse("12.5");
    table.cell(2, 5).pool_probability = *Currency::parse("13.5");
    EXPECT_EQ(outcome_cell_text(table, 2, 5), "12/14");
    table.cell(2, 5).quote_probability = *Currency::parse("23.4");
    table.cell(2, 5).pool_probability = *Currency::parse("17.61");
    EXPECT_EQ(outcome_cell_text(table, 2, 5), "23/18");
}

TEST(EventTable, ShortNameIsTheTextBeforeTheFirstBlankHyphen) {
    EXPECT_EQ(short_event_name("Спартак - Зенит"), "Спартак");
    EXPECT_EQ(short_event_name("A - B - C"), "A");
    EXPECT_EQ(short_event_name("Спартак-Зенит"), "");
}

TEST(EventTable, StartWithFollowsTheLastMarkAndFallsBackToTheHighestMarked) {
    EventTable table;
    click_outcome(table, 1, 3, false);
    click_outcome(table, 1, 12, false);
    click_outcome(table, 1, 5, false);
    EXPECT_EQ(table.event(1).start_with, 5);
    click_outcome(table, 1, 5, false);
    EXPECT_EQ(table.event(1).start_with, 12);
    click_outcome(table, 1, 12, false);
    click_outcome(table, 1, 3, false);
    EXPECT_EQ(table.event(1).start_with, 0);
    EXPECT_EQ(marked_count(table, 1), 0);
}

TEST(EventTable, KeyHeldGivesAndTakesTheYellowMark) {
    EventTable table;
    click_outcome(table, 4, 7, true);  // unmarked -> marked and yellow
    EXPECT_EQ(table.cell(4, 7).mark, 1);
    EXPECT_EQ(table.cell(4, 7).yellow_mark, 1);
    click_outcome(table, 4, 2, false);
    click_outcome(table, 4, 7, true);  // yellow -> not yellow, start-with unchanged
    EXPECT_EQ(table.cell(4, 7).yellow_mark, 0);
    EXPECT_EQ(table.event(4).start_with, 2);
    click_outcome(table, 4, 7, true);
    click_outcome(table, 4, 7, false);  // unmarking clears the yellow mark too
    EXPECT_EQ(table.cell(4, 7).mark, 0);
    EXPECT_EQ(table.cell(4, 7).yellow_mark, 0);
}

TEST(EventTable, ClickOnTheNameMarksOrUnmarksAllAndKeepsStartWith) {
    EventTable table;
    for (int o = 1; o <= 16; ++o) click_outcome(table, 2, o, o == 4);
    click_outcome(table, 2, 9, false);
    click_outcome(table, 2, 9, false);
    const auto start = table.event(2).start_with;
    EXPECT_TRUE(select_cell(table, 0, 2, false));
    EXPECT_EQ(marked_count(table, 2), 17);
    EXPECT_EQ(table.cell(2, 4).yellow_mark, 0);
    EXPECT_TRUE(select_cell(table, 0, 2, false));
    EXPECT_EQ(marked_count(table, 2), 0);
    EXPECT_EQ(table.event(2).start_with, start);
    EXPECT_FALSE(select_cell(table, 3, 0, false));
    EXPECT_FALSE(select_cell(table, 3, 9, false));
}

TEST(EventTable, VariantTotalReachesSeventeenToTheEighth) {
    EventTable table;
    for (int e = 1; e <= 8; ++e) click_event_name(table, e);
    EXPECT_EQ(variant_total(table), 6975757441LL);
    click_event_name(table, 8);
    EXPECT_EQ(variant_total(table), 0);
}

TEST(EventTable, StartWithCaptionListsOneLinePerEvent) {
    EventTable table;
    EXPECT_EQ(start_with_caption(table, false), "Начать с");
    EXPECT_EQ(start_with_caption(table, true), "Начать с\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    click_outcome(table, 2, 17, false);
    EXPECT_EQ(start_with_caption(table, true), "Начать с\r\n\r\n     ЛД\r\n\r\n\r\n\r\n\r\n\r\n");
}
