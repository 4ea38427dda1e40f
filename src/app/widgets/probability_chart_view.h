// The chart view of the probability editor: it hands its mouse presses, moves and releases
// to the editor instead of zooming or scrolling.
#pragma once

#include <functional>

#include <QChartView>
#include <QMouseEvent>

namespace morvalen::app {

class ProbabilityChartView : public QChartView {
    Q_OBJECT
public:
    explicit ProbabilityChartView(QChart* chart, QWidget* parent = nullptr) : QChartView(chart, parent) {
        setRubberBand(QChartView::NoRubberBand);
        setDragMode(QGraphicsView::NoDrag);
        // Moves arrive without a button too, as the drag step only looks at the held point.
        setMouseTracking(true);
        viewport()->setMouseTracking(true);
    }

    std::function<void(QPoint)> on_press;
    std::function<void(QPoint)> on_move;
    std::function<void()> on_release;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (on_press) on_press(event->position().toPoint());
        event->accept();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (on_move) on_move(event->position().toPoint());
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (on_release) on_release();
        event->accept();
    }
};

}  // namespace morvalen::app
