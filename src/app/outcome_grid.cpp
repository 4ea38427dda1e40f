// Drawing and navigation of the outcome grid; what a selection means is decided by the window.
#include "app/outcome_grid.h"

#include <algorithm>
#include <cstdlib>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace morvalen::app {
namespace {

constexpr int cell_font_points = 11;
constexpr int text_top = 2;
constexpr int text_margin = 4;
const QColor header_colour(204, 204, 204);
const QColor yellow_colour(255, 255, 0);
const QColor green_colour(0, 255, 0);

QFont cell_font(const QFont& base, bool bold) {
    QFont font = base;
    font.setPointSize(cell_font_points);
    font.setBold(bold);
    return font;
}

// The toolkit's rectangle from Left, Top to Right, Bottom fills and outlines the pixels up to
// Right - 1 and Bottom - 1; QPainter's outline is one pixel wider, hence the -1.
void fill_rectangle(QPainter& painter, int left, int top, int right, int bottom, const QColor& brush) {
    painter.setBrush(brush);
    painter.drawRect(left, top, right - left - 1, bottom - top - 1);
}

}  // namespace

OutcomeGrid::OutcomeGrid(const core::EventTable& table, QWidget* parent) : QWidget(parent), table_(table) {
    widths_.fill(40);
    widths_[0] = 156;
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    update_size();
}

void OutcomeGrid::set_cell(int column, int row, const QString& text) {
    cells_[row][column] = text;
    widen_columns_to_texts();
    update();
}

void OutcomeGrid::set_column_width(int column, int width) {
    widths_[column] = std::max(width, 0);
    update_size();
    update();
}

void OutcomeGrid::set_yellow_visible(bool visible) {
    yellow_visible_ = visible;
    update();
}

QRect OutcomeGrid::cell_rect(int column, int row) const {
    int left = 0;
    for (int c = 0; c < column; ++c) left += widths_[c] + line_width;
    const int top = row * (row_height + line_width);
    return QRect(left, top, widths_[column], row_height);
}

std::pair<int, int> OutcomeGrid::cell_at(QPoint point) const {
    if (point.x() < 0 || point.y() < 0) return {-1, -1};
    const int row = point.y() / (row_height + line_width);
    if (row >= row_count) return {-1, -1};
    int left = 0;
    for (int c = 0; c < column_count; ++c) {
        const int right = left + widths_[c] + line_width;
        if (point.x() < right) return {c, row};
        left = right;
    }
    return {-1, -1};
}

QSize OutcomeGrid::sizeHint() const {
    const QRect last = cell_rect(column_count - 1, row_count - 1);
    return {last.right() + 1 + line_width, last.bottom() + 1 + line_width};
}

void OutcomeGrid::update_size() {
    const QSize size = sizeHint();
    setMinimumSize(size);
    resize(size);
}

// A column grows to its widest text plus 4 at the cell font, as the drawing of each cell demands.
void OutcomeGrid::widen_columns_to_texts() {
    bool widened = false;
    for (int row = 0; row < row_count; ++row) {
        const QFontMetrics metrics(cell_font(font(), row == 0));
        for (int column = 0; column < column_count; ++column) {
            const int text_width = metrics.horizontalAdvance(cells_[row][column]);
            if (text_width > widths_[column] - text_margin) {
                widths_[column] = text_width + text_margin;
                widened = true;
            }
        }
    }
    if (widened) update_size();
}

void OutcomeGrid::paintEvent(QPaintEvent*) {
    widen_columns_to_texts();
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    for (int row = 0; row < row_count; ++row) {
        for (int column = 0; column < column_count; ++column) {
            const QRect r = cell_rect(column, row);
            const int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
            const QString& text = cells_[row][column];
            const bool header = row == 0;
            const QFont font = cell_font(this->font(), header);
            painter.setFont(font);
            const QFontMetrics metrics(font);
            const int text_width = metrics.horizontalAdvance(text);
            int text_left = (left + right - text_width) / 2;
            if (header) {
                fill_rectangle(painter, left - 1, top - 1, right + 1, bottom + 1, header_colour);
            } else if (column == 0) {
                fill_rectangle(painter, left - 1, top - 1, right + 1, bottom + 1, Qt::white);
                text_left = left + 2;
            } else {
                const core::OutcomeCell& cell = table_.cell(row, column);
                if (cell.mark != 0) {
                    const QColor& colour = yellow_visible_ && cell.yellow_mark != 0 ? yellow_colour : green_colour;
                    fill_rectangle(painter, left + 3, top + 3, right - 3, bottom - 3, colour);
                } else {
                    fill_rectangle(painter, left - 1, top - 1, right + 1, bottom + 1, Qt::white);
                }
            }
            painter.drawText(text_left, top + text_top + metrics.ascent(), text);
        }
    }
}

// Within three pixels of a column's right border on the header row, the border can be dragged.
int OutcomeGrid::border_at(QPoint point) const {
    if (point.y() >= row_height + line_width) return -1;
    for (int column = 0; column < column_count; ++column) {
        const QRect r = cell_rect(column, 0);
        if (std::abs(point.x() - (r.left() + r.width())) <= 3) return column;
    }
    return -1;
}

void OutcomeGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    if (const int border = border_at(point); border >= 0) {
        resizing_column_ = border;
        return;
    }
    const auto [column, row] = cell_at(point);
    if (row < 1) return;  // the header row is fixed
    setFocus(Qt::MouseFocusReason);
    // Shift only extends the range selection; it makes no cell current.
    if (event->modifiers() & Qt::ShiftModifier) return;
    current_column_ = column;
    current_row_ = row;
    Q_EMIT select_cell(column, row);
}

void OutcomeGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (resizing_column_ >= 0) {
        set_column_width(resizing_column_, point.x() - cell_rect(resizing_column_, 0).left());
        return;
    }
    setCursor(border_at(point) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void OutcomeGrid::mouseReleaseEvent(QMouseEvent*) { resizing_column_ = -1; }

// The second click of a double click selects nothing.
void OutcomeGrid::mouseDoubleClickEvent(QMouseEvent*) {}

void OutcomeGrid::move_current(int column, int row) {
    column = std::clamp(column, 0, column_count - 1);
    row = std::clamp(row, 1, row_count - 1);
    if (column == current_column_ && row == current_row_) return;
    current_column_ = column;
    current_row_ = row;
    Q_EMIT select_cell(column, row);
}

void OutcomeGrid::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left: move_current(current_column_ - 1, current_row_); break;
    case Qt::Key_Right: move_current(current_column_ + 1, current_row_); break;
    case Qt::Key_Up: move_current(current_column_, current_row_ - 1); break;
    case Qt::Key_Down: move_current(current_column_, current_row_ + 1); break;
    case Qt::Key_Home: move_current(0, current_row_); break;
    case Qt::Key_End: move_current(column_count - 1, current_row_); break;
    case Qt::Key_PageUp: move_current(current_column_, 1); break;
    case Qt::Key_PageDown: move_current(current_column_, row_count - 1); break;
    default: QWidget::keyPressEvent(event); return;
    }
}

// Tab walks the cells row by row instead of leaving the grid; at either end it leaves.
bool OutcomeGrid::focusNextPrevChild(bool next) {
    int column = current_column_ + (next ? 1 : -1);
    int row = current_row_;
    if (column >= column_count) { column = 0; ++row; }
    if (column < 0) { column = column_count - 1; --row; }
    if (row < 1 || row >= row_count) return QWidget::focusNextPrevChild(next);
    move_current(column, row);
    return true;
}

}  // namespace morvalen::app
