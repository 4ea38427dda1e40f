// Form1, the probability editor: three curves of one event's outcomes, the set curve dragged by
// its points and replaced by the presets.
#pragma once

#include <array>

#include <QBarCategoryAxis>
#include <QButtonGroup>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QGroupBox>
#include <QLineSeries>
#include <QValueAxis>
#include <QWidget>

#include "app/link_label.h"
#include "app/probability_chart_view.h"
#include "core/event_table.h"
#include "core/probability_drag.h"

namespace morvalen::app {

class ProbabilityEditorWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the three probabilities of the table and writes only its set probabilities.
    ProbabilityEditorWindow(core::EventTable& events, QWidget* owner);

    // The event chooser RadioGroup1, as the line reading fills it.
    void clear_events();
    void add_event(const QString& short_name);
    int event_items() const;
    // Selects item `index` (0-based) and shows its event, as a change of RadioGroup1's item does.
    void select_event(int index);
    int selected_event() const;

    // Loads the three curves of the 0-based event.
    void rld(int event_index);
    void RadioGroup1Click();
    void Label1Click();  // "По котировкам БК"
    void Label2Click();  // "Равномерно"
    void Label3Click();  // "По пулу"
    // A press on point `point_index` of the set curve at chart pixel row y.
    void Series3Click(int point_index, int y);
    void Chart1MouseMove(int y);
    void Chart1MouseUp();

    // The point of the set curve under a chart pixel, or -1.
    int set_point_at(QPoint position) const;
    // Where point `index` of the set curve lies, in Chart1's pixels.
    QPoint set_point_position(int index) const;
    // Pixels of one percentage point on the vertical axis, rounded; 0 when the chart is too small.
    int pixels_per_percent() const;
    // The value marks written over the set curve's points.
    QStringList value_marks() const;

    // The held point (0-based column) or -1, and the pixel row of the last step.
    int drag_index = -1;
    int drag_last_y = 0;

    QWidget* Panel1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    LinkLabel* Label1 = nullptr;
    LinkLabel* Label2 = nullptr;
    LinkLabel* Label3 = nullptr;
    QChart* chart = nullptr;
    ProbabilityChartView* Chart1 = nullptr;
    QLineSeries* Series1 = nullptr;
    QLineSeries* Series2 = nullptr;
    QLineSeries* Series3 = nullptr;
    QValueAxis* left_axis = nullptr;
    QBarCategoryAxis* bottom_axis = nullptr;

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
    void resizeEvent(QResizeEvent* event) override;

private:
    void build_chart();
    void apply_preset(core::ProbabilityPreset preset);
    // Moves the set curve to the event's values and rescales the vertical axis to the data.
    void refresh_set_curve(int event_index);
    void fit_vertical_axis();
    void place_value_marks();

    core::EventTable& events_;
    QButtonGroup* items_ = nullptr;
    int shown_event_ = -1;
    // The set values the curve shows, which a quotes file read meanwhile does not change.
    std::array<core::Currency, core::outcome_count> shown_settings_{};
    std::array<QGraphicsSimpleTextItem*, core::outcome_count> marks_{};
};

}  // namespace morvalen::app
