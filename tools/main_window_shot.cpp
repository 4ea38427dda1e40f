// Draws the main window with a marked line and a formed package and saves it as a PNG (for the docs):
// main_window_shot FILE.png [best-chances|max-return]; the package comes from autoformation unless
// "best-chances", or "max-return" (the rules of the pool as the dialog offers them, the grid tinted
// by the crowd's misjudgements).
#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/windows/main_window.h"
#include "app/platform/service_address.h"
#include "app/windows/texts.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(morvalen::app::app_title);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("main-window.png");
    morvalen::app::ServiceAddress service = morvalen::app::find_service();
    morvalen::app::WindowOptions options;
    options.platform = morvalen::app::desktop_platform();
    options.service_url = service.url;
    options.seed = 7;
    morvalen::app::MainWindow window(options);
    window.show();
    QSignalSpy read(&window, &morvalen::app::MainWindow::page_read);
    if (!read.wait(20000)) return 1;
    auto* grid = window.findChild<morvalen::app::OutcomeGrid*>(QStringLiteral("outcome_grid"));
    const int marks[8][3] = {{1, 7, 0}, {7, 8, 0}, {1, 0, 0}, {11, 7, 1}, {1, 3, 0}, {7, 0, 0}, {8, 11, 0}, {1, 2, 0}};
    for (int e = 1; e <= 8; ++e)
        for (int c : marks[e - 1])
            if (c > 0) QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cell_rect(c, e).center());
    // One sensation, given with Shift: drawn dimmed, since the method shown does not use it.
    QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, grid->cell_rect(8, 2).center());
    const QString mode = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool best_chances = mode == QStringLiteral("best-chances");
    const bool max_return = mode == QStringLiteral("max-return");
    if (max_return) {
        window.findChild<QAction*>(QStringLiteral("pool_rules"))->trigger();
        auto* ok = window.findChild<QPushButton*>(QStringLiteral("pool_rules_ok"));
        QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
        window.findChild<QAction*>(QStringLiteral("value_tint"))->trigger();
    }
    window.findChild<QComboBox*>(QStringLiteral("method"))->setCurrentIndex(max_return ? 5 : best_chances ? 4 : 3);
    window.findChild<QSpinBox*>(QStringLiteral("guarantee"))->setValue(6);
    window.findChild<QSpinBox*>(QStringLiteral("repeat_count"))->setValue(best_chances || max_return ? 30 : 12);
    auto* link = window.findChild<QLabel*>(QStringLiteral("add_to_list_link"));
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    // The run goes on on its worker thread; the picture is of its result.
    if (!QTest::qWaitFor([&] { return !window.formation_running(); }, 60000)) return 3;
    QTest::qWait(300);
    return window.grab().save(output) ? 0 : 2;
}
