// Form2: the grid of nearest brief systems, kept above the program's other windows.
#include "app/nearest_systems_window.h"

#include <QFontMetrics>

#include "core/nearest_systems.h"

namespace morvalen::app {

NearestSystemsWindow::NearestSystemsWindow(const core::Session& session, QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::WindowStaysOnTopHint), session_(session) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Ближайшие бриф-системы"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(350, 452);

    StringGrid1 = new StringGrid(2, 2);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->set_fixed(0, 1);
    StringGrid1->set_default_row_height(18);
    StringGrid1->draw_cell = [this](QPainter&, int column, int row, const QRect&) { StringGrid1DrawCell(column, row); };

    area_ = fill_with_scrolled_grid(*this, StringGrid1);
    hide();
}

void NearestSystemsWindow::show_nearest_systems() {
    const int m1 = session_.expansion_order[0].marked;
    const int m2 = session_.expansion_order[1].marked;
    const auto rows = core::nearest_system_rows(session_.brief_systems, m1, m2);

    // Each filling replaces the whole grid.
    StringGrid1->set_column_count(2);
    StringGrid1->set_row_count(0);
    StringGrid1->set_row_count(static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        StringGrid1->set_cell(0, static_cast<int>(row), QString::fromStdString(rows[row].first));
        StringGrid1->set_cell(1, static_cast<int>(row), QString::fromStdString(rows[row].second));
    }
    show();
}

void NearestSystemsWindow::StringGrid1DrawCell(int column, int row) {
    const int text_width = QFontMetrics(StringGrid1->font()).horizontalAdvance(StringGrid1->cell(column, row));
    if (text_width > StringGrid1->column_width(column) - 4) StringGrid1->set_column_width(column, text_width + 4);
}

}  // namespace morvalen::app
