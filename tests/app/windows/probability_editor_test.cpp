// The probability editor: the curves of the chosen event, the presets and dragging a point of the set curve.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGraphicsView>
#include <QGroupBox>
#include <QMouseEvent>
#include <QTest>

#include "app/windows/probability_editor_window.h"
#include "../aux_test_support.h"

namespace morvalen::app {
namespace {

using test::raw;

class ProbabilityEditorTest : public test::QtTest {
protected:
    void SetUp() override {
        model.change(SessionModel::line)->events = test::sample_line();
        window = std::make_unique<ProbabilityEditorWindow>(model, nullptr);
        // What the line reading does: one chooser item per event, then the first selected.
        window->clear_events();
        for (int e = 1; e <= core::event_count; ++e)
            window->add_event(QString::fromStdString(core::short_event_name(events.event(e).name)));
        window->select_event(0);
    }

    void show() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::processEvents();
    }

    template <typename T>
    T* child(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
    QWidget* chart() const { return child<QGraphicsView>("chart_view")->viewport(); }

    void move_to(int y) {
        QWidget* viewport = chart();
        const QPointF at(viewport->width() / 2.0, y);
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }

    void press_point(int index) {
        QTest::mousePress(chart(), Qt::LeftButton, {}, window->set_point_position(index));
    }

    SessionModel model;
    const core::EventTable& events = model.session().events;
    std::unique_ptr<ProbabilityEditorWindow> window;
};

TEST_F(ProbabilityEditorTest, ShowsTheThreeCurvesOfTheChosenEvent) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Редактирование вероятностей исходов (мышкой)"));
    EXPECT_EQ(child<QGroupBox>("event_chooser")->title(), QStringLiteral("События"));
    EXPECT_EQ(window->event_items(), 8);
    EXPECT_EQ(window->vertical_axis().titleText(), QStringLiteral("Вероятность, в %"));
    ASSERT_EQ(window->outcome_axis().count(), 17);
    EXPECT_EQ(window->outcome_axis().at(0), QStringLiteral("1:0"));
    EXPECT_EQ(window->outcome_axis().at(16), QStringLiteral("ЛД"));
    EXPECT_EQ(child<LinkLabel>("uniform_preset")->text(), QStringLiteral("Равномерно"));
    EXPECT_EQ(child<LinkLabel>("quotes_preset")->text(), QStringLiteral("По котировкам БК"));
    EXPECT_EQ(child<LinkLabel>("pool_preset")->text(), QStringLiteral("По пулу"));

