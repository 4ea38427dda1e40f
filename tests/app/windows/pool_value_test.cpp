// The rules of the pool in the window: the dialog, the expected return under the package line, the
// sixth method through the link, the tiers and values in the results window, the grid's value tint
// and the rules kept with the working state.
#include <gtest/gtest.h>

#include <cmath>

#include <QPushButton>
#include <QTemporaryDir>

#include "app/windows/pool_rules_dialog.h"
#include "app/windows/probability_editor_window.h"
#include "app/windows/results_window.h"
#include "app/session/working_state_keeper.h"
#include "app/platform/working_state_store.h"
#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

void type_into(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClicks(field, QString::fromUtf8(text));
}

void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); }

// In every event the crowd plays "1:0" at a third of its chance and "2:0" at four times its chance;
// the other 15 outcomes as often as they come.
constexpr double quote_1 = 30, pool_1 = 10, quote_2 = 5, pool_2 = 20, even = 4.5;
std::string skewed_line_page() {
    core::EventTable table;
    for (int e = 1; e <= core::event_count; ++e) {
        table.event(e).name = "Команда " + std::to_string(e) + " - Соперник " + std::to_string(e);
        for (int o = 1; o <= core::outcome_count; ++o) {
            const double quote = o == 1 ? quote_1 : o == 2 ? quote_2 : even;
            const double pool = o == 1 ? pool_1 : o == 2 ? pool_2 : even;
            table.cell(e, o).quote_probability = core::Currency::from_floating(quote);
            table.cell(e, o).pool_probability = core::Currency::from_floating(pool);
        }
    }
    return core::write_line_page(table, {"dl:09.12 18:00/19:00", "st:3,10"});
}
// The value of "1:0" and of "2:0": each figure over its event's sum, the one over the other.
const double quote_sum = quote_1 + quote_2 + 15 * even, pool_sum = pool_1 + pool_2 + 15 * even;
const double value_1 = (quote_1 / quote_sum) / (pool_1 / pool_sum);
const double value_2 = (quote_2 / quote_sum) / (pool_2 / pool_sum);

// The player sets the rules through the dialog of the menu "Пакет".
void set_rules(Harness& h, const char* tickets, const char* tiers) {
    h.window->findChild<QAction*>(QStringLiteral("pool_rules"))->trigger();
    type_into(h.find<QLineEdit>("pool_tickets"), tickets);
    type_into(h.find<QLineEdit>("pool_tiers"), tiers);
    click(h.find<QPushButton>("pool_rules_ok"));
}

QColor pixel(QWidget* widget, QPoint at) { return widget->grab().toImage().pixelColor(at); }

