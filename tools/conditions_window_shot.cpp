// Writes a picture of the conditions window over the demonstration line, three outcomes marked in every
// event and three rules built by clicks: conditions_window_shot <file.png>. Run it under a real X server (Xvfb).
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include "app/windows/conditions_window.h"
#include "window_harness.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    using namespace morvalen::app;
    testing::Harness h;
    h.fetcher->answer(testing::demo_line_page());
    h.mark_every_event({1, 7, 11});
    h.find<QAction>("show_conditions")->trigger();
    auto* window = h.find<ConditionsWindow>("conditions_window");
    auto* cells = testing::find_in<GroupCellPicker>(*window, "group_cells");
    const auto click = [](QWidget* w, QPoint at) { QTest::mouseClick(w, Qt::LeftButton, {}, at); };
    const auto type = [&](const char* name, const QString& text) {
        auto* edit = testing::find_in<QLineEdit>(*window, name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    auto* add = testing::find_in<QPushButton>(*window, "add_condition");
    click(add, add->rect().center());
    type("range_high", QStringLiteral("2"));
    click(cells, cells->cell_rect(11, 0).center());
    click(add, add->rect().center());
    type("range_low", QStringLiteral("1"));
    type("range_high", QStringLiteral("*"));
    click(cells, cells->cell_rect(7, 0).center());
    // Not a home win in both of the first two events: two cells clicked.
    click(add, add->rect().center());
    type("range_high", QStringLiteral("1"));
    click(cells, cells->cell_rect(1, 1).center());
    click(cells, cells->cell_rect(1, 2).center());
    auto* on = testing::find_in<QCheckBox>(*window, "conditions_enabled");
    click(on, QPoint(6, on->height() / 2));
    if (!QTest::qWaitForWindowExposed(window)) return 4;
    QTest::qWait(300);
    return window->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 5;
}
