// The results check window on a known package: hit tables, the per-line hits and the chances line.
#include <gtest/gtest.h>

#include <QMenu>

#include <QGraphicsView>
#include <QMouseEvent>

#include "app/windows/probability_editor_window.h"

#include "app/windows/results_window.h"
#include "../files_harness.h"

namespace morvalen::app::testing {
namespace {

// Results 1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2 by outcome column.
constexpr int results[8] = {1, 7, 3, 17, 11, 13, 4, 9};

const QString package = QStringLiteral(
    "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
    "3.1|1-(1:0,2:0,2:1);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
    "3.1|1-(0:3);2-(0:3);3-(0:3);4-(0:3);5-(0:3);6-(0:3);7-(0:3);8-(0:3)#");

ResultsWindow* open(FilesHarness& h) {
    QAction* command = h.action("check_results");
    if (!command) return nullptr;
    EXPECT_EQ(command->text(), "Проверка по результатам");
    auto* menu = qobject_cast<QMenu*>(command->parent());
    EXPECT_TRUE(menu && menu->title() == QStringLiteral("Пакет"));
    command->trigger();
    return h.window->findChild<ResultsWindow*>(QStringLiteral("results_window"));
}

TEST(ResultsWindow, CountsSingleBetsByHitsForThePackageAndEachLine) {
    FilesHarness h;
    h.load_demo_line();
    h.set_memo(package);
    ResultsWindow* window = open(h);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible() || !window->isHidden());
    EXPECT_EQ(window->windowTitle(), "Проверка пакета по результатам");
    // The whole name, broken after " -" so that the chooser's column stays narrow.
    EXPECT_EQ(find_in<QLabel>(*window, "event_caption_1")->text(), "1. Команда 1 -\nСоперник 1");
    ASSERT_EQ(find_in<QComboBox>(*window, "result_chooser_4")->count(), 17);
    EXPECT_EQ(find_in<QComboBox>(*window, "result_chooser_4")->itemText(16), "ЛД");
    // Until every result is chosen the counts stay empty.
    EXPECT_FALSE(find_in<QLabel>(*window, "missing_results_hint")->isHidden());
    EXPECT_TRUE(find_in<StringGrid>(*window, "package_hits")->cell(1, 1).isEmpty());

    for (int e = 1; e <= 8; ++e) window->choose(e, results[e - 1]);
    EXPECT_TRUE(find_in<QLabel>(*window, "missing_results_hint")->isHidden());
    const StringGrid& totals = *find_in<StringGrid>(*window, "package_hits");
    // Columns 1 to 9 are 8 down to 0 hits, column 10 all single bets.
    EXPECT_EQ(totals.cell(1, 0), "8");
    EXPECT_EQ(totals.cell(9, 0), "0");
    const QString counts[] = {"2", "3", "2", "0", "0", "0", "0", "0", "1"};
    for (int c = 1; c <= 9; ++c) EXPECT_EQ(totals.cell(c, 1), counts[c - 1]) << c;
    EXPECT_EQ(totals.cell(10, 1), "8");
    EXPECT_EQ(totals.cell(1, 2), "25.00");
    EXPECT_EQ(totals.cell(2, 2), "37.50");
    EXPECT_EQ(totals.cell(10, 2), "100.00");

    const StringGrid& per_line = *find_in<StringGrid>(*window, "line_hits");
    ASSERT_EQ(per_line.row_count(), 4);
    EXPECT_EQ(per_line.cell(1, 1), "1");  // the single bet hits all 8
    // The coupon of 6: 1 with 8 hits, 3 with 7 (the other two of event 1, the other of event 2), 2 with 6.
    EXPECT_EQ(per_line.cell(1, 2), "1");
    EXPECT_EQ(per_line.cell(2, 2), "3");
    EXPECT_EQ(per_line.cell(3, 2), "2");
    EXPECT_EQ(per_line.cell(9, 3), "1");
    EXPECT_TRUE(per_line.cell(11, 2).startsWith(QStringLiteral("3.1|1-(1:0,2:0,2:1);2-(0:0,1:1)")));

