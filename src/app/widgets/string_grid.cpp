// The text grid's cells, geometry and drawing.
#include "app/widgets/string_grid.h"

#include <QVBoxLayout>

#include <algorithm>

#include <QPaintEvent>

namespace morvalen::app {

StringGrid::StringGrid(int columns, int rows, QWidget* parent) : QWidget(parent) {
    set_column_count(columns);
    set_row_count(rows);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StringGrid::set_column_count(int columns) {
    const auto n = static_cast<std::size_t>(std::max(columns, 0));
    widths_.resize(n, default_width_);
    for (auto& row : cells_) row.resize(n);
    update_size();
}

void StringGrid::set_row_count(int rows) {
    cells_.resize(static_cast<std::size_t>(std::max(rows, 0)), std::vector<QString>(widths_.size()));
    update_size();
}

void StringGrid::set_fixed(int fixed_columns, int fixed_rows) {
    fixed_columns_ = fixed_columns;
    fixed_rows_ = fixed_rows;
    update();
}

void StringGrid::set_default_column_width(int width) {
    default_width_ = width;
    std::fill(widths_.begin(), widths_.end(), width);
    update_size();
}

void StringGrid::set_default_row_height(int height) {
    row_height_ = height;
    update_size();
}

QString StringGrid::cell(int column, int row) const {
    if (column < 0 || row < 0 || column >= column_count() || row >= row_count()) return {};
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void StringGrid::set_cell(int column, int row, const QString& text) {
    if (column < 0 || row < 0 || column >= column_count() || row >= row_count()) return;
    QString& slot = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (slot == text) return;
    slot = text;
    update(cell_rect(column, row));
}

int StringGrid::column_width(int column) const {
    if (column < 0 || column >= column_count()) return 0;
    return widths_[static_cast<std::size_t>(column)];
}

void StringGrid::set_column_width(int column, int width) {
    if (column < 0 || column >= column_count() || widths_[static_cast<std::size_t>(column)] == width) return;
    widths_[static_cast<std::size_t>(column)] = width;
    update_size();
    update();
}

QRect StringGrid::cell_rect(int column, int row) const {
    int left = 0;
    for (int c = 0; c < column && c < column_count(); ++c) left += widths_[static_cast<std::size_t>(c)] + line_;
    return {left, row * (row_height_ + line_), column_width(column), row_height_};
}

QSize StringGrid::sizeHint() const {
    int width = 0;
    for (int w : widths_) width += w + line_;
    return {width, row_count() * (row_height_ + line_)};
}

void StringGrid::update_size() {
    updateGeometry();
    const QSize size = sizeHint();
    if (parentWidget() == nullptr) return;
    // Inside a scroll area the grid is at least its cells' size and fills what is left.
    resize(std::max(size.width(), width()), std::max(size.height(), height()));
    setMinimumSize(size);
}

void StringGrid::draw_default(QPainter& painter, int column, int row, const QRect& rect) const {
    const bool fixed = is_fixed(column, row);
    painter.fillRect(rect, fixed ? palette().color(QPalette::Button) : QColor(Qt::white));
    if (fixed) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, cell(column, row));
}

void StringGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Grid lines and the area beyond the cells.
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    const QColor line_colour = palette().color(QPalette::Mid);
    for (int row = 0; row < row_count(); ++row) {
        for (int column = 0; column < column_count(); ++column) {
            const QRect rect = cell_rect(column, row);
            const QRect with_lines = rect.adjusted(0, 0, line_, line_);
            if (!with_lines.intersects(event->rect())) continue;
            painter.fillRect(with_lines, line_colour);
            painter.save();
            if (default_drawing) draw_default(painter, column, row, rect);
            if (draw_cell) draw_cell(painter, column, row, rect);
            painter.restore();
        }
    }
}

QScrollArea* fill_with_scrolled_grid(QWidget& window, StringGrid* grid) {
    auto* area = new QScrollArea(&window);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(grid);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    return area;
}

}  // namespace morvalen::app