TEST(PoolValue, TheRulesDialogSetsTheExpectedReturnUnderThePackageLine) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 7});
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    EXPECT_EQ(h.find<QLabel>("return_summary")->text(), "");

    h.window->findChild<QAction*>(QStringLiteral("pool_rules"))->trigger();
    auto* dialog = h.find<PoolRulesDialog>("pool_rules_dialog");
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Правила тотализатора");
    EXPECT_EQ(h.find<QLineEdit>("pool_tiers")->text(), "8:0.5,7:0.3,6:0.2");
    type_into(h.find<QLineEdit>("pool_tickets"), "many");
    click(h.find<QPushButton>("pool_rules_ok"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(h.find<QLabel>("pool_rules_error")->text().startsWith("Правила тотализатора: tickets"));
    EXPECT_FALSE(h.window->session().pool_rules);

    type_into(h.find<QLineEdit>("pool_tickets"), "250000");
    type_into(h.find<QLineEdit>("pool_tiers"), "8:0.6,7:0.4");
    click(h.find<QPushButton>("pool_rules_ok"));
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_TRUE(h.window->session().pool_rules);
    EXPECT_EQ(h.window->session().pool_rules->tickets, 250000);
    EXPECT_EQ(h.find<QLabel>("return_summary")->text(), "Ожидаемый возврат: 0 (0 % стоимости)");

    h.memo_edit()->setPlainText(QStringLiteral("3.1|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#"));
    const QString line = h.find<QLabel>("return_summary")->text();
    EXPECT_TRUE(line.startsWith("Ожидаемый возврат: ") && line.endsWith(" % стоимости)")) << line.toStdString();
    EXPECT_NE(line, "Ожидаемый возврат: 0 (0 % стоимости)");

    // "Не учитывать" takes the rules away and the line with them.
    h.window->findChild<QAction*>(QStringLiteral("pool_rules"))->trigger();
    EXPECT_EQ(h.find<QLineEdit>("pool_tickets")->text(), "250000");
    click(h.find<QPushButton>("pool_rules_clear"));
    EXPECT_FALSE(h.window->session().pool_rules);
    EXPECT_EQ(h.find<QLabel>("return_summary")->text(), "");
}

TEST(PoolValue, TheSixthMethodFormsTheReturnMaximisingPackage) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 7});
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    auto* methods = h.find<QComboBox>("method");
    QTest::keyClick(methods, Qt::Key_End);
    ASSERT_EQ(methods->currentIndex(), 5);
    EXPECT_EQ(methods->currentText(), "Максимум выигрыша");
    EXPECT_FALSE(h.find<QWidget>("repeat_count")->isHidden());
    EXPECT_TRUE(h.find<QWidget>("guarantee")->isHidden());
    auto* repeat = h.find<QSpinBox>("repeat_count");
    repeat->selectAll();
    QTest::keyClicks(repeat, "9");

    // Without rules there is nothing to maximise: the player is told where to set them.
    h.add_to_list();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_TRUE(h.boxes.boxes[0].text.contains("Правила тотализатора"));
    EXPECT_TRUE(h.window->session().bets.empty());

    h.window->findChild<QAction*>(QStringLiteral("pool_rules"))->trigger();
    click(h.find<QPushButton>("pool_rules_ok"));
    const QString caption = h.window->windowTitle();
    h.add_to_list();
    const core::Session& session = h.window->session();
    ASSERT_EQ(session.bets.size(), 9U);
    EXPECT_EQ(h.memo().split('\n').size(), 9);
    EXPECT_EQ(h.window->windowTitle(), caption);
    EXPECT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_TRUE(h.find<QLabel>("return_summary")->text().startsWith("Ожидаемый возврат: "));
}

TEST(PoolValue, TheResultsWindowShowsEachPayingTierAndTheValueOfEachLine) {
    Harness h;
    h.fetcher->answer(skewed_line_page());
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    h.memo_edit()->setPlainText(QStringLiteral(
        "3|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n"
        "6|1-(1:0,2:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#\n"
        "3|1-(2:0);2-(2:0);3-(2:0);4-(2:0);5-(2:0);6-(2:0);7-(2:0);8-(2:0)#"));

    // Without rules the window says where to set them and shows no tiers.
    h.window->findChild<QAction*>(QStringLiteral("check_results"))->trigger();
    auto* results = h.window->findChild<ResultsWindow*>(QStringLiteral("results_window"));
    ASSERT_NE(results, nullptr);
    EXPECT_TRUE(find_in<QLabel>(*results, "return_note")->text().contains("Правила тотализатора"));
    EXPECT_TRUE(find_in<StringGrid>(*results, "tier_returns")->isHidden());

    // Every line's value whatever the rules: the single bet's own, a coupon's from its lowest to highest.
    const StringGrid& lines = *find_in<StringGrid>(*results, "line_hits");
    EXPECT_EQ(lines.cell(10, 0), "Ценность");
    EXPECT_EQ(lines.cell(10, 1), value_text({std::pow(value_1, 8), std::pow(value_1, 8)}));
    EXPECT_EQ(lines.cell(10, 2), value_text({value_2 * std::pow(value_1, 7), std::pow(value_1, 8)}));
    EXPECT_EQ(lines.cell(10, 3), value_text({std::pow(value_2, 8), std::pow(value_2, 8)}));
    EXPECT_TRUE(lines.cell(10, 2).contains(QStringLiteral(" – ")));
    EXPECT_TRUE(lines.cell(11, 2).startsWith(QStringLiteral("6|1-(1:0,2:0)")));

    set_rules(h, "100000", "8:0.5,6:0.2,7:0.3");
    const QString summary = h.find<QLabel>("return_summary")->text();
    ASSERT_TRUE(summary.startsWith("Ожидаемый возврат: ")) << summary.toStdString();
    // Opening the window again shows the rules set meanwhile.
    h.window->findChild<QAction*>(QStringLiteral("check_results"))->trigger();
    const StringGrid& tiers = *find_in<StringGrid>(*results, "tier_returns");
    EXPECT_FALSE(tiers.isHidden());
    ASSERT_EQ(tiers.column_count(), 4);
    EXPECT_EQ(tiers.cell(1, 0), "8");
    EXPECT_EQ(tiers.cell(2, 0), "7");
    EXPECT_EQ(tiers.cell(3, 0), "6");
    EXPECT_EQ(tiers.cell(0, 1), "Вероятность выигрыша, %");
    EXPECT_EQ(tiers.cell(0, 2), "Ожидаемая сумма");
    // The same figures as the main window's line: the tiers' amounts add up to its return.
    const QString note = find_in<QLabel>(*results, "return_note")->text();
    EXPECT_TRUE(note.startsWith(summary + QStringLiteral("; вероятность хоть какого-то выигрыша "))) << note.toStdString();
    EXPECT_TRUE(note.endsWith(QStringLiteral("(точный расчёт)")));
    const double expected_return = summary.section(QLatin1Char(' '), 2, 2).toDouble();
    double sum = 0;
    for (int c = 1; c <= 3; ++c) {
        EXPECT_GT(tiers.cell(c, 1).toDouble(), 0.0) << c;
        EXPECT_LT(tiers.cell(c, 1).toDouble(), 100.0) << c;
        sum += tiers.cell(c, 2).toDouble();
    }
    EXPECT_NEAR(sum, expected_return, 0.001);
    // A lower tier is hit more often.
    EXPECT_LT(tiers.cell(1, 1).toDouble(), tiers.cell(2, 1).toDouble());
    EXPECT_LT(tiers.cell(2, 1).toDouble(), tiers.cell(3, 1).toDouble());

    // Fewer paying tiers, fewer columns.
    set_rules(h, "100000", "8:1");
    h.window->findChild<QAction*>(QStringLiteral("check_results"))->trigger();
    ASSERT_EQ(tiers.column_count(), 2);
    EXPECT_EQ(tiers.cell(1, 0), "8");
    // The window read the package and changed nothing.
    EXPECT_EQ(h.window->session().bets.size(), 3U);
}

