// The state file on disk: written whole, read back, and a damaged file set aside without blocking.
#include "app/platform/working_state_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace morvalen::app {
namespace {

core::WorkingState state_with_memo(const std::string& memo) {
    core::WorkingState state;
    state.memo_text = memo;
    state.events[0].name = "Команда 1 - Соперник 1";
    state.events[0].marks[3] = 1;
    state.guarantee = 5;
    return state;
}

TEST(WorkingStateStore, AStateWrittenLaterIsReadByTheNextStart) {
    QTemporaryDir folder;
    {
        WorkingStateStore store(folder.path());
        EXPECT_FALSE(store.load().state);  // nothing saved yet: a plain start
        store.save_later(state_with_memo("first"));
        store.save_later(state_with_memo("second"));
        store.wait_until_written();
    }
    WorkingStateStore again(folder.path());
    const auto loaded = again.load();
    ASSERT_TRUE(loaded.state);
    EXPECT_EQ(loaded.state->memo_text, "second");
    EXPECT_EQ(loaded.state->guarantee, 5);
    // Writing leaves nothing but the file itself (and the running copy's lock).
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("working-state.lock"), QStringLiteral("working-state.txt")}));
}

TEST(WorkingStateStore, ADamagedFileIsSetAsideAndTheStartGoesOn) {
    QTemporaryDir folder;
    WorkingStateStore store(folder.path());
    ASSERT_TRUE(store.save_now(state_with_memo("3.1|1-(1:0)")));
    QFile file(store.file_path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(40);
    file.write("##");
    file.close();

    const auto loaded = store.load();
    EXPECT_FALSE(loaded.state);
    EXPECT_FALSE(loaded.reason.isEmpty());
    ASSERT_FALSE(loaded.set_aside.isEmpty());
    EXPECT_TRUE(QFile::exists(loaded.set_aside));
    EXPECT_FALSE(QFile::exists(store.file_path()));
    // The next save writes a good file again.
    ASSERT_TRUE(store.save_now(state_with_memo("again")));
    EXPECT_EQ(store.load().state->memo_text, "again");
}

}  // namespace
}  // namespace morvalen::app
