// The main window driven by object name along the player's road: line, marks, package, list commands, copy.
#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>

#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

QString label(const Harness& h, const char* name) { return h.find<QLabel>(name)->text(); }
QAction* action(const Harness& h, const char* name) { return h.find<QAction>(name); }

TEST(MainWindow, OpensWithTheStartCaptionEmptySummaryAndListCommandsDisabled) {
    Harness h;
    EXPECT_EQ(h.window->objectName(), "main_window");
    EXPECT_EQ(h.window->windowTitle(), "Тотализатор \"Тарвил\"");
    EXPECT_EQ(label(h, "package_summary"), "Ставок  0 (На сумму 0)");
    EXPECT_TRUE(label(h, "variants_summary").isEmpty());
    EXPECT_TRUE(label(h, "coverage_summary").isEmpty());
    EXPECT_TRUE(h.find<QWidget>("add_to_list_link")->isHidden());
    for (const char* name : {"add_coupon", "remove_variants", "split_into_singles", "remove_repeats", "clear_list", "copy_for_transfer", "save_text", "export_by_columns", "export_by_rows"})
        EXPECT_FALSE(action(h, name)->isEnabled()) << name;
    for (const char* name : {"save_quotes", "load_quotes", "show_distribution", "show_information"}) EXPECT_TRUE(action(h, name)->isEnabled()) << name;
    EXPECT_EQ(action(h, "copy_for_transfer")->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(action(h, "clear_list")->text(), "Очистить список ставок ");
    EXPECT_EQ(h.grid()->cell(0, 0), "События");
    EXPECT_EQ(h.grid()->cell(17, 0), "ЛД");
    // The brief-system panel: guarantee 7 and the start-with controls, nothing of the other methods.
    EXPECT_FALSE(h.find<QWidget>("guarantee")->isHidden());
    EXPECT_FALSE(h.find<QWidget>("start_with")->isHidden());
    EXPECT_TRUE(h.find<QWidget>("repeat_count")->isHidden());
    EXPECT_TRUE(h.find<QWidget>("edit_probabilities_link")->isHidden());
    EXPECT_EQ(h.find<QSpinBox>("guarantee")->value(), 7);
    EXPECT_EQ(h.find<QLineEdit>("stake")->text(), "3.10");
    const std::pair<const char*, const char*> windows[] = {
        {"probability_editor_window", "Редактирование вероятностей исходов (мышкой)"},
        {"nearest_systems_window", "Ближайшие бриф-системы"},
        {"distribution_window", "Распределение ставок пакета по исходам"}};
    for (const auto& [name, caption] : windows) {
        auto* window = h.find<QWidget>(name);
        ASSERT_NE(window, nullptr) << name;
        EXPECT_TRUE(window->isHidden()) << name;
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(caption));
    }
}

