// The working state file in the user's data folder: read once at start, written atomically on a
// worker thread a moment after each change, and once more at exit.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QLockFile>
#include <QString>

#include "core/formats/working_state.h"

namespace morvalen::app {

class WorkingStateStore {
public:
    // folder empty: the program's data folder (QStandardPaths::AppDataLocation).
    explicit WorkingStateStore(QString folder = {});
    ~WorkingStateStore();
    WorkingStateStore(const WorkingStateStore&) = delete;
    WorkingStateStore& operator=(const WorkingStateStore&) = delete;

    QString file_path() const { return path_; }
    // The previous good file, kept beside the state file while a new one replaces it.
    QString backup_path() const { return path_ + QStringLiteral(".bak"); }
    // Another running copy of the program holds the folder's lock: this one reads the state but
    // never writes it, so neither copy's work is silently overwritten.
    bool in_use_elsewhere() const { return !owns_lock_; }

    // Called on the writer thread after every write: whether it succeeded, and why not (Russian).
    void set_write_listener(std::function<void(bool ok, const QString& error)> listener);

    struct Loaded {
        std::optional<core::WorkingState> state;
        // Where a damaged or unreadable file was moved; empty when none was.
        QString set_aside;
        QString reason;
        // The state came from the backup, the state file being damaged or missing.
        bool from_backup = false;
    };
    // A missing file gives no state; a damaged one is renamed aside so that it never blocks a start,
    // and the backup, when it reads, stands in for it.
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
    std::unique_ptr<QLockFile> lock_;
    bool owns_lock_ = false;
    std::function<void(bool, const QString&)> listener_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<core::WorkingState> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace morvalen::app
