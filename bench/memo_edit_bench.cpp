// One edit of a 100,000-line bet memo in the real window: the memo's re-read and the summary refresh.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include "app/main_window.h"

namespace {

class SilentBoxes final : public morvalen::app::MessageBoxes {
public:
    void show_error(QWidget*, const QString&, const QString&) override {}
};

QString package_text(int lines) {
    QStringList all;
    all.reserve(lines);
    for (int i = 0; i < lines; ++i)
        all.append(QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(%1:2)#").arg(i % 4));
    return all.join(QLatin1Char('\n'));
}

// Typing one character at the end, then taking it away: each keystroke re-reads the whole memo.
void BM_MemoEditRereadAndStats(benchmark::State& state) {
    SilentBoxes boxes;
    morvalen::app::QtClipboard clipboard;
    morvalen::app::UnchangedKeyboardLayout layout;
    morvalen::app::WindowOptions options;
    options.platform = {&boxes, &clipboard, &layout};
    morvalen::app::MainWindow window(options);
    auto* grid = window.findChild<morvalen::app::OutcomeGrid*>(QStringLiteral("outcome_grid"));
    auto* memo = window.findChild<morvalen::app::BetMemo*>(QStringLiteral("bet_memo"));
    for (int e = 1; e <= 8; ++e) QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cell_rect(1, e).center());
    memo->setPlainText(package_text(static_cast<int>(state.range(0))));
    QTextCursor end = memo->textCursor();
    end.movePosition(QTextCursor::End);
    memo->setTextCursor(end);
    bool typed = false;
    for (auto _ : state) {
        QTest::keyClick(memo, typed ? Qt::Key_Backspace : Qt::Key_Space);
        typed = !typed;
    }
    if (window.session().bets.size() != static_cast<std::size_t>(state.range(0)))
        state.SkipWithError("the list does not follow the memo");
    state.counters["lines"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_MemoEditRereadAndStats)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
