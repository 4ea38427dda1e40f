// A new player's first evening in the window: coverage of coupons, one reading of the memo, results
// that stay, marks in the undo history, yellow marks, views that follow the line, the drawing, the
// foresight of the methods and the nearest systems.
#include <gtest/gtest.h>

#include <sstream>

#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>
#include <QImage>
#include <QTextBlock>
#include <QTimer>

#include "app/windows/distribution_window.h"
#include "app/windows/nearest_systems_window.h"
#include "app/windows/probability_editor_window.h"
#include "app/windows/results_window.h"
#include "core/pages/list_page.h"
#include "core/formats/quotes_file.h"
#include "../files_harness.h"

namespace morvalen::app::testing {
namespace {

QString label(const Harness& h, const char* name) { return h.find<QLabel>(name)->text(); }
QAction* action(const Harness& h, const char* name) { return h.find<QAction>(name); }

// The method list is driven from the keyboard, as a player without a mouse would.
void choose_method(const Harness& h, int index) {
    auto* method = h.find<QComboBox>("method");
    method->setFocus();
    QTest::keyClick(method, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(method, Qt::Key_Down);
    ASSERT_EQ(method->currentIndex(), index);
}

void type_into(QSpinBox* spin, const QString& text) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Enter);
}

// Two outcomes in events 1 and 2 and one elsewhere: 4 variants.
void mark_four_variants(Harness& h) {
    h.click_cell(1, 1);
    h.click_cell(2, 1);
    h.click_cell(7, 2);
    h.click_cell(8, 2);
    for (int e = 3; e <= 8; ++e) h.click_cell(3, e);
}

QColor pixel(QWidget* widget, QPoint at) { return QColor(widget->grab().toImage().pixel(at)); }

// 1. A coupon over the marks covers every variant, as its single bets do.
TEST(FirstEvening, ACouponPackageCoversWhatItsSingleBetsCover) {
    Harness h;
    mark_four_variants(h);
    action(h, "add_coupon")->trigger();
    ASSERT_EQ(h.window->session().bets.size(), 1U);
    choose_method(h, 3);  // autoformation checks the list at once
    EXPECT_EQ(label(h, "coverage_summary"), "Покрыто ставками 4 вариантов (100%) с гарантией 7 событий");
    action(h, "split_into_singles")->trigger();
    choose_method(h, 0);
    choose_method(h, 3);
    EXPECT_EQ(label(h, "coverage_summary"), "Покрыто ставками 4 вариантов (100%) с гарантией 7 событий");
}

// 2. A line that is not a whole bet is tinted, explained, counted in the package line and left out
// of the results check and the distribution alike.
TEST(FirstEvening, ALineCutShortIsTintedAndEveryWindowCountsTheSame) {
    FilesHarness h;
    h.load_demo_line();
    BetMemo* memo = h.memo_edit();
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("3.1|1-(1:0);2-(0:0);3-(0:0);4-(0:0);5-(0:0);6-(0:0);7-(0:0);8-(0:0)#"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("50|1-(1:0);2-(9:9);3-(1:1)#"));
    const QString package = find_in<QLabel>(*h.window, "package_summary")->text();
    EXPECT_TRUE(package.startsWith("Ставок  2 (На сумму 53.1)")) << package.toStdString();
    EXPECT_TRUE(package.contains("Не прочитаны целиком строк: 1 (ставок в них 1)")) << package.toStdString();
    EXPECT_EQ(memo->unread_reason(0), QString());
    EXPECT_EQ(memo->unread_reason(1),
              "Строка прочитана не целиком: нет такого исхода: «9:9»; без исходов события 2, 4, 5, 6, 7, 8");
    ASSERT_EQ(memo->extraSelections().size(), 1);
    EXPECT_EQ(memo->extraSelections()[0].cursor.block().blockNumber(), 1);

    h.action("check_results")->trigger();
    auto* results = find_in<ResultsWindow>(*h.window, "results_window");
    for (int e = 1; e <= 8; ++e) results->choose(e, e == 1 ? 1 : 7);
    auto* hits = find_in<StringGrid>(*results, "package_hits");
    EXPECT_EQ(hits->cell(10, 1), "1");  // only the whole bet is checked
    EXPECT_TRUE(find_in<QLabel>(*results, "unread_note")->isVisible());
    auto* lines = find_in<StringGrid>(*results, "line_hits");
    EXPECT_EQ(lines->cell(11, 2), "50|1-(1:0);2-(9:9);3-(1:1)#");  // as the player wrote it

    h.action("show_distribution")->trigger();
    auto* counts = find_in<StringGrid>(*h.window, "counts_grid");
    EXPECT_EQ(counts->cell(1, 1), "1(100%)");
    EXPECT_EQ(counts->cell(8, 3), "");  // the cut line's 1:1 in event 3 is not counted
}

// 3. The chance the best-chances package reached stays in the summary; Esc is told in the caption.
TEST(FirstEvening, TheChanceReachedStaysAndAStoppedRunSaysSo) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    mark_four_variants(h);
    choose_method(h, 4);
    type_into(h.find<QSpinBox>("repeat_count"), QStringLiteral("2"));
    h.add_to_list();
    ASSERT_TRUE(h.boxes.boxes.empty()) << h.boxes.boxes[0].text.toStdString();
    ASSERT_EQ(h.window->session().bets.size(), 2U);
    const QString result = label(h, "result_summary");
    EXPECT_TRUE(result.startsWith("Шанс пакета угадать не менее 7 событий: ")) << result.toStdString();
    EXPECT_FALSE(result.contains('e'));
    // A change of the package takes the line away.
    action(h, "clear_list")->trigger();
    EXPECT_EQ(label(h, "result_summary"), "");

