// The working state outlives a crash: a child process forms a package in the real window and is
// killed with SIGKILL; the next start with the same data folder shows the package again.
#include <csignal>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

#include "app/widgets/bet_memo.h"
#include "app/windows/main_window.h"
#include "app/widgets/outcome_grid.h"
#include "app/windows/texts.h"
#include "core/formats/working_state.h"

namespace {

using namespace morvalen;

class SilentBoxes final : public app::MessageBoxes {
public:
    void show_error(QWidget*, const QString&, const QString&) override {}
};

// The window as the program makes it, with the working state kept in the data folder of the environment.
std::unique_ptr<app::MainWindow> program_window(SilentBoxes& boxes, app::QtClipboard& clipboard,
                                               app::UnchangedKeyboardLayout& layout) {
    app::WindowOptions options;
    options.platform = {&boxes, &clipboard, &layout};
    options.keep_working_state = true;
    return std::make_unique<app::MainWindow>(options);
}

// Child: marks two outcomes in every event, adds them as a coupon, says so and waits to be killed.
int form_package() {
    SilentBoxes boxes;
    app::QtClipboard clipboard;
    app::UnchangedKeyboardLayout layout;
    auto window = program_window(boxes, clipboard, layout);
    window->show();
    auto* grid = window->findChild<app::OutcomeGrid*>(QStringLiteral("outcome_grid"));
    for (int e = 1; e <= 8; ++e)
        for (int c : {1, 2}) QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cell_rect(c, e).center());
    window->findChild<QAction*>(QStringLiteral("add_coupon"))->trigger();
    auto* memo = window->findChild<app::BetMemo*>(QStringLiteral("bet_memo"));
    std::printf("FORMED %s\n", memo->memo_text().toUtf8().constData());
    std::fflush(stdout);
    return QApplication::exec();
}

// Child: starts, and prints the memo it restored.
int report_package() {
    SilentBoxes boxes;
    app::QtClipboard clipboard;
    app::UnchangedKeyboardLayout layout;
    auto window = program_window(boxes, clipboard, layout);
    auto* memo = window->findChild<app::BetMemo*>(QStringLiteral("bet_memo"));
    std::printf("RESTORED %s\n", memo->memo_text().toUtf8().constData());
    std::fflush(stdout);
    return 0;
}

QProcessEnvironment child_environment(const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return environment;
}

QString run_to_line(QProcess& child, const QString& prefix, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (clock.elapsed() < timeout_ms) {
        child.waitForReadyRead(200);
        out += child.readAllStandardOutput();
        const qsizetype at = out.indexOf(prefix.toUtf8());
        if (at >= 0) {
            const qsizetype end = out.indexOf('\n', at);
            if (end >= 0) return QString::fromUtf8(out.mid(at + prefix.size(), end - at - prefix.size()));
        }
    }
    return QStringLiteral("<nothing within the time>");
}

TEST(WorkingStateCrash, APackageFormedBeforeSigkillIsBackAtTheNextStart) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcess former;
    former.setProcessEnvironment(child_environment(home.path()));
    former.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--form-package")});
    const QString formed = run_to_line(former, QStringLiteral("FORMED "), 60000);
    ASSERT_TRUE(formed.startsWith(QStringLiteral("793.6|1-(1:0,2:0);2-(1:0,2:0);"))) << formed.toStdString();
    // A few seconds of nothing, then the crash: no exit handler runs.
    QTest::qWait(3000);
    ::kill(static_cast<pid_t>(former.processId()), SIGKILL);
    former.waitForFinished(10000);
    EXPECT_EQ(former.exitStatus(), QProcess::CrashExit);

    QProcess reporter;
    reporter.setProcessEnvironment(child_environment(home.path()));
    reporter.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--report-package")});
    EXPECT_EQ(run_to_line(reporter, QStringLiteral("RESTORED "), 60000), formed);
    reporter.waitForFinished(20000);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(app::app_title);
    if (argc > 1 && std::string(argv[1]) == "--form-package") return form_package();
    if (argc > 1 && std::string(argv[1]) == "--report-package") return report_package();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
