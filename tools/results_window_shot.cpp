// Writes a picture of the results check window over a known line and package: results_window_shot <file.png>.
// Run it under a real X server (Xvfb).
#include <QApplication>
#include <QPixmap>
#include <QTest>

#include "app/results_window.h"
#include "files_harness.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    using namespace morvalen::app;
    testing::FilesHarness h;
    h.load_demo_line();
    h.set_memo(QStringLiteral(
        "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
        "3.1|1-(1:0,2:0,2:1);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
        "3.1|1-(2:0);2-(1:1);3-(2:1);4-(ЛД);5-(0:0);6-(1:2);7-(3:0);8-(2:2)#\n"
        "3.1|1-(0:1,1:1);2-(0:0);3-(1:0,2:1);4-(ЛД);5-(0:1);6-(0:2,1:2);7-(3:0);8-(1:1,2:2)#"));
    h.action("check_results")->trigger();
    auto* window = h.window->findChild<ResultsWindow*>(QStringLiteral("results_window"));
    if (!window) return 3;
    const int results[8] = {1, 7, 3, 17, 11, 13, 4, 9};
    for (int e = 1; e <= 8; ++e) window->choose(e, results[e - 1]);
    if (!QTest::qWaitForWindowExposed(window)) return 4;
    QTest::qWait(300);
    return window->grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 5;
}