TEST(MainWindow, LinePageFillsTheGridCaptionAndStake) {
    Harness h;
    ASSERT_EQ(h.fetcher->requests.size(), 1U);
    EXPECT_TRUE(h.fetcher->requests[0].startsWith("http://127.0.0.1:1/sttot/getbrief.ashx?line=1&dt="));
    QSignalSpy read(h.window.get(), &MainWindow::page_read);
    h.fetcher->answer(demo_line_page());
    EXPECT_EQ(read.count(), 1);
    EXPECT_EQ(h.grid()->cell(0, 1), "Команда 1 - Соперник 1");
    EXPECT_EQ(h.grid()->cell(0, 8), "Команда 8 - Соперник 8");
    EXPECT_EQ(h.grid()->cell(1, 1), "12/14");
    EXPECT_TRUE(h.window->windowTitle().startsWith("Анализ вариантов (по состоянию на "));
    EXPECT_TRUE(h.window->windowTitle().endsWith("). Прием до 09.12 18:00/19:00"));
    EXPECT_EQ(h.find<QLineEdit>("stake")->text(), "3.10");
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(MainWindow, UnreadableFieldStopsTheReadingAndIsShownUnderTheApplicationTitle) {
    Harness h;
    std::string page = demo_line_page();
    // The second event's first quote with a comma: event 1 stays read, the caption stays as it was.
    const std::size_t second = page.find("Команда 2 - Соперник 2|") + std::string("Команда 2 - Соперник 2|").size();
    page.replace(second, 4, "12,5");
    h.fetcher->answer(page);
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_EQ(h.boxes.boxes[0].title, "Morvalen_trs_zrn");
    EXPECT_EQ(h.boxes.boxes[0].text, "'12,5' is not a valid floating point value");
    EXPECT_EQ(h.grid()->cell(0, 1), "Команда 1 - Соперник 1");
    EXPECT_EQ(h.window->windowTitle(), "Тотализатор \"Тарвил\"");
}

TEST(MainWindow, FailedRequestIsReadAsThePageItGave) {
    Harness h;
    h.fetcher->answer("", "");
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_TRUE(h.window->windowTitle().startsWith("Анализ вариантов"));
    EXPECT_TRUE(h.grid()->cell(0, 1).isEmpty());
}

TEST(MainWindow, ClicksMarkOutcomesAndTheSummaryAndEnabledStatesFollow) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.click_cell(1, 1);
    h.click_cell(2, 1);
    for (int e = 2; e <= 7; ++e) h.click_cell(7, e);
    EXPECT_TRUE(h.find<QWidget>("add_to_list_link")->isHidden());
    EXPECT_FALSE(action(h, "add_coupon")->isEnabled());
    h.click_cell(7, 8);
    EXPECT_EQ(label(h, "variants_summary"), "Всего вариантов по отмеченным исходам 2 (На сумму 6.2)");
    EXPECT_FALSE(h.find<QWidget>("add_to_list_link")->isHidden());
    EXPECT_TRUE(action(h, "add_coupon")->isEnabled());
    EXPECT_FALSE(action(h, "remove_variants")->isEnabled());
    // Unmarking the last mark of an event hides the link again; the header row is not selectable.
    h.click_cell(7, 8);
    h.click_cell(5, 0);
    EXPECT_TRUE(label(h, "variants_summary").isEmpty());
    EXPECT_TRUE(h.find<QWidget>("add_to_list_link")->isHidden());
    // A click on a name marks the whole event; a second one unmarks it.
    h.click_cell(0, 8);
    EXPECT_EQ(label(h, "variants_summary"), "Всего вариантов по отмеченным исходам 34 (На сумму 105.4)");
    h.click_cell(0, 8);
    EXPECT_TRUE(label(h, "variants_summary").isEmpty());
}

TEST(MainWindow, KeyHeldGivesYellowMarksDrawnInFullUnderTheSensationsMethod) {
    Harness h;
    auto* grid = h.grid();
    QTest::keyPress(grid, Qt::Key_Control);
    EXPECT_TRUE(h.window->key_held());
    h.click_cell(3, 2);
    QTest::keyRelease(grid, Qt::Key_Control);
    EXPECT_FALSE(h.window->key_held());
    EXPECT_EQ(h.window->session().events.cell(2, 3).yellow_mark, 1);
    h.click_cell(4, 2);
    EXPECT_EQ(h.window->session().events.cell(2, 4).yellow_mark, 0);

    auto inner_colour = [&](int column, int row) {
        const QImage image = grid->grab().toImage();
        const QRect r = grid->cell_rect(column, row);
        return QColor(image.pixel(r.left() + 5, r.top() + 5));
    };
    // Under another method the yellow mark is dimmed, still told apart from a plain one.
    EXPECT_EQ(inner_colour(3, 2), QColor(214, 255, 150));
    EXPECT_EQ(inner_colour(4, 2), QColor(0, 255, 0));
    h.find<QComboBox>("method")->setCurrentIndex(1);
    EXPECT_EQ(inner_colour(3, 2), QColor(255, 255, 0));
    EXPECT_EQ(inner_colour(4, 2), QColor(0, 255, 0));
    // The mark fills its cell to the lines, under its text; an unmarked cell is white, the header grey.
    const QImage image = grid->grab().toImage();
    const QRect r = grid->cell_rect(3, 2);
    EXPECT_EQ(QColor(image.pixel(r.left(), r.top())), QColor(255, 255, 0));
    const QRect unmarked = grid->cell_rect(6, 2);
    EXPECT_EQ(QColor(image.pixel(unmarked.left() + 1, unmarked.top() + 1)), QColor(Qt::white));
    const QRect header = grid->cell_rect(3, 0);
    EXPECT_EQ(QColor(image.pixel(header.left() + 1, header.top() + 1)), QColor(204, 204, 204));

    // Esc is a held key as well, until its release.
    QTest::keyPress(grid, Qt::Key_Escape);
    EXPECT_TRUE(h.window->key_held());
    QTest::keyRelease(grid, Qt::Key_Escape);
    EXPECT_FALSE(h.window->key_held());
}

