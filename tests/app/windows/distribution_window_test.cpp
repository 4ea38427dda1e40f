// The distribution window: counts and shares per event and outcome, the header, the names and the growing columns.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "app/windows/distribution_window.h"
#include "../aux_test_support.h"
#include "core/model/bet.h"

namespace morvalen::app {
namespace {

core::BetEntry entry(std::initializer_list<std::initializer_list<int>> columns_per_event) {
    core::BetEntry bet;
    int e = 1;
    for (const auto& columns : columns_per_event) {
        for (int c : columns) bet.set(e).add(c);
        ++e;
    }
    bet.bet_count = 1;
    for (const core::OutcomeSet& set : bet.outcome_sets) bet.bet_count *= set.size();
    return bet;
}

class DistributionWindowTest : public test::QtTest {
protected:
    void SetUp() override {
        model.change(SessionModel::line)->events = test::sample_line();
        window = std::make_unique<DistributionWindow>(model, nullptr);
        for (int e = 1; e <= 8; ++e)
            window->set_event_name(e, QString::fromStdString(core::short_event_name(session.events.event(e).name)));
    }
    StringGrid& grid() const { return *window->findChild<StringGrid*>(QStringLiteral("counts_grid")); }
    QString cell(int column, int row) const { return grid().cell(column, row); }

    SessionModel model;
    const core::Session& session = model.session();
    std::unique_ptr<DistributionWindow> window;
};

// A coupon of 3 × 2 outcomes (6 bets) and two single bets: 8 bets in all.
void add_package(core::Session& session) {
    session.bets.push_back(entry({{1, 2, 3}, {7, 8}, {1}, {1}, {1}, {1}, {1}, {1}}));
    session.bets.push_back(entry({{1}, {7}, {1}, {1}, {1}, {1}, {1}, {1}}));
    session.bets.push_back(entry({{17}, {8}, {11}, {11}, {11}, {11}, {11}, {11}}));
}

TEST_F(DistributionWindowTest, MenuCommandShowsCountsAndSharesOfThePackage) {
    add_package(*model.change(SessionModel::package));
    window->open();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Распределение ставок пакета по исходам"));
    EXPECT_EQ(cell(1, 0), QStringLiteral("1:0"));
    EXPECT_EQ(cell(17, 0), QStringLiteral("ЛД"));
    EXPECT_EQ(cell(0, 0), QString());
    EXPECT_EQ(cell(0, 1), QStringLiteral("Арсенал"));
    EXPECT_EQ(cell(0, 7), QStringLiteral("Селтик"));

    // Each of the coupon's 3 outcomes of event 1 lies in 2 of its bets; halves go to even.
    EXPECT_EQ(cell(1, 1), QStringLiteral("3(38%)"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("2(25%)"));
    EXPECT_EQ(cell(3, 1), QStringLiteral("2(25%)"));
    EXPECT_EQ(cell(17, 1), QStringLiteral("1(12%)"));
    EXPECT_EQ(cell(4, 1), QString());
    EXPECT_EQ(cell(7, 2), QStringLiteral("4(50%)"));
    EXPECT_EQ(cell(8, 2), QStringLiteral("4(50%)"));
    EXPECT_EQ(cell(1, 8), QStringLiteral("7(88%)"));
    EXPECT_EQ(cell(11, 8), QStringLiteral("1(12%)"));
}

TEST_F(DistributionWindowTest, EmptyOrUncountedPackagesLeaveTheCellsEmpty) {
    window->open();
    for (int e = 1; e <= 8; ++e)
        for (int o = 1; o <= 17; ++o) EXPECT_EQ(cell(o, e), QString());
    window->hide();

    core::BetEntry unread = entry({{1}, {1}, {1}, {1}, {1}, {1}, {1}, {1}});
    unread.bet_count = 0;
    model.change(SessionModel::package)->bets = {unread, unread};
    window->open();
    EXPECT_EQ(cell(1, 1), QString());
}

TEST_F(DistributionWindowTest, AnOpenWindowKeepsItsFiguresUntilShownAgain) {
    add_package(*model.change(SessionModel::package));
    window->open();
    {
        const SessionModel::Edit edit = model.change(SessionModel::package);
        edit->bets.clear();
        edit->bets.push_back(entry({{5}, {5}, {5}, {5}, {5}, {5}, {5}, {5}}));
    }
    window->open();  // already open: only the header is rewritten
    EXPECT_EQ(cell(1, 1), QStringLiteral("3(38%)"));
    EXPECT_EQ(cell(5, 1), QString());

    window->hide();
    window->open();
    EXPECT_EQ(cell(1, 1), QString());
    EXPECT_EQ(cell(5, 1), QStringLiteral("1(100%)"));
}

// Opening fits every column to its widest text, with a floor that keeps a full figure readable;
// columns never narrow afterwards.
TEST_F(DistributionWindowTest, OpeningFitsColumnsToTheirTextsAndTheyNeverNarrow) {
    add_package(*model.change(SessionModel::package));
    window->open();
    QFont normal(QStringLiteral("Tahoma"), 8);
    const int name_width = QFontMetrics(normal).horizontalAdvance(QStringLiteral("Бавария"));
    EXPECT_GE(grid().column_width(0), name_width + 2);
    const int wide = grid().column_width(1);
    EXPECT_GE(wide, QFontMetrics(normal).horizontalAdvance(QStringLiteral("7(88%)")) + 2);
    EXPECT_EQ(grid().column_width(5), 58);
    (void)window->grab();
    EXPECT_EQ(grid().column_width(1), wide);

    window->hide();
    model.change(SessionModel::package)->bets.clear();
    window->open();
    (void)window->grab();
    EXPECT_EQ(grid().column_width(1), wide);
}

}  // namespace
}  // namespace morvalen::app
