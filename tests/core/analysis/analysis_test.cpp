// The distribution by outcomes and the nearest brief systems.
#include <gtest/gtest.h>

#include "core/analysis/distribution_table.h"
#include "core/formation/nearest_systems.h"
#include "../formation_test_support.h"

using namespace morvalen::core;
using morvalen::test::single;

TEST(DistributionTable, CouponWeightsAndShares) {
    BetEntry coupon = single({1, 1, 1, 1, 1, 1, 1, 1});
    coupon.set(1).add(2);
    coupon.set(1).add(3);
    coupon.set(2).add(5);
    coupon.bet_count = 6;
    const DistributionTable table = distribution_table({coupon, BetEntry{}, single({3, 1, 1, 1, 1, 1, 1, 17})});
    EXPECT_EQ(table.counts[0][0], 2);
    EXPECT_EQ(table.counts[0][2], 3);
    EXPECT_EQ(table.counts[1][4], 3);
    EXPECT_EQ(table.counts[2][0], 7);
    EXPECT_EQ(table.cells[2][0], "7(100%)");
    EXPECT_EQ(table.cells[0][0], "2(29%)");
    EXPECT_EQ(table.cells[7][16], "1(14%)");
    EXPECT_EQ(table.cells[0][5], "");

    EXPECT_EQ(distribution_cell_text(1, 8), "1(12%)");
    EXPECT_EQ(distribution_cell_text(3, 8), "3(38%)");
    EXPECT_EQ(distribution_cell_text(1, 300), "1(0%)");
    EXPECT_EQ(distribution_cell_text(0, 300), "");

    // Entries that all stand for no bet: weights of 1 are counted, but nothing is shown.
    BetEntry zero = single({1, 1, 1, 1, 1, 1, 1, 1});
    zero.bet_count = 0;
    const DistributionTable empty = distribution_table({zero});
    EXPECT_EQ(empty.counts[0][0], 1);
    EXPECT_EQ(empty.cells[0][0], "");
    EXPECT_EQ(distribution_table({}).cells[4][4], "");
}

TEST(NearestSystems, Formulas) {
    EXPECT_EQ(system_formula({3, 3, 2, 2, 2, 1, 1, 1}), "2 по 3 + 3 по 2");
    EXPECT_EQ(system_formula({4, 4, 4, 4, 4, 4, 4, 4}), "8 по 4");
    EXPECT_EQ(system_formula({17, 2, 1, 1, 1, 1, 1, 1}), "1 по 17 + 1 по 2");
    EXPECT_EQ(system_formula({1, 1, 1, 1, 1, 1, 1, 1}), "");
}

TEST(NearestSystems, TwoPassChoice) {
    using Rows = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(nearest_system_rows({}, 3, 2), (Rows{{"Формула", "Ставок"}, {"", ""}}));

    BriefSystemList list;
    const auto entry = [&](MarkedCounts counts, int bets) { list.push_back({counts, bets}); };
    entry({3, 3, 1, 1, 1, 1, 1, 1}, 11);
    entry({3, 2, 2, 1, 1, 1, 1, 1}, 12);
    entry({4, 2, 1, 1, 1, 1, 1, 1}, 13);
    entry({3, 2, 1, 1, 1, 1, 1, 1}, 14);
    entry({3, 1, 1, 1, 1, 1, 1, 1}, 15);
    entry({3, 3, 2, 1, 1, 1, 1, 1}, 16);
    EXPECT_EQ(nearest_system_rows(list, 3, 2),
              (Rows{{"Формула", "Ставок"}, {"1 по 3 + 2 по 2", "12"}, {"1 по 3 + 1 по 2", "14"},
                    {"2 по 3", "11"}, {"1 по 3", "15"}, {"2 по 3 + 1 по 2", "16"}}));
    for (int i = 0; i < 3; ++i) entry({3, 2, 2, 2, 1, 1, 1, 1}, 20 + i);
    const auto five = nearest_system_rows(list, 3, 2);
    ASSERT_EQ(five.size(), 6u);
    EXPECT_EQ(five.back().second, "22");
}

TEST(NearestSystems, TwoLargestCountsWhereverTheEventsStand) {
    EventTable table;
    EXPECT_EQ(two_largest_marked_counts(table), (std::pair<int, int>{0, 0}));
    morvalen::test::mark(table, 2, {1, 2});
    morvalen::test::mark(table, 7, {1, 2, 3, 4, 5});
    morvalen::test::mark(table, 5, {4, 5});
    EXPECT_EQ(two_largest_marked_counts(table), (std::pair<int, int>{5, 2}));
    morvalen::test::mark(table, 1, {9, 10, 11, 12, 13});
    EXPECT_EQ(two_largest_marked_counts(table), (std::pair<int, int>{5, 5}));
}
