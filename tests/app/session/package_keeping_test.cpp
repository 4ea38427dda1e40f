// Undo and redo of the package, the saved working state and a line that does not arrive, in the
// real main window driven by keys, clicks and menu actions.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include "app/session/package_history.h"
#include "app/session/working_state_keeper.h"
#include "../line_host.h"
#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

const QString package = QStringLiteral(
    "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\n"
    "6.2|1-(1:0);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");

QString summary(const Harness& h) { return h.find<QLabel>("package_summary")->text(); }

// A key pressed in the memo of the active window, where the menu's shortcuts reach.
void press(const Harness& h, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (!h.window->isActiveWindow()) {
        h.window->show();
        h.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(h.window.get()));
    }
    h.memo_edit()->setFocus();
    // With the text given, function keys need no ASCII form.
    QTest::sendKeyEvent(QTest::Press, h.memo_edit(), key, QString(), modifiers);
    QTest::sendKeyEvent(QTest::Release, h.memo_edit(), key, QString(), modifiers);
}

// The player pastes a package into the memo.
void paste_into_memo(Harness& h, const QString& text) {
    h.memo_edit()->setFocus();
    h.clipboard.set_text(text);
    h.memo_edit()->insertPlainText(text);
}

TEST(PackageHistory, CtrlXClearsTheListAndCtrlZBringsThePackageAndItsStatisticsBack) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    paste_into_memo(h, package);
    const QString with_package = summary(h);
    ASSERT_EQ(with_package, "Ставок  3 (На сумму 9.3)");

    press(h, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_EQ(summary(h), "Ставок  0 (На сумму 0)");

    press(h, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(h.memo(), package);
    EXPECT_EQ(summary(h), with_package);
    EXPECT_EQ(h.window->session().bets.size(), 2u);

    press(h, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_TRUE(h.window->session().bets.empty());
    // Back again, and once more before the paste: the memo is empty, nothing further to undo.
    press(h, Qt::Key_Z, Qt::ControlModifier);
    press(h, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_FALSE(h.find<QAction>("undo")->isEnabled());
    EXPECT_TRUE(h.find<QAction>("redo")->isEnabled());
}

TEST(PackageHistory, CommandsAndABurstOfTypingAreStepsUndoneInTurn) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.find<PackageHistory>("package_history")->set_typing_pause(10);
    h.mark_every_event({1, 2});
    press(h, Qt::Key_D, Qt::ControlModifier);  // one coupon of 256 bets
    const QString coupon = h.memo();
    press(h, Qt::Key_O, Qt::ControlModifier);  // split into 256 singles
    const QString singles = h.memo();
    ASSERT_EQ(h.window->session().bets.size(), 256u);
    h.memo_edit()->moveCursor(QTextCursor::End);
    QTest::keyClick(h.memo_edit(), Qt::Key_Return);
    QTest::keyClicks(h.memo_edit(), "3.1|1-(1:0)");
    QTest::qWait(50);  // the pause ends the burst
    ASSERT_EQ(h.window->session().bets.size(), 257u);

    QAction* undo = h.find<QAction>("undo");
    undo->trigger();
    EXPECT_EQ(h.memo(), singles);
    EXPECT_EQ(h.window->session().bets.size(), 256u);
    undo->trigger();
    EXPECT_EQ(h.memo(), coupon);
    EXPECT_EQ(h.window->session().bets.size(), 1u);
    h.find<QAction>("redo")->trigger();
    EXPECT_EQ(h.memo(), singles);
    // A new command forgets what could be redone.
    press(h, Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(h.find<QAction>("redo")->isEnabled());
}

TEST(PackageHistory, TheNewCommandsSitInTheirMenusWithTheirShortcuts) {
    Harness h;
    const auto check = [&](const char* name, const char* caption, const char* keys, const char* menu) {
        QAction* action = h.find<QAction>(name);
        EXPECT_EQ(action->text(), QString::fromUtf8(caption));
        EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(keys)));
        ASSERT_FALSE(action->associatedObjects().isEmpty());
        auto* parent = qobject_cast<QMenu*>(action->associatedObjects().first());
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(parent->title(), QString::fromUtf8(menu));
    };
    check("undo", "Отменить", "Ctrl+Z", "Действия");
    check("redo", "Повторить", "Ctrl+Shift+Z", "Действия");
    check("refresh_line", "Обновить линию", "F5", "Файлы");
    // Ctrl+Y keeps its meaning.
    EXPECT_EQ(h.find<QAction>("remove_variants")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
}

// A window that keeps its working state in `folder`.
struct KeepingHarness : Harness {
    explicit KeepingHarness(const QString& folder) : Harness(QStringLiteral("http://127.0.0.1:1"), {}, folder) {}
};

std::string line_with_names(const std::string& prefix) {
    core::EventTable table;
    for (int e = 1; e <= core::event_count; ++e) table.event(e).name = prefix + " " + std::to_string(e);
    return core::write_line_page(table, {"st:3,10"});
}

TEST(WorkingState, TheNextStartFindsThePackageTheMarksAndTheSettings) {
    QTemporaryDir folder;
    QString package_text;
    {
        KeepingHarness first(folder.path());
        first.fetcher->answer(demo_line_page());
        first.mark_every_event({1, 2});
        first.click_cell(3, 4);
        press(first, Qt::Key_D, Qt::ControlModifier);
        package_text = first.memo();
        first.find<QSpinBox>("guarantee")->setValue(5);
        first.window->close();  // the exit writes the state
    }
    {
        KeepingHarness again(folder.path());
        // The memo waits for the line page.
        again.fetcher->answer(demo_line_page());
        EXPECT_EQ(again.memo(), package_text);
        EXPECT_EQ(again.window->session().bets.size(), 1u);
        EXPECT_EQ(again.find<QSpinBox>("guarantee")->value(), 5);
        EXPECT_EQ(core::marked_count(again.window->session().events, 1), 2);
        EXPECT_EQ(again.window->session().events.cell(4, 3).mark, 1);
        EXPECT_FALSE(again.window->windowTitle().contains(QStringLiteral("другого тиража")));
        again.window->close();
    }
    // Another draw: the memo comes back, the marks do not, and a note says why.
    KeepingHarness other(folder.path());
    other.fetcher->answer(line_with_names("Другой матч"));
    EXPECT_EQ(other.window->session().bets.size(), 1u);
    EXPECT_EQ(core::marked_count(other.window->session().events, 1), 0);
    EXPECT_TRUE(other.window->windowTitle().endsWith(QStringLiteral("отметки были сохранены для другого тиража")));
}

TEST(WorkingState, ADamagedFileIsSetAsideAndTheWindowStartsEmpty) {
    QTemporaryDir folder;
    QFile damaged(QDir(folder.path()).filePath(QStringLiteral("working-state.txt")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("morvalen-working-state 1\nmethod 9");
    damaged.close();
    KeepingHarness h(folder.path());
    h.fetcher->answer(demo_line_page());
    EXPECT_TRUE(h.memo().isEmpty());
    EXPECT_TRUE(h.window->windowTitle().endsWith(QStringLiteral("сохранённое состояние повреждено и отложено")));
    const QStringList files = QDir(folder.path()).entryList({QStringLiteral("working-state.txt*")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.first().startsWith(QStringLiteral("working-state.txt.damaged-")));
    // Work goes on and is saved afresh.
    h.mark_every_event({1});
    press(h, Qt::Key_D, Qt::ControlModifier);
    h.window->close();
    EXPECT_TRUE(QFile::exists(QDir(folder.path()).filePath(QStringLiteral("working-state.txt"))));
}

TEST(WorkingState, ChangesAreSavedAMomentLaterWithoutAnExit) {
    QTemporaryDir folder;
    KeepingHarness h(folder.path());
    h.fetcher->answer(demo_line_page());
    auto* keeper = h.find<WorkingStateKeeper>("working_state_keeper");
    keeper->set_delay(20);
    h.mark_every_event({1});
    press(h, Qt::Key_D, Qt::ControlModifier);
    QTest::qWait(100);
    keeper->wait_until_written();
    WorkingStateStore reader(folder.path());
    const auto loaded = reader.load();
    ASSERT_TRUE(loaded.state);
    EXPECT_EQ(QString::fromStdString(loaded.state->memo_text), h.memo());
}

// The line comes from a loopback host through the program's HTTP client with short limits.
struct NetworkHarness : Harness {
    explicit NetworkHarness(const QString& url) : Harness(url, {}, {}, fetcher_with_short_limits()) {}
    static std::shared_ptr<PageFetcher> fetcher_with_short_limits() {
        net::RequestLimits limits = net::page_limits();
        limits.connect = std::chrono::milliseconds(700);
        limits.total = std::chrono::milliseconds(1500);
        return std::make_shared<NetworkPageFetcher>(nullptr, limits);
    }
};

TEST(LineFailure, AClosedPortIsReportedWithTheHostAndTheCaptionStays) {
    LineHost host;
    NetworkHarness h(host.url());
    QTRY_COMPARE_WITH_TIMEOUT(h.boxes.boxes.size(), std::size_t{1}, 3000);
    EXPECT_EQ(h.boxes.boxes[0].title, "Ошибка");
    EXPECT_EQ(h.boxes.boxes[0].text,
              QStringLiteral("Не удалось получить линию с узла 127.0.0.1:%1: в подключении отказано.").arg(host.port()));
    EXPECT_EQ(h.window->windowTitle(), start_caption);
    // The program stays usable without a line: marks and the coupon work.
    h.mark_every_event({1});
    press(h, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(h.window->session().bets.size(), 1u);

    // The service comes up: F5 reads the line, and the marks of the still unnamed events stay.
    ASSERT_TRUE(host.open(LineHost::Mode::answering, demo_line_page()));
    press(h, Qt::Key_F5, Qt::NoModifier);
    QTRY_VERIFY_WITH_TIMEOUT(h.window->windowTitle().startsWith(QStringLiteral("Анализ вариантов")), 3000);
    EXPECT_EQ(h.grid()->cell(0, 1), "Команда 1 - Соперник 1");
    EXPECT_EQ(core::marked_count(h.window->session().events, 1), 1);
    EXPECT_EQ(h.boxes.boxes.size(), 1u);
}

TEST(LineFailure, AHostThatNeverAnswersIsReportedWithinTheTimeLimit) {
    LineHost host;
    ASSERT_TRUE(host.open(LineHost::Mode::silent));
    QElapsedTimer clock;
    clock.start();
    NetworkHarness h(host.url());
    QTRY_COMPARE_WITH_TIMEOUT(h.boxes.boxes.size(), std::size_t{1}, 5000);
    EXPECT_LT(clock.elapsed(), 1500 + 1000);
    EXPECT_TRUE(h.boxes.boxes[0].text.endsWith(QStringLiteral(": истекло время ожидания ответа.")));
    EXPECT_EQ(h.window->windowTitle(), start_caption);

    host.close();
    ASSERT_TRUE(host.open(LineHost::Mode::answering, demo_line_page()));
    h.find<QAction>("refresh_line")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(h.window->windowTitle().startsWith(QStringLiteral("Анализ вариантов")), 3000);
    EXPECT_EQ(h.grid()->cell(0, 8), "Команда 8 - Соперник 8");
}

}  // namespace
}  // namespace morvalen::app::testing
