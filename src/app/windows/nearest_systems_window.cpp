// The nearest systems window: the grid of nearest brief systems, kept above the program's other windows.
#include "app/windows/nearest_systems_window.h"

#include <QBoxLayout>
#include <QFontMetrics>

#include "core/formation/nearest_systems.h"

namespace morvalen::app {

NearestSystemsWindow::NearestSystemsWindow(const SessionModel& model, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint), model_(model) {
    setObjectName(QStringLiteral("nearest_systems_window"));
    setWindowTitle(QStringLiteral("Ближайшие бриф-системы"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(350, 452);

    systems_grid_ = new StringGrid(2, 2);
    systems_grid_->setObjectName(QStringLiteral("systems_grid"));
    systems_grid_->set_fixed(0, 1);
    systems_grid_->set_default_row_height(18);
    systems_grid_->draw_cell = [this](QPainter&, int column, int row, const QRect&) { fit_column(column, row); };

    area_ = fill_with_scrolled_grid(*this, systems_grid_);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("nearest_systems_note"));
    note_->setWordWrap(true);
    note_->setContentsMargins(6, 6, 6, 6);
    static_cast<QBoxLayout*>(layout())->insertWidget(0, note_);
    note_->hide();
    connect(&model_, &SessionModel::brief_systems_listed, this,
            [this](int m1, int m2) { show_nearest_systems(m1, m2); });
    hide();
}

void NearestSystemsWindow::show_nearest_systems(int m1, int m2) {
    const auto rows = core::nearest_system_rows(session().brief_systems, m1, m2);

    // Each filling replaces the whole grid.
    systems_grid_->set_column_count(2);
    systems_grid_->set_row_count(0);
    systems_grid_->set_row_count(static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        systems_grid_->set_cell(0, static_cast<int>(row), QString::fromStdString(rows[row].first));
        systems_grid_->set_cell(1, static_cast<int>(row), QString::fromStdString(rows[row].second));
    }
    // Without any match the grid holds its header and one empty row.
    const bool none = rows.size() == 2 && rows[1].first.empty();
    note_->setText(QStringLiteral("Готовой бриф-системы рядом с отметками нет (в двух самых широких событиях "
                                  "отмечено %1 и %2 исходов)").arg(m1).arg(m2));
    note_->setVisible(none);
    show();
    raise();
}

void NearestSystemsWindow::fit_column(int column, int row) {
    const int text_width = QFontMetrics(systems_grid_->font()).horizontalAdvance(systems_grid_->cell(column, row));
    if (text_width > systems_grid_->column_width(column) - 4) systems_grid_->set_column_width(column, text_width + 4);
}

}  // namespace morvalen::app
