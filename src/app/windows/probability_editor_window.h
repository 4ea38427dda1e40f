// The probability editor: three curves of one event's outcomes, the set curve dragged by
// its points and replaced by the presets.
#pragma once

#include <array>

#include <QBarCategoryAxis>
#include <QButtonGroup>
#include <QChart>
#include <QGraphicsSimpleTextItem>
#include <QGroupBox>
#include <QLineSeries>
#include <QTimer>
#include <QValueAxis>
#include <QWidget>

#include "app/widgets/link_label.h"
#include "app/widgets/probability_chart_view.h"
#include "app/session/session_model.h"
#include "core/model/event_table.h"
#include "core/analysis/probability_drag.h"

namespace morvalen::app {

class ProbabilityEditorWindow : public QWidget {
    Q_OBJECT
public:
    // Reads the three probabilities of the session's table and writes only its set probabilities;
    // follows the line as the model announces it.
    ProbabilityEditorWindow(SessionModel& model, QWidget* owner);

    // The event chooser, as a line read fills it.
    void clear_events();
    void add_event(const QString& short_name);
    int event_items() const;
    // Selects item `index` (0-based) and shows its event, as a click on the item does.
    void select_event(int index);
    int selected_event() const;
    // Draws the chosen event's three curves again from the table (after a quotes load or a restore).
    void show_current() { show_event_curves(selected_event()); }
    // Lets go of a held point of the set curve.
    void end_drag() { drag_point_ = -1; }
    // The held point (0-based column) or -1.
    int held_point() const { return drag_point_; }

    // The point of the set curve under a pixel of the chart view, or -1.
    int set_point_at(QPoint position) const;
    // Where point `index` of the set curve lies, in the chart view's pixels.
    QPoint set_point_position(int index) const;
    // Pixels of one percentage point on the vertical axis, rounded; 0 when the chart is too small.
    int pixels_per_percent() const;
    // The value marks written over the set curve's points.
    QStringList value_marks() const;

    // The chart's series and axes, for reading.
    const QLineSeries& quote_curve() const { return *quote_curve_; }
    const QLineSeries& pool_curve() const { return *pool_curve_; }
    const QLineSeries& set_curve() const { return *set_curve_; }
    const QValueAxis& vertical_axis() const { return *vertical_axis_; }
    const QBarCategoryAxis& outcome_axis() const { return *outcome_axis_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void build_chart();
    void follow_model();
    // A line page read: its names fill the chooser afresh; a whole page selects the first event.
    void on_line_read(const QStringList& names, bool complete);
    // The figures or names changed in place: the chooser is relabelled and the player keeps the event.
    void on_line_changed();
    // A drag writes at every mouse move: the model announces the change once a burst rests a moment,
    // since listeners may recompute much.
    QTimer changed_;
    // Loads the three curves of the 0-based event.
    void show_event_curves(int event_index);
    void on_event_chosen();
    void apply_preset(core::ProbabilityPreset preset);
    // A press on point `point_index` of the set curve at chart pixel row y, the moves and the release.
    void begin_drag(int point_index, int y);
    void drag_to(int y);
    // Moves the set curve to the event's values and rescales the vertical axis to the data.
    void refresh_set_curve(int event_index);
    void fit_vertical_axis();
    void place_value_marks();

    const core::Session& session() const { return model_.session(); }

    SessionModel& model_;
    QWidget* side_panel_ = nullptr;
    QGroupBox* event_chooser_ = nullptr;
    QButtonGroup* items_ = nullptr;
    LinkLabel* quotes_preset_ = nullptr;
    LinkLabel* uniform_preset_ = nullptr;
    LinkLabel* pool_preset_ = nullptr;
    QChart* chart_ = nullptr;
    ProbabilityChartView* chart_view_ = nullptr;
    QLineSeries* quote_curve_ = nullptr;
    QLineSeries* pool_curve_ = nullptr;
    QLineSeries* set_curve_ = nullptr;
    QValueAxis* vertical_axis_ = nullptr;
    QBarCategoryAxis* outcome_axis_ = nullptr;
    // The held point (0-based column) or -1, and the pixel row of the last step.
    int drag_point_ = -1;
    int drag_last_y_ = 0;
    int shown_event_ = -1;
    // The set values the curve shows, which a quotes file read meanwhile does not change.
    std::array<core::Currency, core::outcome_count> shown_settings_{};
    std::array<QGraphicsSimpleTextItem*, core::outcome_count> marks_{};
};

}  // namespace morvalen::app