    // Equal chances of 1/17 per outcome: the chances of at least k hits grow as k falls.
    const StringGrid& chances = *find_in<StringGrid>(*window, "chances");
    EXPECT_EQ(chances.cell(1, 0), "8");
    EXPECT_EQ(chances.cell(7, 0), "2");
    for (int c = 1; c < 7; ++c) EXPECT_LE(chances.cell(c, 1).toDouble(), chances.cell(c + 1, 1).toDouble()) << c;
    EXPECT_GT(chances.cell(1, 1).toDouble(), 0.0);
    EXPECT_TRUE(find_in<QLabel>(*window, "chances_note")->text().startsWith(QStringLiteral("Ожидаемое число ставок с 8 совпадениями: ")));
    EXPECT_TRUE(find_in<QLabel>(*window, "chances_note")->text().endsWith(QStringLiteral("(точный расчёт)")));
    // The window reads the list and changes nothing.
    EXPECT_EQ(h.memo_edit()->memo_text(), package);
    EXPECT_EQ(h.window->session().bets.size(), 3u);
}

TEST(ResultsWindow, RefusesChancesWithoutProbabilitiesAndFollowsAChangedList) {
    FilesHarness h;
    h.set_memo(package);
    ResultsWindow* window = open(h);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(find_in<QLabel>(*window, "chances_note")->text().startsWith(QStringLiteral("Шансы пакета не рассчитаны: ")));
    EXPECT_TRUE(find_in<StringGrid>(*window, "chances")->cell(1, 1).isEmpty());
    for (int e = 1; e <= 8; ++e) window->choose(e, results[e - 1]);
    EXPECT_EQ(find_in<StringGrid>(*window, "package_hits")->cell(10, 1), "8");

    // Coming back to the window after the list changed shows the new list.
    h.set_memo(package.section(QLatin1Char('\n'), 0, 0));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window, &activate);
    EXPECT_EQ(find_in<StringGrid>(*window, "line_hits")->row_count(), 2);
    EXPECT_EQ(find_in<StringGrid>(*window, "package_hits")->cell(10, 1), "1");
    EXPECT_EQ(find_in<StringGrid>(*window, "package_hits")->cell(1, 2), "100.00");
    // A line loaded meanwhile gives the chances on the next opening.
    h.load_demo_line();
    open(h);
    EXPECT_FALSE(find_in<StringGrid>(*window, "chances")->cell(1, 1).isEmpty());
}

TEST(ResultsWindow, ChancesTextNamesTheEstimateAndPercentsKeepSmallChancesVisible) {
    core::PackageChances chances;
    chances.exact = false;
    chances.samples = 2000;
    chances.expected_full_hits = 0.25;
    EXPECT_EQ(chances_text({chances, {}}),
              "Ожидаемое число ставок с 8 совпадениями: 0.25 (оценка по 2000 случайным розыгрышам)");
    EXPECT_EQ(chance_percent(0.222484), "22.25");
    EXPECT_EQ(chance_percent(1.0), "100");
    // A chance of one in 17 to the 8th power is not shown as 0, and not in exponent form either.
    EXPECT_EQ(chance_percent(1.4339e-10), "0.00000001434");
}

// Set probabilities changed in the editor reach the chances through the model when the player comes
// back to the window; a list changed meanwhile as well.
TEST(ResultsWindow, ChancesFollowTheEditorsProbabilitiesWhenThePlayerComesBack) {
    FilesHarness h;
    h.load_demo_line();
    h.set_memo(package);
    ResultsWindow* window = open(h);
    ASSERT_NE(window, nullptr);
    auto* chances = find_in<StringGrid>(*window, "chances");
    const QString by_quotes = chances->cell(1, 1);
    ASSERT_FALSE(by_quotes.isEmpty());

    // "1:0" of event 1 dragged far up in the editor: 99.9 %.
    auto* editor = find_in<ProbabilityEditorWindow>(*h.window, "probability_editor_window");
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    QWidget* viewport = find_in<QGraphicsView>(*editor, "chart_view")->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, editor->set_point_position(0));
    const QPointF far_up(10, -50000);
    QMouseEvent move(QEvent::MouseMove, far_up, viewport->mapToGlobal(far_up), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(h.window->session().events.cell(1, 1).setting_probability.ten_thousandths(), 999000);
    // The editor's change is announced once it rests a moment.
    QTest::qWait(300);
    EXPECT_EQ(chances->cell(1, 1), by_quotes);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(window, &activate);
    const QString dragged = chances->cell(1, 1);
    EXPECT_NE(dragged, by_quotes);

    h.set_memo(package.section(QLatin1Char('\n'), 0, 0));
    QApplication::sendEvent(window, &activate);
    EXPECT_NE(chances->cell(1, 1), dragged);
}

}  // namespace
}  // namespace morvalen::app::testing