    auto ticks = std::make_shared<std::chrono::steady_clock::time_point>();
    Harness slow(QStringLiteral("http://127.0.0.1:1"), [ticks] { return *ticks += std::chrono::seconds(2); });
    // Enough variants that the pass is still at work when its first step is shown; Esc then.
    slow.mark_every_event({1, 2, 3, 4, 5, 6, 7, 8});
    choose_method(slow, 3);
    slow.settle();
    const QString caption = slow.window->windowTitle();
    bool pressed = false;
    QObject::connect(slow.window.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
        if (pressed || !title.startsWith("Шаг ")) return;
        pressed = true;
        QTest::keyClick(slow.grid(), Qt::Key_Escape);
    });
    slow.add_to_list();
    EXPECT_TRUE(pressed);
    const auto kept = static_cast<int>(slow.window->session().bets.size());
    EXPECT_EQ(slow.window->windowTitle(),
              caption + QStringLiteral(" — прервано клавишей Esc, оставлено ставок: %1").arg(kept));
}

// 4. Marks are steps of the undo history: a click, a click on an event's name.
TEST(FirstEvening, MarksAreUndoneAndRedoneLikeThePackage) {
    Harness h;
    h.click_cell(3, 2);
    h.click_cell(5, 2);
    const core::EventTable& events = h.window->session().events;
    ASSERT_EQ(core::marked_count(events, 2), 2);
    // A click on the name of a partly marked event asks nothing and can be undone.
    h.click_cell(0, 2);
    EXPECT_EQ(core::marked_count(events, 2), 17);
    action(h, "undo")->trigger();
    EXPECT_EQ(core::marked_count(events, 2), 2);
    EXPECT_EQ(h.grid()->cell(3, 2), "0/0");
    action(h, "undo")->trigger();
    EXPECT_EQ(core::marked_count(events, 2), 1);
    EXPECT_EQ(events.event(2).start_with, 3);
    action(h, "redo")->trigger();
    EXPECT_EQ(core::marked_count(events, 2), 2);
    EXPECT_EQ(events.event(2).start_with, 5);
    EXPECT_TRUE(h.boxes.boxes.empty());
}

