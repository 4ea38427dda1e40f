// The distribution window: the grid of counts and shares per event and outcome, painted with a grey header.
#include "app/windows/distribution_window.h"

#include <algorithm>

#include <QFontMetrics>
#include <QScreen>

#include "core/analysis/distribution_table.h"
#include "core/formats/memo_reading.h"

namespace morvalen::app {
namespace {

// "100(100%)" in the plain font, so that a full column never squeezes its figures.
constexpr int minimum_outcome_width = 58;

}  // namespace

DistributionWindow::DistributionWindow(const SessionModel& model, QWidget* owner)
    : QWidget(owner, Qt::Window), model_(model) {
    setObjectName(QStringLiteral("distribution_window"));
    setWindowTitle(QStringLiteral("Распределение ставок пакета по исходам"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(861, 285);

    counts_grid_ = new StringGrid(core::outcome_count + 1, core::event_count + 1);
    counts_grid_->setObjectName(QStringLiteral("counts_grid"));
    QFont grid_font(QStringLiteral("Tahoma"), 8);
    grid_font.setBold(true);
    counts_grid_->setFont(grid_font);
    counts_grid_->set_fixed(1, 1);
    counts_grid_->set_default_column_width(20);
    counts_grid_->set_default_row_height(20);
    counts_grid_->draw_cell = [this](QPainter& painter, int column, int row, const QRect& rect) {
        draw_cell(painter, column, row, rect);
    };

    area_ = fill_with_scrolled_grid(*this, counts_grid_);
    follow_model();
    hide();
}

void DistributionWindow::follow_model() {
    connect(&model_, &SessionModel::line_read, this, [this](const QStringList& names, bool complete) {
        for (int i = 0; i < names.size(); ++i) set_event_name(i + 1, names[i]);
        if (complete) refresh_if_shown();
    });
    connect(&model_, &SessionModel::line_changed, this, [this] {
        for (int e = 1; e <= core::event_count; ++e)
            set_event_name(e, QString::fromStdString(session().events.event(e).name));
        refresh_if_shown();
    });
}

void DistributionWindow::open() {
    for (int o = 1; o <= core::outcome_count; ++o) {
        const std::string_view label = core::outcome_label(o);
        counts_grid_->set_cell(o, 0, QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
    }
    // The default size shows every column whole, as far as the screen allows.
    if (!isVisible()) {
        refresh();
        QSize wanted = counts_grid_->sizeHint() + QSize(4, 4);
        if (const QScreen* screen = this->screen()) wanted = wanted.boundedTo(screen->availableSize());
        resize(wanted);
    }
    show();
}

void DistributionWindow::fit_columns() {
    QFont plain = counts_grid_->font();
    plain.setPointSize(8);
    plain.setBold(false);
    QFont bold = plain;
    bold.setBold(true);
    for (int column = 0; column < counts_grid_->column_count(); ++column) {
        int widest = column == 0 ? 0 : minimum_outcome_width;
        for (int row = 0; row < counts_grid_->row_count(); ++row)
            widest = std::max(widest, QFontMetrics(row == 0 ? bold : plain).horizontalAdvance(counts_grid_->cell(column, row)) + 6);
        if (widest > counts_grid_->column_width(column)) counts_grid_->set_column_width(column, widest);
    }
}

void DistributionWindow::set_event_name(int e, const QString& short_name) { counts_grid_->set_cell(0, e, short_name); }

void DistributionWindow::refresh() {
    // The lines the memo cannot read whole count nothing, as in the results check.
    const core::DistributionTable table = core::distribution_table(core::whole_bets_only(session().bets));
    for (int e = 1; e <= core::event_count; ++e)
        for (int o = 1; o <= core::outcome_count; ++o)
            counts_grid_->set_cell(o, e, QString::fromStdString(table.cells[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(o - 1)]));
    fit_columns();
}

void DistributionWindow::showEvent(QShowEvent* event) {
    refresh();
    QWidget::showEvent(event);
}

void DistributionWindow::draw_cell(QPainter& painter, int column, int row, const QRect& rect) {
    QFont font = counts_grid_->font();
    font.setPointSize(8);
    font.setBold(row == 0);
    painter.setFont(font);
    painter.setPen(Qt::black);

    const QString text = counts_grid_->cell(column, row);
    const int text_width = QFontMetrics(font).horizontalAdvance(text);
    // Columns only grow: the first painting fits column 0 to the longest event name.
    if (text_width > counts_grid_->column_width(column) - 2) counts_grid_->set_column_width(column, text_width + 2);

    // The cell with its surrounding line, outlined with the pen.
    const QRect outline(rect.left() - 1, rect.top() - 1, rect.width() + 1, rect.height() + 1);
    painter.setBrush(row == 0 ? QColor(0xCC, 0xCC, 0xCC) : QColor(Qt::white));
    painter.drawRect(outline);

    const int right = rect.left() + rect.width();
    const int left = (row > 0 && column == 0) ? rect.left() + 2 : (rect.left() + right - text_width) / 2;
    const int baseline = rect.top() + 2 + QFontMetrics(font).ascent();
    painter.drawText(left, baseline, text);
}

}  // namespace morvalen::app
