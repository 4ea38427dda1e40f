// The auxiliary windows reached from the main window: the line fills their chooser and names, the
// link and the menu open them, the list page shows the nearest systems.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGraphicsView>
#include <QMouseEvent>

#include "app/windows/distribution_window.h"
#include "app/windows/nearest_systems_window.h"
#include "app/windows/probability_editor_window.h"
#include "core/model/signature.h"
#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

TEST(AuxWindowsFromMainWindow, LinePageFillsTheEventChooserAndTheDistributionNames) {
    Harness h;
    auto* editor = h.find<ProbabilityEditorWindow>("probability_editor_window");
    h.fetcher->answer(demo_line_page());
    ASSERT_EQ(editor->event_items(), 8);
    EXPECT_EQ(editor->selected_event(), 0);
    const auto items = h.find<QWidget>("event_chooser")->findChildren<QAbstractButton*>();
    // Whole names: the home team alone does not say which match it is.
    EXPECT_EQ(items.at(0)->text(), "Команда 1 - Соперник 1");
    EXPECT_EQ(items.at(7)->text(), "Команда 8 - Соперник 8");
    ASSERT_EQ(editor->set_curve().count(), 17);
    EXPECT_DOUBLE_EQ(editor->quote_curve().at(16).y(), 12.5);
    EXPECT_DOUBLE_EQ(editor->pool_curve().at(16).y(), 13.5);
    EXPECT_DOUBLE_EQ(editor->set_curve().at(16).y(), 12.5);
    const auto* counts = h.find<StringGrid>("counts_grid");
    EXPECT_EQ(counts->cell(0, 1), "Команда 1 - Соперник 1");
    EXPECT_EQ(counts->cell(0, 8), "Команда 8 - Соперник 8");

    // A line read again replaces the items rather than adding to them, and lets go of a held point.
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    QTest::mousePress(h.find<QGraphicsView>("chart_view")->viewport(), Qt::LeftButton, {}, editor->set_point_position(4));
    ASSERT_EQ(editor->held_point(), 4);
    h.window->request_line();
    h.fetcher->answer(demo_line_page());
    EXPECT_EQ(editor->held_point(), -1);
    EXPECT_EQ(editor->event_items(), 8);
}

TEST(AuxWindowsFromMainWindow, ProbabilityLinkOpensTheEditorThatWritesTheSetProbabilities) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.find<QComboBox>("method")->setCurrentIndex(2);  // "Случ. распределение"
    ASSERT_FALSE(h.find<LinkLabel>("edit_probabilities_link")->isHidden());
    h.window->show();
    QTest::mouseClick(h.find<LinkLabel>("edit_probabilities_link"), Qt::LeftButton);
    auto* editor = h.find<ProbabilityEditorWindow>("probability_editor_window");
    ASSERT_TRUE(editor->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));

    QTest::mouseClick(h.find<LinkLabel>("uniform_preset"), Qt::LeftButton);
    const core::EventTable& events = h.window->session().events;
    for (int o = 1; o <= 17; ++o) EXPECT_EQ(events.cell(1, o).setting_probability.ten_thousandths(), 58824);
    EXPECT_EQ(editor->value_marks(), QStringList(17, "5.9"));
    EXPECT_EQ(events.cell(2, 1).setting_probability.ten_thousandths(), 125000);

    // "1:0" dragged far up: 99.9 %, the other 16 equal shares of 0.1 %.
    QWidget* viewport = h.find<QGraphicsView>("chart_view")->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, editor->set_point_position(0));
    const QPointF far_up(10, -50000);
    QMouseEvent move(QEvent::MouseMove, far_up, viewport->mapToGlobal(far_up), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(events.cell(1, 1).setting_probability.ten_thousandths(), 999000);
    // Each is 1000 / 16 = 62.5 ten-thousandths, to the even 62.
    for (int o = 2; o <= 17; ++o) EXPECT_EQ(events.cell(1, o).setting_probability.ten_thousandths(), 62);
}

TEST(AuxWindowsFromMainWindow, PackageMenuShowsTheDistributionOfTheList) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 2});
    h.find<QAction>("add_coupon")->trigger();  // a coupon of 2^8 = 256 bets
    h.find<QAction>("show_distribution")->trigger();
    ASSERT_TRUE(h.find<QWidget>("distribution_window")->isVisible());
    const auto* counts = h.find<StringGrid>("counts_grid");
    EXPECT_EQ(counts->cell(1, 0), "1:0");
    EXPECT_EQ(counts->cell(17, 0), "ЛД");
    EXPECT_EQ(counts->cell(0, 3), "Команда 3 - Соперник 3");
    EXPECT_EQ(counts->cell(1, 3), "128(50%)");
    EXPECT_EQ(counts->cell(2, 8), "128(50%)");
    EXPECT_EQ(counts->cell(3, 8), "");
}

TEST(AuxWindowsFromMainWindow, ListPageShowsTheNearestSystems) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    {
        const SessionModel::Edit edit = h.window->model().change(0);
        edit->expansion_order[0].marked = 3;
        edit->expansion_order[1].marked = 2;
    }
    h.window->request_system_list();
    const auto record = [](core::MarkedCounts counts, int bets) {
        return std::to_string(core::signature_of(7, counts)) + ";" + std::to_string(bets) + "|";
    };
    h.fetcher->answer(record({3, 3, 2, 1, 1, 1, 1, 1}, 12) + record({3, 2, 2, 1, 1, 1, 1, 1}, 6));
    auto* nearest = h.find<QWidget>("nearest_systems_window");
    ASSERT_TRUE(nearest->isVisible());
    const auto* systems = h.find<StringGrid>("systems_grid");
    ASSERT_EQ(systems->row_count(), 3);
    EXPECT_EQ(systems->cell(0, 0), "Формула");
    EXPECT_EQ(systems->cell(0, 1), "1 по 3 + 2 по 2");
    EXPECT_EQ(systems->cell(1, 1), "6");
    EXPECT_EQ(systems->cell(0, 2), "2 по 3 + 1 по 2");
    EXPECT_EQ(systems->cell(1, 2), "12");

    // An empty list page still shows the window with its header and one empty row.
    nearest->hide();
    h.window->request_system_list();
    h.fetcher->answer("");
    ASSERT_TRUE(nearest->isVisible());
    ASSERT_EQ(systems->row_count(), 2);
    EXPECT_EQ(systems->cell(0, 1), "");
}

}  // namespace
}  // namespace morvalen::app::testing