TEST(PoolValue, OnRequestTheGridTintsWhatTheCrowdUnderratesAndOverrates) {
    Harness h;
    h.fetcher->answer(skewed_line_page());
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    OutcomeGrid* grid = h.grid();
    auto* tint = h.window->findChild<QAction*>(QStringLiteral("value_tint"));
    ASSERT_NE(tint, nullptr);
    EXPECT_EQ(tint->text(), "Подсветить ценность исходов");
    ASSERT_TRUE(tint->isCheckable());
    auto* legend = h.find<QLabel>("value_legend");
    const QPoint corner(1, 1);
    const auto corner_of = [&](int column, int row) { return grid->cell_rect(column, row).topLeft() + corner; };
    EXPECT_TRUE(legend->isHidden());
    EXPECT_EQ(grid->cell_rating(1, 1), core::CrowdRating::fair);
    EXPECT_EQ(pixel(grid, corner_of(1, 1)), QColor(Qt::white));
    const int plain_height = grid->height();

    tint->trigger();
    EXPECT_TRUE(grid->value_tint());
    EXPECT_FALSE(legend->isHidden());
    // The legend stands under the rows, inside the grid's area.
    EXPECT_GE(legend->y(), grid->cell_rect(0, 8).bottom());
    EXPECT_GT(grid->height(), plain_height);
    EXPECT_LE(grid->height(), 253);
    EXPECT_TRUE(legend->text().contains(QStringLiteral("недооценивает")));
    EXPECT_TRUE(legend->text().contains(QStringLiteral("переоценивает")));
    for (int e = 1; e <= core::event_count; ++e) {
        EXPECT_EQ(grid->cell_rating(1, e), core::CrowdRating::underrated) << e;
        EXPECT_EQ(grid->cell_rating(2, e), core::CrowdRating::overrated) << e;
        EXPECT_EQ(grid->cell_rating(3, e), core::CrowdRating::fair) << e;
    }
    const QColor underrated_fill = pixel(grid, corner_of(1, 1));
    const QColor overrated_fill = pixel(grid, corner_of(2, 1));
    EXPECT_NE(underrated_fill, QColor(Qt::white));
    EXPECT_NE(overrated_fill, QColor(Qt::white));
    EXPECT_NE(underrated_fill, overrated_fill);
    EXPECT_EQ(pixel(grid, corner_of(3, 1)), QColor(Qt::white));
    EXPECT_TRUE(grid->cell_hint(1, 1).contains(QStringLiteral("толпа недооценивает исход")));

    // Marking still works; a marked outcome keeps its green inside a frame of the tint.
    h.click_cell(1, 1);
    EXPECT_EQ(h.window->session().events.cell(1, 1).mark, 1);
    const QRect marked = grid->cell_rect(1, 1);
    const QColor frame = pixel(grid, marked.topLeft() + corner);
    EXPECT_NE(frame, underrated_fill);
    EXPECT_EQ(pixel(grid, marked.topLeft() + QPoint(4, marked.height() - 4)), QColor(0, 255, 0));
    EXPECT_EQ(pixel(grid, corner_of(3, 1)), QColor(Qt::white));

    // The set probabilities decide: "По пулу" in the editor makes event 1 fair at once, and the
    // expected return follows the editor as well.
    h.memo_edit()->setPlainText(QStringLiteral("3|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#"));
    set_rules(h, "100000", "8:0.5,7:0.3,6:0.2");
    const QString before = h.find<QLabel>("return_summary")->text();
    ASSERT_NE(before, "Ожидаемый возврат: 0 (0 % стоимости)");
    auto* editor = h.window->findChild<ProbabilityEditorWindow*>();
    ASSERT_NE(editor, nullptr);
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    editor->select_event(0);
    QTest::mouseClick(editor->findChild<LinkLabel*>(QStringLiteral("pool_preset")), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.find<QLabel>("return_summary")->text() != before; }, 3000));
    EXPECT_EQ(grid->cell_rating(1, 1), core::CrowdRating::fair);
    EXPECT_EQ(grid->cell_rating(2, 1), core::CrowdRating::fair);
    EXPECT_EQ(grid->cell_rating(1, 2), core::CrowdRating::underrated);
    editor->hide();

    tint->trigger();
    EXPECT_TRUE(legend->isHidden());
    EXPECT_EQ(grid->height(), plain_height);
    EXPECT_EQ(pixel(grid, corner_of(2, 2)), QColor(Qt::white));
    EXPECT_EQ(grid->cell_rating(1, 2), core::CrowdRating::fair);
}