TEST(MainWindow, ArrowKeysMoveTheCurrentCellAndSelectIt) {
    Harness h;
    h.click_cell(1, 1);
    auto* grid = h.grid();
    QTest::keyClick(grid, Qt::Key_Right);
    // The arrow key is held while the cell is selected: the outcome gets a yellow mark.
    EXPECT_EQ(h.window->session().events.cell(1, 2).mark, 1);
    EXPECT_EQ(h.window->session().events.cell(1, 2).yellow_mark, 1);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(h.window->session().events.cell(2, 2).mark, 1);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(h.window->session().events.cell(1, 2).yellow_mark, 0);
    EXPECT_EQ(h.grid()->current_row(), 1);
    // Tab walks to the next cell, past the row's end onto the next row.
    for (int c = 3; c <= 17; ++c) QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->current_column(), 17);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->current_column(), 0);
    EXPECT_EQ(grid->current_row(), 2);
}

TEST(MainWindow, ColumnsWidenToTheirTextAtTheCellFont) {
    Harness h;
    auto* grid = h.grid();
    EXPECT_EQ(grid->column_width(0), 156);
    EXPECT_EQ(grid->column_width(5), 40);
    QFont font = grid->font();
    font.setPointSize(11);
    const QString wide = QStringLiteral("100/100 wide");
    grid->set_cell(5, 3, wide);
    EXPECT_EQ(grid->column_width(5), QFontMetrics(font).horizontalAdvance(wide) + 4);
    // Narrow texts never shrink a column.
    grid->set_cell(5, 3, QStringLiteral("1/1"));
    EXPECT_EQ(grid->column_width(5), QFontMetrics(font).horizontalAdvance(wide) + 4);
}

TEST(MainWindow, StartWithCaptionFollowsTheLastMarkWhenTicked) {
    Harness h;
    h.click_cell(3, 1);
    h.click_cell(12, 1);
    QTest::mouseClick(h.find<QCheckBox>("start_with"), Qt::LeftButton);
    EXPECT_EQ(label(h, "start_with_caption"), "Начать с\n     0:2\n\n\n\n\n\n\n");
    QTest::mouseClick(h.find<QCheckBox>("start_with"), Qt::LeftButton);
    EXPECT_EQ(label(h, "start_with_caption"), "Начать с");
}

