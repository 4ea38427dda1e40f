// One edit of a 100,000-line bet memo in the real window: the memo's re-read and the summary refresh,
// and the same with the working state saved and the undo history kept at every keystroke.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "app/windows/main_window.h"
#include "app/session/package_history.h"
#include "app/session/working_state_keeper.h"

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
// With keeping on the window's timers run after every keystroke. Worst case: the save delay and the
// typing pause are zero, so each keystroke is saved and closes its own undo step; otherwise the
// program's own delays (a save about once a second, a step per pause).
void type_in_long_memo(benchmark::State& state, bool keeping, bool worst_case = false) {
    SilentBoxes boxes;
    morvalen::app::QtClipboard clipboard;
    morvalen::app::UnchangedKeyboardLayout layout;
    morvalen::app::WindowOptions options;
    options.platform = {&boxes, &clipboard, &layout};
    QTemporaryDir folder;
    options.keep_working_state = keeping;
    options.state_folder = folder.path();
    morvalen::app::MainWindow window(options);
    auto* keeper = window.findChild<morvalen::app::WorkingStateKeeper*>(QStringLiteral("working_state_keeper"));
    if (worst_case) {
        if (keeper) keeper->set_delay(0);
        window.findChild<morvalen::app::PackageHistory*>(QStringLiteral("package_history"))->set_typing_pause(0);
    }
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
        if (keeping) QCoreApplication::processEvents();
    }
    if (keeper) keeper->wait_until_written();
    if (window.session().bets.size() != static_cast<std::size_t>(state.range(0)))
        state.SkipWithError("the list does not follow the memo");
    state.counters["lines"] = static_cast<double>(state.range(0));
}
void BM_MemoEditRereadAndStats(benchmark::State& state) { type_in_long_memo(state, false); }
BENCHMARK(BM_MemoEditRereadAndStats)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_MemoEditWithSaving(benchmark::State& state) { type_in_long_memo(state, true); }
BENCHMARK(BM_MemoEditWithSaving)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_MemoEditSavedAndKeptEveryKeystroke(benchmark::State& state) { type_in_long_memo(state, true, true); }
BENCHMARK(BM_MemoEditSavedAndKeptEveryKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
