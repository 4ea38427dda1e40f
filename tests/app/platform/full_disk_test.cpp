// Saves on a full file system: a 256 KiB tmpfs mounted in a mount namespace of the test's own, where
// the real window's working state, workbook, text and quotes saves run out of space.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/platform/whole_file_writer.h"
#include "app/session/working_state_keeper.h"
#include "app/platform/working_state_store.h"
#include "../files_harness.h"

namespace morvalen::app::testing {
namespace {

constexpr const char* inside_variable = "MORVALEN_FULL_DISK";

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes until the file system refuses; the filler is removed to free the space again.
void fill_up(const QString& filler) {
    QFile file(filler);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (file.write(block) == block.size()) {
    }
    // What a block no longer takes, a byte may.
    while (file.write("x", 1) == 1) {
    }
}

QString memo_of(int bets) {
    QStringList lines;
    for (int i = 0; i < bets; ++i) lines << QStringLiteral("1.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    return lines.join(QLatin1Char('\n'));
}

// Runs this test again inside `unshare -m` with a small tmpfs; skipped where mounting is not allowed.
bool run_inside_full_disk(const char* filter) {
    QTemporaryDir mount_point;
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("mount -t tmpfs -o size=256k morvalen-full-disk \"$1\" || exit 77; "
                                "%1=\"$1\" exec \"$2\" --gtest_filter=\"$3\"")
                     .arg(QLatin1String(inside_variable)),
                 QStringLiteral("sh"), mount_point.path(), QFile::symLinkTarget(QStringLiteral("/proc/self/exe")),
                 QLatin1String(filter)});
    if (!child.waitForStarted(5000)) return false;
    EXPECT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    if (child.exitCode() == 77 || (child.exitCode() == 1 && output.contains("unshare: "))) return false;
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return true;
}

TEST(FullDisk, TheLastGoodStateSurvivesThePlayerIsToldAndTheSaveIsRetried) {
    const QString disk = qEnvironmentVariable(inside_variable);
    if (disk.isEmpty()) {
        if (!run_inside_full_disk("FullDisk.TheLastGoodState*")) GTEST_SKIP() << "no mount namespace with a tmpfs here";
        return;
    }
    const QString state_file = QDir(disk).filePath(QStringLiteral("working-state.txt"));
    Harness h(QStringLiteral("http://127.0.0.1:1"), {}, disk);
    h.fetcher->answer(demo_line_page());
    auto* keeper = h.window->findChild<WorkingStateKeeper*>(QStringLiteral("working_state_keeper"));
    ASSERT_NE(keeper, nullptr);
    keeper->set_delay(10);
    keeper->set_retry_delay(200);

    h.memo_edit()->setPlainText(memo_of(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return read_all(state_file).contains("1.1|"); }, 5000));
    keeper->wait_until_written();
    const QByteArray good = read_all(state_file);

    const QString filler = QDir(disk).filePath(QStringLiteral("filler"));
    fill_up(filler);
    // About 40 KiB of memo, far more than is left.
    h.memo_edit()->setPlainText(memo_of(600));
    ASSERT_TRUE(QTest::qWaitFor([&] { return keeper->failing(); }, 5000));
    EXPECT_EQ(read_all(state_file), good);
    EXPECT_TRUE(h.window->windowTitle().contains(QStringLiteral("состояние не сохранено"))) << h.window->windowTitle().toStdString();
    // The exit's save fails the same way and still leaves the last good state.
    keeper->save_now();
    EXPECT_EQ(read_all(state_file), good);
    WorkingStateStore reader(disk + QStringLiteral("/../") + QDir(disk).dirName());
    EXPECT_EQ(reader.load().state->memo_text, memo_of(3).toStdString());

    // Space comes back: the retry writes the new state and the note goes.
    QFile::remove(filler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !keeper->failing(); }, 5000));
    keeper->wait_until_written();
    EXPECT_TRUE(read_all(state_file).size() > 30000);
    EXPECT_FALSE(h.window->windowTitle().contains(QStringLiteral("состояние не сохранено")));
    // The good state before it is kept as the backup.
    EXPECT_EQ(read_all(state_file + QStringLiteral(".bak")), good);
}

