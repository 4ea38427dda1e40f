// The main window driven by object name along the player's road: line, marks, package, list commands, copy.
#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>

#include "window_harness.h"

namespace morvalen::app::testing {
namespace {

QString label(const Harness& h, const char* name) { return h.find<QLabel>(name)->text(); }
QAction* action(const Harness& h, const char* name) { return h.find<QAction>(name); }

TEST(MainWindow, OpensWithTheStartCaptionEmptySummaryAndListCommandsDisabled) {
    Harness h;
    EXPECT_EQ(h.window->objectName(), "Form7");
    EXPECT_EQ(h.window->windowTitle(), "Тотализатор \"Тарвил\"");
    EXPECT_EQ(label(h, "Label1"), "Ставок  0 (На сумму 0)");
    EXPECT_TRUE(label(h, "Label2").isEmpty());
    EXPECT_TRUE(label(h, "Label3").isEmpty());
    EXPECT_TRUE(h.find<QWidget>("Label5")->isHidden());
    for (const char* name : {"N2", "mmy", "mmo", "Nmw", "mmx", "mmc", "mmt", "ExcellCtrlE1", "ExcellCtrlS1"})
        EXPECT_FALSE(action(h, name)->isEnabled()) << name;
    for (const char* name : {"mmk", "mml", "N4", "mm3"}) EXPECT_TRUE(action(h, name)->isEnabled()) << name;
    EXPECT_EQ(action(h, "mmc")->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(action(h, "mmx")->text(), "Очистить список ставок ");
    EXPECT_EQ(h.window->StringGrid1->cell(0, 0), "События");
    EXPECT_EQ(h.window->StringGrid1->cell(17, 0), "ЛД");
    // The brief-system panel: guarantee 7 and the start-with controls, nothing of the other methods.
    EXPECT_FALSE(h.find<QWidget>("RxSpinEdit3")->isHidden());
    EXPECT_FALSE(h.find<QWidget>("CheckBox1")->isHidden());
    EXPECT_TRUE(h.find<QWidget>("RxSpinEdit4")->isHidden());
    EXPECT_TRUE(h.find<QWidget>("Label11")->isHidden());
    EXPECT_EQ(h.find<QSpinBox>("RxSpinEdit3")->value(), 7);
    EXPECT_EQ(h.find<QLineEdit>("CurrencyEdit1")->text(), "3.10");
    const std::pair<const char*, const char*> windows[] = {
        {"Form1", "Редактирование вероятностей исходов (мышкой)"},
        {"Form2", "Ближайшие бриф-системы"},
        {"Form3", "Распределение ставок пакета по исходам"}};
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
    QSignalSpy read(h.window.get(), &Form7::page_read);
    h.fetcher->answer(demo_line_page());
    EXPECT_EQ(read.count(), 1);
    EXPECT_EQ(h.window->StringGrid1->cell(0, 1), "Команда 1 - Соперник 1");
    EXPECT_EQ(h.window->StringGrid1->cell(0, 8), "Команда 8 - Соперник 8");
    EXPECT_EQ(h.window->StringGrid1->cell(1, 1), "12/14");
    EXPECT_TRUE(h.window->windowTitle().startsWith("Анализ вариантов (по состоянию на "));
    EXPECT_TRUE(h.window->windowTitle().endsWith("). Прием до 09.12 18:00/19:00"));
    EXPECT_EQ(h.find<QLineEdit>("CurrencyEdit1")->text(), "3.10");
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
    EXPECT_EQ(h.window->StringGrid1->cell(0, 1), "Команда 1 - Соперник 1");
    EXPECT_EQ(h.window->windowTitle(), "Тотализатор \"Тарвил\"");
}

TEST(MainWindow, FailedRequestIsReadAsThePageItGave) {
    Harness h;
    h.fetcher->answer("", "");
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_TRUE(h.window->windowTitle().startsWith("Анализ вариантов"));
    EXPECT_TRUE(h.window->StringGrid1->cell(0, 1).isEmpty());
}

TEST(MainWindow, ClicksMarkOutcomesAndTheSummaryAndEnabledStatesFollow) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.click_cell(1, 1);
    h.click_cell(2, 1);
    for (int e = 2; e <= 7; ++e) h.click_cell(7, e);
    EXPECT_TRUE(h.find<QWidget>("Label5")->isHidden());
    EXPECT_FALSE(action(h, "N2")->isEnabled());
    h.click_cell(7, 8);
    EXPECT_EQ(label(h, "Label2"), "Всего вариантов по отмеченным исходам 2 (На сумму 6.2)");
    EXPECT_FALSE(h.find<QWidget>("Label5")->isHidden());
    EXPECT_TRUE(action(h, "N2")->isEnabled());
    EXPECT_FALSE(action(h, "mmy")->isEnabled());
    // Unmarking the last mark of an event hides the link again; the header row is not selectable.
    h.click_cell(7, 8);
    h.click_cell(5, 0);
    EXPECT_TRUE(label(h, "Label2").isEmpty());
    EXPECT_TRUE(h.find<QWidget>("Label5")->isHidden());
    // A click on a name marks the whole event; a second one unmarks it.
    h.click_cell(0, 8);
    EXPECT_EQ(label(h, "Label2"), "Всего вариантов по отмеченным исходам 34 (На сумму 105.4)");
    h.click_cell(0, 8);
    EXPECT_TRUE(label(h, "Label2").isEmpty());
}

TEST(MainWindow, KeyHeldGivesYellowMarksDrawnOnlyUnderTheSensationsMethod) {
    Harness h;
    auto* grid = h.window->StringGrid1;
    QTest::keyPress(grid, Qt::Key_Control);
    EXPECT_TRUE(h.window->session().keys.key_held);
    h.click_cell(3, 2);
    QTest::keyRelease(grid, Qt::Key_Control);
    EXPECT_FALSE(h.window->session().keys.key_held);
    EXPECT_EQ(h.window->session().events.cell(2, 3).yellow_mark, 1);
    h.click_cell(4, 2);
    EXPECT_EQ(h.window->session().events.cell(2, 4).yellow_mark, 0);

    auto inner_colour = [&](int column, int row) {
        const QImage image = grid->grab().toImage();
        const QRect r = grid->cell_rect(column, row);
        return QColor(image.pixel(r.left() + 5, r.top() + 5));
    };
    EXPECT_EQ(inner_colour(3, 2), QColor(0, 255, 0));
    h.find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    EXPECT_EQ(inner_colour(3, 2), QColor(255, 255, 0));
    EXPECT_EQ(inner_colour(4, 2), QColor(0, 255, 0));
    // The box is set 3 pixels in: the cell's corner stays white, the header is light grey.
    const QImage image = grid->grab().toImage();
    const QRect r = grid->cell_rect(3, 2);
    EXPECT_EQ(QColor(image.pixel(r.left() + 1, r.top() + 1)), QColor(Qt::white));
    const QRect header = grid->cell_rect(3, 0);
    EXPECT_EQ(QColor(image.pixel(header.left() + 1, header.top() + 1)), QColor(204, 204, 204));

    // Esc sets both flags; its release clears only the held key.
    QTest::keyPress(grid, Qt::Key_Escape);
    EXPECT_TRUE(h.window->session().keys.stop_requested);
    QTest::keyRelease(grid, Qt::Key_Escape);
    EXPECT_TRUE(h.window->session().keys.stop_requested);
    EXPECT_FALSE(h.window->session().keys.key_held);
}

TEST(MainWindow, ArrowKeysMoveTheCurrentCellAndSelectIt) {
    Harness h;
    h.click_cell(1, 1);
    auto* grid = h.window->StringGrid1;
    QTest::keyClick(grid, Qt::Key_Right);
    // The arrow key is held while the cell is selected: the outcome gets a yellow mark.
    EXPECT_EQ(h.window->session().events.cell(1, 2).mark, 1);
    EXPECT_EQ(h.window->session().events.cell(1, 2).yellow_mark, 1);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(h.window->session().events.cell(2, 2).mark, 1);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(h.window->session().events.cell(1, 2).yellow_mark, 0);
    EXPECT_EQ(h.window->StringGrid1->current_row(), 1);
    // Tab walks to the next cell, past the row's end onto the next row.
    for (int c = 3; c <= 17; ++c) QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->current_column(), 17);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->current_column(), 0);
    EXPECT_EQ(grid->current_row(), 2);
}

