// The working state file in the user's data folder: read once at start, written atomically on a
// worker thread a moment after each change, and once more at exit.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <QString>

#include "core/working_state.h"

namespace morvalen::app {

class WorkingStateStore {
public:
    // folder empty: the program's data folder (QStandardPaths::AppDataLocation).
    explicit WorkingStateStore(QString folder = {});
    ~WorkingStateStore();
    WorkingStateStore(const WorkingStateStore&) = delete;
    WorkingStateStore& operator=(const WorkingStateStore&) = delete;

    QString file_path() const { return path_; }

    struct Loaded {
        std::optional<core::WorkingState> state;
        // Where a damaged or unreadable file was moved; empty when none was.
        QString set_aside;
        QString reason;
    };
    // A missing file gives no state; a damaged one is renamed aside so that it never blocks a start.
    Loaded load();

    // Hands the state to the writer thread; a state not yet written is replaced by the newer one.
    void save_later(core::WorkingState state);
    // Writes the state now, after any write in progress; false when it could not be written.
    bool save_now(const core::WorkingState& state);
    // Waits until every state handed over has been written (for tests and the exit).
    void wait_until_written();

private:
    bool write(const core::WorkingState& state);
    void run_writer();

    QString path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<core::WorkingState> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace morvalen::app
