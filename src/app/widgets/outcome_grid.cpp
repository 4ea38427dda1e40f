// Drawing and navigation of the outcome grid; what a selection means is decided by the window.
#include "app/widgets/outcome_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace morvalen::app {
namespace {

constexpr int cell_font_points = 11;
constexpr int text_top = 2;
constexpr int text_margin = 4;
const QColor header_colour(204, 204, 204);
const QColor yellow_colour(255, 255, 0);
const QColor green_colour(0, 255, 0);
// A yellow mark the chosen method does not use: still told apart from a plain mark.
const QColor dimmed_yellow_colour(214, 255, 150);
const QColor line_colour(Qt::black);
// The crowd's misjudgements: an unmarked cell is filled light, a marked one framed strong.
const QColor underrated_fill(190, 220, 255);
const QColor underrated_frame(0, 90, 230);
const QColor overrated_fill(255, 205, 205);
const QColor overrated_frame(210, 30, 30);
constexpr int tint_frame = 3;
constexpr int legend_gap = 3;
const core::ValueTintOptions tint_bounds;

// The label's rich text draws no borders on a span: the sample carries the fill, its letters the frame.
QString swatch(const QColor& fill, const QColor& frame) {
    return QStringLiteral("<span style=\"background-color:%1; color:%2\">&nbsp;■&nbsp;</span>").arg(fill.name(), frame.name());
}

QString ratio_text(double value) { return QString::number(value, 'g', 3); }

QString value_hint(double value) {
    if (std::isinf(value)) return QStringLiteral("бесконечна (доля пула 0)");
    return QString::number(value, 'f', 2);
}

QFont cell_font(const QFont& base, bool bold) {
    QFont font = base;
    font.setPointSize(cell_font_points);
    font.setBold(bold);
    return font;
}

const QString yellow_hint = QStringLiteral("Щелчок — отметить исход; щелчок с любой нажатой клавишей (Shift, Ctrl, Alt…) — "
                                           "жёлтая отметка сенсации");

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
    value_legend_ = new QLabel(this);
    value_legend_->setObjectName(QStringLiteral("value_legend"));
    value_legend_->setTextFormat(Qt::RichText);
    value_legend_->setText(
        swatch(underrated_fill, underrated_frame) +
        QStringLiteral(" толпа недооценивает: вероятность не меньше %1 доли пула&nbsp;&nbsp;&nbsp;").arg(ratio_text(tint_bounds.underrated_from)) +
        swatch(overrated_fill, overrated_frame) +
        QStringLiteral(" переоценивает: не больше %1 доли пула; рамка — у отмеченных").arg(ratio_text(tint_bounds.overrated_to)));
    value_legend_->setToolTip(QStringLiteral("Вероятность — заданная (редактор вероятностей), доля пула — доля ставок всех "
                                             "игроков на исход; обе нормированы по 17 исходам события. Недооценённый исход "
                                             "выигрывает больше, когда сбывается: выигрыш делят меньше ставок."));
    value_legend_->adjustSize();
    value_legend_->hide();
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

void OutcomeGrid::set_value_tint(bool on) {
    value_tint_ = on;
    value_legend_->setVisible(on);
    update_size();
    update();
}

core::CrowdRating OutcomeGrid::cell_rating(int column, int row) const {
    if (!value_tint_ || row < 1 || row >= row_count || column < 1 || column >= column_count) return core::CrowdRating::fair;
    return core::crowd_rating(core::crowd_values(table_), row, column, tint_bounds);
}

int OutcomeGrid::rows_height() const {
    const QRect last = cell_rect(column_count - 1, row_count - 1);
    return last.bottom() + 1 + line_width;
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
    const int width = last.right() + 1 + line_width;
    if (!value_tint_) return {width, rows_height()};
    return {std::max(width, value_legend_->sizeHint().width() + 4), rows_height() + legend_gap + value_legend_->sizeHint().height()};
}

void OutcomeGrid::update_size() {
    const QSize size = sizeHint();
    setMinimumSize(size);
    resize(size);
    if (value_legend_) value_legend_->move(2, rows_height() + legend_gap);
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

QColor OutcomeGrid::cell_colour(int column, int row) const {
    if (row == 0) return header_colour;
    if (column == 0) return Qt::white;
    const core::OutcomeCell& cell = table_.cell(row, column);
    if (cell.mark == 0) return Qt::white;
    if (cell.yellow_mark == 0) return green_colour;
    return yellow_visible_ ? yellow_colour : dimmed_yellow_colour;
}

QString OutcomeGrid::cell_hint(int column, int row) const {
    if (row < 1 || row >= row_count) return {};
    if (column == 0) return QStringLiteral("Щелчок по названию отмечает все исходы события или снимает их");
    const core::OutcomeCell& cell = table_.cell(row, column);
    QString hint = QString::fromStdString(core::outcome_cell_hint(table_, row, column));
    if (value_tint_) {
        hint += QStringLiteral("\nЦенность (вероятность / доля пула): ") + value_hint(core::outcome_value(core::crowd_values(table_), row, column));
        const core::CrowdRating rating = cell_rating(column, row);
        if (rating == core::CrowdRating::underrated) hint += QStringLiteral(" — толпа недооценивает исход");
        if (rating == core::CrowdRating::overrated) hint += QStringLiteral(" — толпа переоценивает исход");
    }
    if (cell.yellow_mark != 0 && cell.mark != 0)
        hint += yellow_visible_ ? QStringLiteral("\nЖёлтая отметка: сенсация")
                                : QStringLiteral("\nЖёлтая отметка (учитывается способом «По \"сенсациям\"»)");
    return hint + QLatin1Char('\n') + yellow_hint;
}

bool OutcomeGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto [column, row] = cell_at(help->pos());
        const QString hint = column >= 0 ? cell_hint(column, row) : QString();
        if (hint.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), hint, this, cell_rect(column, row));
        return true;
    }
    return QWidget::event(event);
}

