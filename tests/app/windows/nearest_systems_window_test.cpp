// The nearest systems window: the systems nearest to the player's shape, their formulas and bets, and the grid's growth.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "app/windows/nearest_systems_window.h"
#include "../aux_test_support.h"

namespace morvalen::app {
namespace {

class NearestSystemsWindowTest : public test::QtTest {
protected:
    void SetUp() override {
        // The player's two largest marked counts are 3 and 2.
        model.change(0)->expansion_order[0].marked = 3;
        model.change(0)->expansion_order[1].marked = 2;
        window = std::make_unique<NearestSystemsWindow>(model, nullptr);
    }
    void add(core::MarkedCounts counts, std::int32_t bets) { model.change(0)->brief_systems.push_back({counts, bets}); }
    StringGrid& grid() const { return *window->findChild<StringGrid*>(QStringLiteral("systems_grid")); }
    QString cell(int column, int row) const { return grid().cell(column, row); }

    SessionModel model;
    std::unique_ptr<NearestSystemsWindow> window;
};

TEST_F(NearestSystemsWindowTest, AnEmptyListShowsTheHeaderAndOneEmptyRow) {
    window->show_nearest_systems();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Ближайшие бриф-системы"));
    EXPECT_EQ(grid().column_count(), 2);
    ASSERT_EQ(grid().row_count(), 2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("Формула"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("Ставок"));
    EXPECT_EQ(cell(0, 1), QString());
    EXPECT_EQ(cell(1, 1), QString());
}

TEST_F(NearestSystemsWindowTest, ExactShapesFirstAndOthersOnlyWhenFewerThanFour) {
    add({3, 3, 2, 1, 1, 1, 1, 1}, 27);     // only the largest count matches
    add({3, 2, 2, 2, 1, 1, 1, 1}, 12);     // both match
    add({4, 2, 1, 1, 1, 1, 1, 1}, 8);      // another largest count: never listed
    add({3, 1, 1, 1, 1, 1, 1, 1}, 3);      // only the largest
    add({3, 2, 1, 1, 1, 1, 1, 1}, 6);      // both
    add({3, 3, 3, 1, 1, 1, 1, 1}, 81);     // only the largest
    window->show_nearest_systems();
    ASSERT_EQ(grid().row_count(), 6);
    EXPECT_EQ(cell(0, 1), QStringLiteral("1 по 3 + 3 по 2"));
    EXPECT_EQ(cell(1, 1), QStringLiteral("12"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("1 по 3 + 1 по 2"));
    EXPECT_EQ(cell(1, 2), QStringLiteral("6"));
    EXPECT_EQ(cell(0, 3), QStringLiteral("2 по 3 + 1 по 2"));
    EXPECT_EQ(cell(0, 4), QStringLiteral("1 по 3"));
    EXPECT_EQ(cell(0, 5), QStringLiteral("3 по 3"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("81"));

    // With five exact shapes the near ones are left out, and the grid is replaced whole.
    model.change(0)->brief_systems.clear();
    for (std::int32_t bets = 1; bets <= 5; ++bets) add({3, 2, 1, 1, 1, 1, 1, 1}, bets);
    add({3, 3, 1, 1, 1, 1, 1, 1}, 9);
    window->show_nearest_systems();
    ASSERT_EQ(grid().row_count(), 6);
    EXPECT_EQ(cell(1, 5), QStringLiteral("5"));
}

TEST_F(NearestSystemsWindowTest, PaintingWidensAColumnToALongFormula) {
    model.change(0)->expansion_order[0].marked = 17;
    model.change(0)->expansion_order[1].marked = 2;
    add({17, 2, 2, 2, 2, 2, 2, 2}, 1000000);
    window->show_nearest_systems();
    const QString formula = QStringLiteral("1 по 17 + 7 по 2");
    EXPECT_EQ(cell(0, 1), formula);
    const int before = grid().column_width(0);
    (void)window->grab();
    const int text_width = QFontMetrics(grid().font()).horizontalAdvance(formula);
    EXPECT_EQ(grid().column_width(0), std::max(before, text_width + 4));
    EXPECT_GT(grid().column_width(0), 0);
}

}  // namespace
}  // namespace morvalen::app
