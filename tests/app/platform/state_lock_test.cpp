// Two running copies and one state file: the second reads it but never overwrites the first's work.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/platform/working_state_store.h"
#include "core/formats/working_state.h"

namespace morvalen::app::testing {
namespace {

core::WorkingState state_with_memo(const std::string& memo) {
    core::WorkingState state;
    state.memo_text = memo;
    return state;
}

TEST(StateLock, ASecondCopyReadsTheStateButNeverWritesIt) {
    QTemporaryDir folder;
    WorkingStateStore first(folder.path());
    EXPECT_FALSE(first.in_use_elsewhere());
    ASSERT_TRUE(first.save_now(state_with_memo("first copy\n")));
    {
        WorkingStateStore second(folder.path());
        EXPECT_TRUE(second.in_use_elsewhere());
        EXPECT_EQ(second.load().state->memo_text, "first copy\n");
        EXPECT_FALSE(second.save_now(state_with_memo("second copy\n")));
        second.save_later(state_with_memo("second copy\n"));
        second.wait_until_written();
    }
    EXPECT_EQ(WorkingStateStore(folder.path() + QStringLiteral("/.")).load().state->memo_text, "first copy\n");
    ASSERT_TRUE(first.save_now(state_with_memo("first again\n")));
    EXPECT_EQ(first.load().state->memo_text, "first again\n");
}

TEST(StateLock, TheBackupStandsInForADamagedStateFile) {
    QTemporaryDir folder;
    WorkingStateStore store(folder.path());
    ASSERT_TRUE(store.save_now(state_with_memo("older\n")));
    ASSERT_TRUE(store.save_now(state_with_memo("newer\n")));
    QFile file(store.file_path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();  // an empty state file, as a full disk used to leave it
    const auto loaded = store.load();
    ASSERT_TRUE(loaded.state);
    EXPECT_TRUE(loaded.from_backup);
    EXPECT_EQ(loaded.state->memo_text, "older\n");
    EXPECT_FALSE(loaded.set_aside.isEmpty());
}

}  // namespace
}  // namespace morvalen::app::testing