TEST(FullDisk, AFileSaveThatRunsOutOfSpaceLeavesTheOldFileAndSaysSo) {
    const QString disk = qEnvironmentVariable(inside_variable);
    if (disk.isEmpty()) {
        if (!run_inside_full_disk("FullDisk.AFileSave*")) GTEST_SKIP() << "no mount namespace with a tmpfs here";
        return;
    }
    const QString path = QDir(disk).filePath(QStringLiteral("package.txt"));
    ASSERT_TRUE(write_whole_file(path, "old package\r\n").ok);
    fill_up(QDir(disk).filePath(QStringLiteral("filler")));
    // Small enough to sit in a write buffer: the case that used to commit an empty file.
    for (const std::size_t size : {std::size_t{100}, std::size_t{10000}, std::size_t{100000}}) {
        const FileWrite written = write_whole_file(path, std::string(size, 'n'));
        EXPECT_FALSE(written.ok) << size;
        EXPECT_TRUE(written.error.contains(QStringLiteral("не удалось записать файл"))) << written.error.toStdString();
        EXPECT_EQ(read_all(path), "old package\r\n") << size;
    }
    const NewFile archive = write_new_file(disk, QStringLiteral("morvalen_trast.rar"), std::string(100000, 'a'));
    EXPECT_TRUE(archive.path.isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(disk).filePath(QStringLiteral("morvalen_trast.rar"))));
}

TEST(FullDisk, TheWindowsWorkbookTextAndQuotesSavesKeepTheOldFilesAndSaySo) {
    const QString disk = qEnvironmentVariable(inside_variable);
    if (disk.isEmpty()) {
        if (!run_inside_full_disk("FullDisk.TheWindowsWorkbook*")) GTEST_SKIP() << "no mount namespace with a tmpfs here";
        return;
    }
    FilesHarness h;
    h.load_demo_line();
    const QStringList saves{QStringLiteral("export_by_rows"), QStringLiteral("save_text"), QStringLiteral("save_quotes")};
    // The names chosen, and those saved (the text save always adds ".txt").
    const QStringList chosen{QStringLiteral("pack.xlsx"), QStringLiteral("pack"), QStringLiteral("quotes.txt")};
    const QStringList names{QStringLiteral("pack.xlsx"), QStringLiteral("pack.txt"), QStringLiteral("quotes.txt")};
    const auto save_all = [&] {
        for (int i = 0; i < saves.size(); ++i) {
            h.dialogs.save_answers = {QDir(disk).filePath(chosen[i])};
            h.action(saves[i].toLatin1().constData())->trigger();
        }
    };
    h.set_memo(memo_of(2));
    save_all();
    ASSERT_TRUE(h.boxes.boxes.empty()) << h.boxes.boxes[0].text.toStdString();
    QList<QByteArray> good;
    for (const QString& name : names) good << read_all(QDir(disk).filePath(name));
    for (int i = 0; i < names.size(); ++i) ASSERT_FALSE(good[i].isEmpty()) << names[i].toStdString();
    EXPECT_EQ(h.desktop.opened.size(), 1u);

    fill_up(QDir(disk).filePath(QStringLiteral("filler")));
    h.set_memo(memo_of(600));
    save_all();
    ASSERT_EQ(h.boxes.boxes.size(), 3u);
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(h.boxes.boxes[i].text.contains(QStringLiteral("Не удалось записать файл"))) << h.boxes.boxes[i].text.toStdString();
        EXPECT_EQ(read_all(QDir(disk).filePath(names[i])), good[i]) << names[i].toStdString();
    }
    // A workbook that was not saved is not opened either.
    EXPECT_EQ(h.desktop.opened.size(), 1u);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), names.size() + 1);
}

}  // namespace
}  // namespace morvalen::app::testing