// Every cell is filled edge to edge and the lines are drawn once between them, so every line is one
// pixel wide and a mark's colour never runs under part of its text only.
void OutcomeGrid::paintEvent(QPaintEvent*) {
    widen_columns_to_texts();
    QPainter painter(this);
    const QRect last = cell_rect(column_count - 1, row_count - 1);
    painter.fillRect(QRect(0, 0, last.right() + 1 + line_width, rows_height()), line_colour);
    painter.setPen(Qt::black);
    const core::CrowdValues values = value_tint_ ? core::crowd_values(table_) : core::CrowdValues{};
    for (int row = 0; row < row_count; ++row) {
        for (int column = 0; column < column_count; ++column) {
            const QRect r = cell_rect(column, row);
            painter.fillRect(r, cell_colour(column, row));
            const core::CrowdRating rating = value_tint_ && row > 0 && column > 0
                                                 ? core::crowd_rating(values, row, column, tint_bounds)
                                                 : core::CrowdRating::fair;
            if (rating != core::CrowdRating::fair) {
                const bool under = rating == core::CrowdRating::underrated;
                if (table_.cell(row, column).mark == 0) {
                    painter.fillRect(r, under ? underrated_fill : overrated_fill);
                } else {
                    // The mark's colour stays inside; the frame says what the crowd thinks of it.
                    QPainterPath frame;
                    frame.addRect(r);
                    frame.addRect(r.adjusted(tint_frame, tint_frame, -tint_frame, -tint_frame));
                    painter.fillPath(frame, under ? underrated_frame : overrated_frame);
                }
            }
            const QString& text = cells_[row][column];
            const bool header = row == 0;
            const QFont font = cell_font(this->font(), header);
            painter.setFont(font);
            const QFontMetrics metrics(font);
            const int text_width = metrics.horizontalAdvance(text);
            const int text_left = !header && column == 0 ? r.left() + 2 : r.left() + (r.width() - text_width) / 2;
            painter.drawText(text_left, r.top() + text_top + metrics.ascent(), text);
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
    // Any key held with the click gives the yellow mark, Shift included.
    click_modifiers_ = event->modifiers();
    current_column_ = column;
    current_row_ = row;
    Q_EMIT select_cell(column, row);
    click_modifiers_ = {};
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