    EXPECT_EQ(window->quote_curve().name(), QStringLiteral("Котировки"));
    EXPECT_EQ(window->pool_curve().name(), QStringLiteral("По пулу"));
    EXPECT_EQ(window->set_curve().name(), QStringLiteral("Установка"));
    EXPECT_EQ(window->quote_curve().pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(window->pool_curve().pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(window->set_curve().pen().color(), QColor(255, 255, 0));
    EXPECT_EQ(window->quote_curve().pen().width(), 2);
    EXPECT_EQ(window->set_curve().pen().style(), Qt::DotLine);
    EXPECT_FALSE(window->quote_curve().pointsVisible());
    EXPECT_TRUE(window->set_curve().pointsVisible());

    ASSERT_EQ(window->set_curve().count(), 17);
    EXPECT_DOUBLE_EQ(window->quote_curve().at(2).y(), 12.5);  // event 1, "2:1"
    EXPECT_DOUBLE_EQ(window->pool_curve().at(2).y(), 13.5);
    EXPECT_DOUBLE_EQ(window->set_curve().at(2).y(), 12.5);

    // Choosing event 3 in the chooser loads its curves.
    show();
    QAbstractButton* third = child<QGroupBox>("event_chooser")->findChildren<QAbstractButton*>().at(2);
    EXPECT_EQ(third->text(), QStringLiteral("Милан"));
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(8, third->height() / 2));
    EXPECT_EQ(window->selected_event(), 2);
    EXPECT_DOUBLE_EQ(window->quote_curve().at(0).y(), static_cast<double>(raw(events.cell(3, 1).quote_probability)) / 10000.0);
    EXPECT_EQ(window->value_marks().size(), 17);
}

TEST_F(ProbabilityEditorTest, PresetsReplaceOnlyTheChosenEventsSetting) {
    show();
    window->select_event(1);
    const core::EventTable before = events;

    QTest::mouseClick(child<LinkLabel>("uniform_preset"), Qt::LeftButton);
    for (int o = 1; o <= 17; ++o) EXPECT_EQ(raw(events.cell(2, o).setting_probability), 58824);
    EXPECT_EQ(window->value_marks(), QStringList(17, QStringLiteral("5.9")));
    EXPECT_DOUBLE_EQ(window->set_curve().at(16).y(), 5.8824);

    QTest::mouseClick(child<LinkLabel>("pool_preset"), Qt::LeftButton);
    for (int o = 1; o <= 17; ++o) EXPECT_EQ(events.cell(2, o).setting_probability, events.cell(2, o).pool_probability);
    QTest::mouseClick(child<LinkLabel>("quotes_preset"), Qt::LeftButton);
    for (int o = 1; o <= 17; ++o) EXPECT_EQ(events.cell(2, o).setting_probability, events.cell(2, o).quote_probability);
    EXPECT_EQ(window->value_marks().at(1), QStringLiteral("12.5"));  // event 2 has it on "2:0"
    EXPECT_EQ(window->value_marks().at(2), QStringLiteral("4"));

    for (int e = 1; e <= 8; ++e)
        for (int o = 1; o <= 17; ++o)
            if (e != 2) {
                EXPECT_EQ(events.cell(e, o).setting_probability, before.cell(e, o).setting_probability);
            }
}

// The other 16 keep their former proportions: each is its old share of the rest, to a ten-thousandth.
void expect_rest_in_proportion(const core::EventTable& now, const core::EventTable& before, int e, int held) {
    std::int64_t rest_before = 0;
    for (int o = 1; o <= 17; ++o)
        if (o != held) rest_before += raw(before.cell(e, o).setting_probability);
    const std::int64_t rest_now = 1000000 - raw(now.cell(e, held).setting_probability);
    for (int o = 1; o <= 17; ++o) {
        if (o == held) continue;
        const double expected = static_cast<double>(raw(before.cell(e, o).setting_probability)) * static_cast<double>(rest_now) /
                                static_cast<double>(rest_before);
        EXPECT_NEAR(static_cast<double>(raw(now.cell(e, o).setting_probability)), expected, 0.5001) << "outcome " << o;
    }
}

TEST_F(ProbabilityEditorTest, DraggingAPointPastTheTopAndBottomClampsIt) {
    show();
    ASSERT_GT(window->pixels_per_percent(), 0);
    core::EventTable before = events;

    // Up far past the chart's top: "3:0" of event 1 stops at 99.9 %, the rest share 0.1 %.
    press_point(3);
    ASSERT_EQ(window->held_point(), 3);
    move_to(-100000);
    EXPECT_EQ(raw(events.cell(1, 4).setting_probability), 999000);
    expect_rest_in_proportion(events, before, 1, 4);
    EXPECT_EQ(window->value_marks().at(3), QStringLiteral("99.9"));
    EXPECT_DOUBLE_EQ(window->set_curve().at(3).y(), 99.9);
    QTest::mouseRelease(chart(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(window->held_point(), -1);

    // Released: moving changes nothing until a point is pressed again.
    const core::EventTable released = events;
    move_to(100000);
    EXPECT_EQ(raw(events.cell(1, 4).setting_probability), 999000);
    EXPECT_EQ(events.cell(1, 1).setting_probability, released.cell(1, 1).setting_probability);

    // Down far past the bottom from the bookmaker's values: 0.01 %, the rest share 99.99 %.
    QTest::mouseClick(child<LinkLabel>("quotes_preset"), Qt::LeftButton);
    before = events;
    press_point(3);
    move_to(100000);
    EXPECT_EQ(raw(events.cell(1, 4).setting_probability), 100);
    expect_rest_in_proportion(events, before, 1, 4);
    EXPECT_EQ(window->value_marks().at(3), QStringLiteral("0"));
}

TEST_F(ProbabilityEditorTest, SmallMovesFollowThePixelSizeOfAPoint) {
    show();
    const int s = window->pixels_per_percent();
    ASSERT_GT(s, 0);
    const QPoint at = window->set_point_position(0);
    QTest::mousePress(chart(), Qt::LeftButton, {}, at);
    move_to(at.y() - 2 * s);  // two points up
    EXPECT_EQ(raw(events.cell(1, 1).setting_probability), 50000 + 20000);
    std::int64_t sum = 0;
    for (int o = 1; o <= 17; ++o) sum += raw(events.cell(1, o).setting_probability);
    EXPECT_LE(std::llabs(sum - 1000000), 8);
}

TEST_F(ProbabilityEditorTest, PressesAwayFromASetPointStartNoDrag) {
    show();
    const core::EventTable before = events;
    const QPoint at = window->set_point_position(5);
    QTest::mousePress(chart(), Qt::LeftButton, {}, at + QPoint(0, 40));
    EXPECT_EQ(window->held_point(), -1);
    move_to(-100000);
    for (int o = 1; o <= 17; ++o) EXPECT_EQ(events.cell(1, o).setting_probability, before.cell(1, o).setting_probability);

    // Showing the window again drops a held point.
    press_point(5);
    ASSERT_EQ(window->held_point(), 5);
    window->hide();
    window->show();
    EXPECT_EQ(window->held_point(), -1);
}

TEST_F(ProbabilityEditorTest, WithoutAChosenEventNothingChanges) {
    window->clear_events();
    window->select_event(0);
    EXPECT_EQ(window->selected_event(), -1);
    const core::EventTable before = events;
    show();
    QTest::mouseClick(child<LinkLabel>("uniform_preset"), Qt::LeftButton);
    // The set curve still shows the last event; a press on it and a move must not write anywhere.
    press_point(2);
    move_to(-1000);
    for (int e = 1; e <= 8; ++e)
        for (int o = 1; o <= 17; ++o)
            EXPECT_EQ(events.cell(e, o).setting_probability, before.cell(e, o).setting_probability);
}

}  // namespace
}  // namespace morvalen::app
