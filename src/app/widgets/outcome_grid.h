// The outcome grid: the 9 by 18 outcome grid, drawn cell by cell from the event table.
#pragma once

#include <array>
#include <functional>

#include <QLabel>
#include <QString>
#include <QWidget>

#include "core/analysis/crowd_value.h"
#include "core/model/event_table.h"

namespace morvalen::app {

class OutcomeGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int column_count = 18;
    static constexpr int row_count = 9;
    static constexpr int row_height = 22;
    static constexpr int line_width = 1;

    OutcomeGrid(const core::EventTable& table, QWidget* parent = nullptr);

    QString cell(int column, int row) const { return cells_[row][column]; }
    void set_cell(int column, int row, const QString& text);
    int column_width(int column) const { return widths_[column]; }
    void set_column_width(int column, int width);
    // Yellow marks are drawn in full while the sensations method is selected, dimmed otherwise.
    void set_yellow_visible(bool visible);
    bool yellow_visible() const { return yellow_visible_; }
    // On request the outcomes the crowd underrates or overrates are tinted, with a legend under the rows.
    void set_value_tint(bool on);
    bool value_tint() const { return value_tint_; }
    // The tint of an outcome cell (none while the tint is off or for a fair outcome).
    core::CrowdRating cell_rating(int column, int row) const;
    // The keys held at the last click in the grid: any of them gives the yellow mark.
    Qt::KeyboardModifiers click_modifiers() const { return click_modifiers_; }
    // The colour a cell is filled with (the grid lines between the cells stay black).
    QColor cell_colour(int column, int row) const;
    // The tooltip of a cell: both figures and their ratio for an outcome, how to mark for the others.
    QString cell_hint(int column, int row) const;
    int current_column() const { return current_column_; }
    int current_row() const { return current_row_; }

    // The cell's rectangle without its grid lines.
    QRect cell_rect(int column, int row) const;
    // Cell under a point, or (-1, -1).
    std::pair<int, int> cell_at(QPoint point) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // The grid is about to make (column, row) its current cell: a click or a navigation key.
    void select_cell(int column, int row);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void widen_columns_to_texts();
    void update_size();
    void move_current(int column, int row);
    int border_at(QPoint point) const;
    int rows_height() const;

    const core::EventTable& table_;
    std::array<std::array<QString, column_count>, row_count> cells_{};
    std::array<int, column_count> widths_{};
    bool yellow_visible_ = false;
    bool value_tint_ = false;
    QLabel* value_legend_ = nullptr;
    Qt::KeyboardModifiers click_modifiers_;
    int current_column_ = 0;
    int current_row_ = 1;
    int resizing_column_ = -1;
};

}  // namespace morvalen::app
