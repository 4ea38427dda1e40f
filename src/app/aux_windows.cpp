// Window frames of the auxiliary windows: object name, caption, client size and font.
#include "app/aux_windows.h"

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
    return create_window(owner, "Form2", QStringLiteral("Ближайшие бриф-системы"), {350, 452}, Qt::WindowStaysOnTopHint);
}

QWidget* create_distribution_window(QWidget* owner) {
    return create_window(owner, "Form3", QStringLiteral("Распределение ставок пакета по исходам"), {861, 285});
}

}  // namespace morvalen::app