// 5. Any key held gives the yellow mark, Shift included; yellow is told apart under every method.
TEST(FirstEvening, ShiftGivesTheYellowMarkAndYellowIsAlwaysSeen) {
    Harness h;
    h.click_cell(3, 2, Qt::ShiftModifier);
    EXPECT_EQ(h.window->session().events.cell(2, 3).yellow_mark, 1);
    QTest::keyPress(h.grid(), Qt::Key_A);
    h.click_cell(4, 2);
    QTest::keyRelease(h.grid(), Qt::Key_A);
    EXPECT_EQ(h.window->session().events.cell(2, 4).yellow_mark, 1);
    h.click_cell(5, 2);
    EXPECT_EQ(h.window->session().events.cell(2, 5).yellow_mark, 0);

    OutcomeGrid* grid = h.grid();
    const auto centre = [&](int column) { return grid->cell_rect(column, 2).topLeft() + QPoint(2, 2); };
    const QColor plain = pixel(grid, centre(5));
    const QColor dimmed = pixel(grid, centre(3));
    EXPECT_EQ(plain, QColor(0, 255, 0));
    EXPECT_NE(dimmed, plain);
    choose_method(h, 1);
    EXPECT_EQ(pixel(grid, centre(3)), QColor(255, 255, 0));
    EXPECT_TRUE(grid->cell_hint(3, 2).contains("любой нажатой клавишей"));
    EXPECT_TRUE(label(h, "grid_legend").contains("котировки / пул, %"));
}

// 6. A quotes load redraws the probability editor's curves and the open auxiliary windows.
TEST(FirstEvening, ViewsFollowTheLineAfterAQuotesLoad) {
    FilesHarness h;
    h.load_demo_line();
    auto* editor = find_in<ProbabilityEditorWindow>(*h.window, "probability_editor_window");
    editor->show();
    editor->select_event(2);
    core::EventTable table = h.window->session().events;
    table.cell(3, 5).quote_probability = core::Currency::from_ten_thousandths(400000);
    table.event(3).name = "Хозяева - Гости";
    std::ostringstream out;
    ASSERT_TRUE(core::write_quotes(out, table, "Котировки"));
    const QString path = h.path(QStringLiteral("new.ctr"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(out.str().c_str());
    }
    h.dialogs.open_answers = {path};
    h.action("load_quotes")->trigger();
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_EQ(editor->selected_event(), 2);
    EXPECT_DOUBLE_EQ(editor->quote_curve().at(4).y(), 40.0);
    auto* chooser = find_in<QGroupBox>(*editor, "event_chooser");
    EXPECT_FALSE(chooser->findChildren<QRadioButton*>().isEmpty());
    EXPECT_EQ(chooser->findChildren<QRadioButton*>()[2]->text(), "Хозяева - Гости");  // the whole name
    // Undo puts the old curve back.
    h.action("undo")->trigger();
    EXPECT_DOUBLE_EQ(editor->quote_curve().at(4).y(), 12.5);
}

// 7. Drawing: marks never cover the text, every grid line is one pixel, plain decimals, hints.
TEST(FirstEvening, TheGridDrawsEvenLinesAndMarksUnderTheirText) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.click_cell(3, 2);
    OutcomeGrid* grid = h.grid();
    const QImage image = grid->grab().toImage();
    const QRect marked = grid->cell_rect(3, 2);
    // The mark fills the cell to its lines, so the figures stand on one colour.
    EXPECT_EQ(QColor(image.pixel(marked.topLeft())), QColor(0, 255, 0));
    EXPECT_EQ(QColor(image.pixel(marked.bottomRight())), QColor(0, 255, 0));
    // The line right of every cell is one black pixel, marked or not.
    for (const int row : {1, 2, 3}) {
        const QRect r = grid->cell_rect(3, row);
        EXPECT_EQ(QColor(image.pixel(r.right() + 1, r.center().y())), QColor(Qt::black)) << row;
        EXPECT_NE(QColor(image.pixel(r.right() + 2, r.center().y())), QColor(Qt::black)) << row;
        EXPECT_NE(QColor(image.pixel(r.right(), r.center().y())), QColor(Qt::black)) << row;
    }
    EXPECT_EQ(grid->cell_hint(1, 1).section('\n', 0, 0), "1:0: котировки 12.5%, пул 13.5%; котировки / пул = 0.9259");
    EXPECT_EQ(chance_percent(9.168e-08), "0.000009168");
    EXPECT_EQ(chance_percent(0.1234567), "12.35");
    EXPECT_EQ(chance_percent(1.0), "100");

    action(h, "show_distribution")->trigger();
    auto* distribution = h.find<DistributionWindow>("distribution_window");
    auto* counts = find_in<StringGrid>(*distribution, "counts_grid");
    EXPECT_GE(distribution->width(),
              std::min(counts->sizeHint().width(), distribution->screen()->availableSize().width()));
    EXPECT_EQ(counts->cell(0, 1), "Команда 1 - Соперник 1");
    QFont plain = counts->font();
    plain.setBold(false);
    EXPECT_GE(counts->column_width(0), QFontMetrics(plain).horizontalAdvance(counts->cell(0, 1)));
}

