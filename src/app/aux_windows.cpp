// Window frames of the auxiliary windows: object name, caption, client size and font.
#include "app/aux_windows.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace morvalen::app {
namespace {

QWidget* create_window(QWidget* owner, const char* name, const QString& caption, QSize client, Qt::WindowFlags extra = {}) {
    auto* window = new QWidget(owner, Qt::Window | extra);
    window->setObjectName(QLatin1String(name));
    window->setWindowTitle(caption);
    window->setFont(QFont(QStringLiteral("Tahoma"), 8));
    window->resize(client);
    window->hide();
    return window;
}

}  // namespace

QWidget* create_probability_editor(QWidget* owner) {
    return create_window(owner, "Form1", QStringLiteral("Редактирование вероятностей исходов (мышкой)"), {654, 317});
}

QWidget* create_nearest_systems_window(QWidget* owner) {
    QWidget* window =
        create_window(owner, "Form2", QStringLiteral("Ближайшие бриф-системы"), {350, 452}, Qt::WindowStaysOnTopHint);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QTableWidget(window);
    grid->setObjectName(QStringLiteral("StringGrid1"));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(18);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(grid);
    return window;
}

void fill_nearest_systems(QWidget* window, const std::vector<std::pair<std::string, std::string>>& rows) {
    auto* grid = window->findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    if (!grid) return;
    grid->clear();
    grid->setColumnCount(2);
    grid->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        grid->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rows[i].first)));
        grid->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(rows[i].second)));
        if (row == 0) {
            QFont bold = grid->font();
            bold.setBold(true);
            grid->item(0, 0)->setFont(bold);
            grid->item(0, 1)->setFont(bold);
        }
    }
    // Columns only grow to their widest text.
    grid->resizeColumnsToContents();
}

QWidget* create_distribution_window(QWidget* owner) {
    return create_window(owner, "Form3", QStringLiteral("Распределение ставок пакета по исходам"), {861, 285});
}

}  // namespace morvalen::app
