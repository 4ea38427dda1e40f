// The rules of the pool in the window: the dialog, the expected return under the package line, and
// the sixth method through the link.
#include <gtest/gtest.h>

#include <QPushButton>

#include "app/pool_rules_dialog.h"
#include "window_harness.h"

namespace morvalen::app::testing {
namespace {

void type_into(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClicks(field, QString::fromUtf8(text));
}

void click(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); }

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

}  // namespace
}  // namespace morvalen::app::testing
