// The conditions window by clicks: a set built on the small grid, its costs, the switch, the filter
// with its undo step and autoformation inside the conditions.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/windows/conditions_window.h"
#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

// On its box: the rest of a check box's width, stretched by the layout, takes no click.
void tick(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

void type_into(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Three outcomes in every event, a home win, a draw and an away win: 6,561 variants.
void mark_three(Harness& h) {
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 7, 11});
}

// "At most two away wins, at least one draw", built as a new player would.
ConditionsWindow* build_set(Harness& h) {
    h.find<QAction>("show_conditions")->trigger();
    auto* window = h.find<ConditionsWindow>("conditions_window");
    EXPECT_TRUE(window->isVisible());
    auto* cells = find_in<GroupCellPicker>(*window, "group_cells");
    click(find_in<QPushButton>(*window, "add_condition"));
    type_into(find_in<QLineEdit>(*window, "range_high"), QStringLiteral("2"));
    // A click on the label "0:1" takes that outcome in every event.
    QTest::mouseClick(cells, Qt::LeftButton, {}, cells->cell_rect(11, 0).center());
    click(find_in<QPushButton>(*window, "add_condition"));
    type_into(find_in<QLineEdit>(*window, "range_low"), QStringLiteral("1"));
    type_into(find_in<QLineEdit>(*window, "range_high"), QStringLiteral("*"));
    QTest::mouseClick(cells, Qt::LeftButton, {}, cells->cell_rect(7, 0).center());
    return window;
}

TEST(ConditionsWindow, TheCostTableFollowsTheClicksAndTheSwitchActs) {
    Harness h;
    mark_three(h);
    ConditionsWindow* window = build_set(h);
    const auto& set = h.window->session().conditions;
    ASSERT_EQ(set.conditions.size(), 2u);
    EXPECT_EQ(set.conditions[0].group, core::CountGroup::cells);
    EXPECT_EQ(set.conditions[0].cells[4].bits(), core::column_bit(11));
    EXPECT_EQ(set.conditions[0].count_high, 2);
    EXPECT_EQ(set.conditions[1].count_low, 1);
    EXPECT_EQ(set.conditions[1].count_high, std::nullopt);

    auto* costs = find_in<QTableWidget>(*window, "cost_table");
    ASSERT_EQ(costs->rowCount(), 3);
    EXPECT_EQ(costs->item(0, 1)->text(), "3072");
    EXPECT_EQ(costs->item(1, 1)->text(), "6305");
    EXPECT_EQ(costs->item(2, 1)->text(), "3035");
    EXPECT_EQ(costs->item(0, 0)->text(), "count 0 2 *-(0:1)");

    // Nothing acts until the switch is on.
    EXPECT_EQ(h.find<QLabel>("variants_summary")->text(), "Всего вариантов по отмеченным исходам 6561 (На сумму 20339.1)");
    EXPECT_FALSE(h.find<QAction>("filter_by_conditions")->isEnabled());
    tick(find_in<QCheckBox>(*window, "conditions_enabled"));
    EXPECT_TRUE(h.find<QAction>("conditions_enabled")->isChecked());
    EXPECT_EQ(h.find<QLabel>("variants_summary")->text(),
              "Всего вариантов по отмеченным исходам 6561 (На сумму 20339.1) (по условиям 3035)");

    // One error allowed: the set keeps what fails at most one rule.
    auto* errors = find_in<QSpinBox>(*window, "allowed_errors");
    errors->setFocus();
    QTest::keyClick(errors, Qt::Key_Up);
    EXPECT_EQ(costs->item(2, 1)->text(), "6342");
    QTest::keyClick(errors, Qt::Key_Down);

    // A rule switched off stays in the table but leaves the set.
    auto* list = find_in<QTableWidget>(*window, "condition_list");
    list->item(1, 0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(costs->item(2, 1)->text(), "3072");
    list->item(1, 0)->setCheckState(Qt::Checked);
}

TEST(ConditionsWindow, TheFilterIsOneUndoStepAndAutoformationStaysInside) {
    Harness h;
    mark_three(h);
    ConditionsWindow* window = build_set(h);
    tick(find_in<QCheckBox>(*window, "conditions_enabled"));
    window->hide();

    h.find<QAction>("add_coupon")->trigger();
    h.find<QAction>("filter_by_conditions")->trigger();
    EXPECT_EQ(h.window->session().bets.size(), 3035u);
    EXPECT_EQ(h.find<QLabel>("package_summary")->text(), "Ставок  3035 (На сумму 9408.5)");
    h.find<QAction>("undo")->trigger();
    EXPECT_EQ(h.window->session().bets.size(), 1u);
    h.find<QAction>("clear_list")->trigger();

    h.find<QComboBox>("method")->setCurrentIndex(3);
    h.find<QSpinBox>("repeat_count")->setValue(100000);
    h.add_to_list();
    EXPECT_EQ(h.find<QLabel>("coverage_summary")->text(), "Покрыто ставками 3035 вариантов (100%) с гарантией 7 событий");
    const core::ConditionCheck check(h.window->session().conditions, h.window->session().events);
    for (const core::BetEntry& bet : h.window->session().bets) {
        core::VariantColumns columns{};
        for (int e = 1; e <= 8; ++e) columns[static_cast<std::size_t>(e - 1)] = bet.set(e).first_column();
        EXPECT_TRUE(check.passes(columns));
    }
    // Switched off from the menu, the statistics are today's again.
    h.find<QAction>("conditions_enabled")->trigger();
    EXPECT_EQ(h.find<QLabel>("variants_summary")->text(), "Всего вариантов по отмеченным исходам 6561 (На сумму 20339.1)");
    EXPECT_FALSE(find_in<QCheckBox>(*window, "conditions_enabled")->isChecked());
}

// The costs follow the marks through the model: at once while the window is open, and on its next
// showing after a change made while it was hidden (here an undo of a click).
TEST(ConditionsWindow, TheCostsFollowTheMarksShownOrHidden) {
    Harness h;
    mark_three(h);
    ConditionsWindow* window = build_set(h);
    auto* note = find_in<QLabel>(*window, "cost_note");
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("Точный расчёт по 6561 вариантам"))) << note->text().toStdString();

    // A fourth outcome in event 1: 4 × 3^7 variants.
    h.click_cell(2, 1);
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("Точный расчёт по 8748 вариантам"))) << note->text().toStdString();
    // At most two away wins: 384 variants without one, 1472 with one, 2464 with two.
    EXPECT_EQ(find_in<QTableWidget>(*window, "cost_table")->item(0, 1)->text(), "4320");

    window->hide();
    h.find<QAction>("undo")->trigger();
    EXPECT_EQ(core::marked_count(h.window->session().events, 1), 3);
    h.find<QAction>("show_conditions")->trigger();
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("Точный расчёт по 6561 вариантам"))) << note->text().toStdString();
    EXPECT_EQ(find_in<QTableWidget>(*window, "cost_table")->item(0, 1)->text(), "3072");
}

}  // namespace
}  // namespace morvalen::app::testing