TEST(PoolValue, TheRulesComeBackWithTheWorkingStateAndStateWithoutThemStillLoads) {
    QTemporaryDir folder;
    const QString bet = QStringLiteral("3|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#");
    {
        // The state of a start before the rules: none come back.
        Harness first(QStringLiteral("http://127.0.0.1:1"), {}, folder.path());
        first.fetcher->answer(skewed_line_page());
        first.memo_edit()->setPlainText(bet);
        first.window->close();
    }
    QString summary;
    {
        Harness second(QStringLiteral("http://127.0.0.1:1"), {}, folder.path());
        second.fetcher->answer(skewed_line_page());
        EXPECT_EQ(second.memo(), bet);
        EXPECT_FALSE(second.window->session().pool_rules);
        EXPECT_EQ(second.find<QLabel>("return_summary")->text(), "");
        set_rules(second, "777000", "8:0.6,7:0.4");
        summary = second.find<QLabel>("return_summary")->text();
        ASSERT_TRUE(summary.startsWith("Ожидаемый возврат: "));
        second.window->close();
    }
    {
        Harness third(QStringLiteral("http://127.0.0.1:1"), {}, folder.path());
        third.fetcher->answer(skewed_line_page());
        ASSERT_TRUE(third.window->session().pool_rules);
        EXPECT_EQ(third.window->session().pool_rules->tickets, 777000);
        EXPECT_EQ(third.find<QLabel>("return_summary")->text(), summary);
        third.window->findChild<QAction*>(QStringLiteral("pool_rules"))->trigger();
        EXPECT_EQ(third.find<QLineEdit>("pool_tickets")->text(), "777000");
        EXPECT_EQ(third.find<QLineEdit>("pool_tiers")->text(), "8:0.6,7:0.4");
        // "Не учитывать" is kept too.
        click(third.find<QPushButton>("pool_rules_clear"));
        auto* keeper = third.find<WorkingStateKeeper>("working_state_keeper");
        keeper->save_now();
        keeper->wait_until_written();
        WorkingStateStore reader(folder.path());
        const auto loaded = reader.load();
        ASSERT_TRUE(loaded.state);
        EXPECT_FALSE(loaded.state->pool_rules);
        EXPECT_EQ(QString::fromStdString(loaded.state->memo_text), bet);
    }
}

}  // namespace
}  // namespace morvalen::app::testing