TEST(MainWindow, ColumnsWidenToTheirTextAtTheCellFont) {
    Harness h;
    auto* grid = h.window->StringGrid1;
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
    h.find<QCheckBox>("CheckBox1")->click();
    EXPECT_EQ(label(h, "Label6"), "Начать с\n     0:2\n\n\n\n\n\n\n");
    h.find<QCheckBox>("CheckBox1")->click();
    EXPECT_EQ(label(h, "Label6"), "Начать с");
}

TEST(MainWindow, CouponSplitRepeatsAndVariantRemovalKeepMemoAndListInStep) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.click_cell(1, 1);
    h.click_cell(2, 1);
    h.click_cell(7, 2);
    h.click_cell(8, 2);
    for (int e = 3; e <= 8; ++e) h.click_cell(11, e);
    action(h, "N2")->trigger();
    EXPECT_EQ(h.memo(), "12.4|1-(1:0,2:0);2-(0:0,1:1);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(label(h, "Label1"), "Ставок  4 (На сумму 12.4)");
    EXPECT_FALSE(h.window->Memo1->isHidden());

    action(h, "mmo")->trigger();
    const QStringList singles = h.memo().split('\n');
    ASSERT_EQ(singles.size(), 4);
    EXPECT_EQ(singles[0], "3.1|1-(1:0);2-(0:0);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(singles[3], "3.1|1-(2:0);2-(1:1);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(h.window->session().bets.size(), 4U);

    // Typing a repeat of the first line into the memo re-reads the list.
    QTextCursor end = h.window->Memo1->textCursor();
    end.movePosition(QTextCursor::End);
    h.window->Memo1->setTextCursor(end);
    QTest::keyClick(h.window->Memo1, Qt::Key_Return);
    QTest::keyClicks(h.window->Memo1, singles[0]);
    EXPECT_EQ(h.window->session().bets.size(), 5U);
    EXPECT_EQ(label(h, "Label1"), "Ставок  5 (На сумму 15.5)");
    action(h, "Nmw")->trigger();
    EXPECT_EQ(h.window->session().bets.size(), 4U);
    EXPECT_EQ(h.memo().split('\n').size(), 4);

    // Unmark 2:0 in event 1: the marks now cover the two bets with 1:0, which are taken out.
    h.click_cell(2, 1);
    EXPECT_TRUE(action(h, "mmy")->isEnabled());
    action(h, "mmy")->trigger();
    EXPECT_EQ(h.memo(), "3.1|1-(2:0);2-(1:1);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#\n"
                        "3.1|1-(2:0);2-(0:0);3-(0:1);4-(0:1);5-(0:1);6-(0:1);7-(0:1);8-(0:1)#");
    EXPECT_EQ(label(h, "Label1"), "Ставок  2 (На сумму 6.2)");
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(MainWindow, RefusedSplitIsAnErrorBoxAndTheListStays) {
    Harness h;
    for (int e = 1; e <= core::event_count; ++e) h.click_cell(0, e);
    action(h, "N2")->trigger();
    const QString before = h.memo();
    action(h, "mmo")->trigger();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_EQ(h.boxes.boxes[0].title, "Ошибка");
    EXPECT_EQ(h.memo(), before);
    EXPECT_EQ(h.window->session().bets.size(), 1U);
    EXPECT_EQ(label(h, "Label1"), "Ставок  6975757441 (На сумму 21624848067.1)");
}

TEST(MainWindow, CopyForTransferPutsTheMemoTextOnTheClipboardAndRestoresTheLayout) {
    Harness h;
    h.window->Memo1->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
                                                 "3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"));
    EXPECT_TRUE(action(h, "mmc")->isEnabled());
    action(h, "mmc")->trigger();
    EXPECT_EQ(h.clipboard.content, "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n"
                                   "3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n");
    EXPECT_EQ(h.layouts.switches, 1);
    ASSERT_EQ(h.layouts.loaded.size(), 1U);
    EXPECT_EQ(h.layouts.loaded[0], "00000409");
    EXPECT_TRUE(h.window->Memo1->textCursor().hasSelection());

    // Without a Russian or Ukrainian layout the text is copied all the same after 20 switches.
    h.layouts.codes = {QStringLiteral("409"), QStringLiteral("407")};
    h.layouts.active = 0;
    h.layouts.switches = 0;
    h.clipboard.content.clear();
    action(h, "mmc")->trigger();
    EXPECT_EQ(h.layouts.switches, 20);
    EXPECT_FALSE(h.clipboard.content.isEmpty());
}

TEST(MainWindow, ClearEmptiesMemoListAndSummaryAndHidesTheDistribution) {
    Harness h;
    h.window->Memo1->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"));
    EXPECT_EQ(label(h, "Label1"), "Ставок  1 (На сумму 3.1)");
    h.find<QWidget>("Form3")->show();
    action(h, "mmx")->trigger();
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_TRUE(h.window->session().bets.empty());
    EXPECT_EQ(label(h, "Label1"), "Ставок  0 (На сумму 0)");
    EXPECT_TRUE(h.find<QWidget>("Form3")->isHidden());
    EXPECT_FALSE(action(h, "mmx")->isEnabled());
}

TEST(MainWindow, MenuShortcutsWinOverTheMemosOwnKeys) {
    Harness h;
    h.window->show();
    h.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    h.window->Memo1->setPlainText(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"));
    h.window->Memo1->setFocus();
    QTest::keyClick(h.window->Memo1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(h.clipboard.content.startsWith("3.1|1-(1:0)"));
    QTest::keyClick(h.window->Memo1, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_TRUE(h.window->session().bets.empty());
}

TEST(MainWindow, ProgramWritesWhileSuspendedAreNotReadBack) {
    Harness h;
    auto* memo = h.window->Memo1;
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