TEST(MainWindow, CouponSplitRepeatsAndVariantRemovalKeepMemoAndListInStep) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.click_cell(1, 1);
    h.click_cell(2, 1);
    h.click_cell(7, 2);
    h.click_cell(8, 2);
    for (int e = 3; e <= 8; ++e) h.click_cell(11, e);
    action(h, "add_coupon")->trigger();
    EXPECT_EQ(h.memo(), "12.4|1-(1:0,2:0);2-(0:0,1:1);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(label(h, "package_summary"), "Ставок  4 (На сумму 12.4)");
    EXPECT_FALSE(h.memo_edit()->isHidden());

    action(h, "split_into_singles")->trigger();
    const QStringList singles = h.memo().split('\n');
    ASSERT_EQ(singles.size(), 4);
    EXPECT_EQ(singles[0], "3.1|1-(1:0);2-(0:0);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(singles[3], "3.1|1-(2:0);2-(1:1);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(h.window->session().bets.size(), 4U);

    // Typing a repeat of the first line into the memo re-reads the list.
    QTextCursor end = h.memo_edit()->textCursor();
    end.movePosition(QTextCursor::End);
    h.memo_edit()->setTextCursor(end);
    QTest::keyClick(h.memo_edit(), Qt::Key_Return);
    QTest::keyClicks(h.memo_edit(), singles[0]);
    EXPECT_EQ(h.window->session().bets.size(), 5U);
    EXPECT_EQ(label(h, "package_summary"), "Ставок  5 (На сумму 15.5)");
    action(h, "remove_repeats")->trigger();
    EXPECT_EQ(h.window->session().bets.size(), 4U);
    EXPECT_EQ(h.memo().split('\n').size(), 4);

    // Unmark 2:0 in event 1: the marks now cover the two bets with 1:0, which are taken out.
    h.click_cell(2, 1);
    EXPECT_TRUE(action(h, "remove_variants")->isEnabled());
    action(h, "remove_variants")->trigger();
    EXPECT_EQ(h.memo(), "3.1|1-(2:0);2-(1:1);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#\n"
                        "3.1|1-(2:0);2-(0:0);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(label(h, "package_summary"), "Ставок  2 (На сумму 6.2)");
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(MainWindow, RefusedSplitIsAnErrorBoxAndTheListStays) {
    Harness h;
    for (int e = 1; e <= core::event_count; ++e) h.click_cell(0, e);
    action(h, "add_coupon")->trigger();
    const QString before = h.memo();
    action(h, "split_into_singles")->trigger();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_EQ(h.boxes.boxes[0].title, "Ошибка");
    EXPECT_EQ(h.memo(), before);
    EXPECT_EQ(h.window->session().bets.size(), 1U);
    EXPECT_EQ(label(h, "package_summary"), "Ставок  6975757441 (На сумму 21624848067.1)");
}

TEST(MainWindow, CopyForTransferPutsTheMemoTextOnTheClipboardAndRestoresTheLayout) {
    Harness h;
    h.memo_edit()->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
                                                 "3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"));
    EXPECT_TRUE(action(h, "copy_for_transfer")->isEnabled());
    action(h, "copy_for_transfer")->trigger();
    EXPECT_EQ(h.clipboard.content, "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n"
                                   "3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n");
    EXPECT_EQ(h.layouts.switches, 1);
    ASSERT_EQ(h.layouts.loaded.size(), 1U);
    EXPECT_EQ(h.layouts.loaded[0], "00000409");
    EXPECT_TRUE(h.memo_edit()->textCursor().hasSelection());

    // Without a Russian or Ukrainian layout the text is copied all the same after 20 switches.
    h.layouts.codes = {QStringLiteral("409"), QStringLiteral("407")};
    h.layouts.active = 0;
    h.layouts.switches = 0;
    h.clipboard.content.clear();
    action(h, "copy_for_transfer")->trigger();
    EXPECT_EQ(h.layouts.switches, 20);
    EXPECT_FALSE(h.clipboard.content.isEmpty());
}

TEST(MainWindow, ClearEmptiesMemoListAndSummaryAndHidesTheDistribution) {
    Harness h;
    h.memo_edit()->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"));
    EXPECT_EQ(label(h, "package_summary"), "Ставок  1 (На сумму 3.1)");
    h.find<QWidget>("distribution_window")->show();
    action(h, "clear_list")->trigger();
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_TRUE(h.window->session().bets.empty());
    EXPECT_EQ(label(h, "package_summary"), "Ставок  0 (На сумму 0)");
    EXPECT_TRUE(h.find<QWidget>("distribution_window")->isHidden());
    EXPECT_FALSE(action(h, "clear_list")->isEnabled());
}

TEST(MainWindow, MenuShortcutsWinOverTheMemosOwnKeys) {
    Harness h;
    h.window->show();
    h.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    h.memo_edit()->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"));
    h.memo_edit()->setFocus();
    QTest::keyClick(h.memo_edit(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(h.clipboard.content.startsWith("3.1|1-(1:0)"));
    QTest::keyClick(h.memo_edit(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_TRUE(h.window->session().bets.empty());
}

TEST(MainWindow, ProgramWritesWhileSuspendedAreNotReadBack) {
    Harness h;
    auto* memo = h.memo_edit();
    memo->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"));
    memo->suspend();
    memo->append_line("garbage the list does not hold");
    memo->resume();
    // The appended line follows the final break without an empty line between, and was not read back.
    EXPECT_EQ(h.memo().count('\n'), 1);
    EXPECT_EQ(h.window->session().bets.size(), 1U);
    memo->remove_line(1);
    EXPECT_EQ(h.memo(), "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
}

}  // namespace
}  // namespace morvalen::app::testing