// 8. The panel tells what the method will give; a short autoformation says the guarantee is not
// reached; a smaller listed brief system is pointed out once.
TEST(FirstEvening, ForesightAndWhatAutoformationDidNotReach) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    mark_four_variants(h);
    auto* foresight = h.find<QLabel>("foresight");
    choose_method(h, 2);
    EXPECT_EQ(foresight->text(), "Будет ставок 1000 × 3.1 = 3100");
    choose_method(h, 1);
    EXPECT_EQ(foresight->text(), "Нет вариантов с таким числом сенсаций");
    h.click_cell(1, 1, Qt::ShiftModifier);  // event 1's 1:0 becomes a sensation
    EXPECT_EQ(foresight->text(), "Купонов 1, ставок 2 × 3.1 = 6.2");

    choose_method(h, 3);
    type_into(h.find<QSpinBox>("repeat_count"), QStringLiteral("1"));
    h.add_to_list();
    EXPECT_EQ(label(h, "result_summary"), "Гарантия 7 не достигнута: не покрыто 1 вариантов (25%)");

    // Full coverage takes 2 bets; the service's list names a system of 1 bet for these marks.
    action(h, "clear_list")->trigger();
    type_into(h.find<QSpinBox>("repeat_count"), QStringLiteral("10"));
    h.add_to_list();
    ASSERT_EQ(h.window->session().bets.size(), 2U);
    ASSERT_FALSE(h.fetcher->pending.empty());
    EXPECT_TRUE(h.fetcher->requests.back().contains("grant=7_11")) << h.fetcher->requests.back().toStdString();
    const std::int64_t signature = core::signature_of(7, core::MarkedCounts{2, 2, 1, 1, 1, 1, 1, 1});
    h.fetcher->answer(core::write_list_page({{signature, 1}}));
    EXPECT_EQ(label(h, "result_summary"), "Готовая бриф-система для этих отметок меньше: 1 ставок против 2");
    // The brief-system method now knows the size in advance.
    choose_method(h, 0);
    EXPECT_EQ(foresight->text(), "Бриф-система: ставок 1 × 3.1 = 3.1");
    // Once: the same marks formed again are not compared again.
    choose_method(h, 3);
    action(h, "clear_list")->trigger();
    const std::size_t requests = h.fetcher->requests.size();
    h.add_to_list();
    EXPECT_EQ(h.fetcher->requests.size(), requests);
}

// 9. The nearest systems open from the menu, and an empty list says that nothing ready is near.
TEST(FirstEvening, TheNearestSystemsWindowOpensAlsoWhenNothingIsNear) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= (e <= 2 ? 8 : 1); ++c) h.click_cell(c, e);
    action(h, "show_nearest_systems")->trigger();
    ASSERT_FALSE(h.fetcher->pending.empty());
    EXPECT_TRUE(h.fetcher->requests.back().contains("grant=7_77")) << h.fetcher->requests.back().toStdString();
    h.fetcher->answer("");
    auto* nearest = h.find<NearestSystemsWindow>("nearest_systems_window");
    EXPECT_TRUE(nearest->isVisible());
    EXPECT_EQ(nearest->note(), "Готовой бриф-системы рядом с отметками нет (в двух самых широких событиях отмечено 8 и 8 исходов)");
    EXPECT_TRUE(h.boxes.boxes.empty());
}

}  // namespace
}  // namespace morvalen::app::testing
