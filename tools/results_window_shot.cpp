// Writes a picture of the results check window over a known line and package, with the rules of the
// pool as the dialog offers them: results_window_shot <file.png>. Run it under a real X server (Xvfb).
#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include "core/pages/line_page.h"
#include "core/model/random_source.h"

#include "app/windows/results_window.h"
#include "files_harness.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    using namespace morvalen::app;
    namespace core = morvalen::core;
    testing::FilesHarness h;
    // The crowd's shares apart from the quotes, so that the lines' values differ.
    core::EventTable line;
    core::RandomSource rng(5);
    for (int e = 1; e <= core::event_count; ++e) {
        line.event(e).name = "Команда " + std::to_string(e) + " - Соперник " + std::to_string(e);
        for (int o = 1; o <= core::outcome_count; ++o) {
            const std::int64_t quote = 2 + rng.uniform_int(0, 10);
            line.cell(e, o).quote_probability = core::Currency::from_units(quote);
            line.cell(e, o).pool_probability = core::Currency::from_units(std::max<std::int64_t>(1, quote + rng.uniform_int(-3, 3)));
        }
    }
    h.fetcher->answer(core::write_line_page(line, {"dl:09.12 18:00/19:00", "st:3,10"}));
    h.action("pool_rules")->trigger();
    auto* ok = h.window->findChild<QPushButton*>(QStringLiteral("pool_rules_ok"));
    if (!ok) return 6;
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
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
