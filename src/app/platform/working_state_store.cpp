// The state file is written whole or not at all (whole_file_writer.h), the previous one kept as
// ".bak", so neither a crash nor a full disk loses the last good state; the writing happens off the
// window's thread, so a long memo never slows typing.
#include "app/platform/working_state_store.h"

#include <sstream>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "app/platform/whole_file_writer.h"

namespace morvalen::app {
namespace {

constexpr const char* file_name = "working-state.txt";
constexpr const char* lock_name = "working-state.lock";

core::WorkingStateRead read_state_file(const QString& path) {
    core::WorkingStateRead read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = file.errorString().toStdString();
        return read;
    }
    const qint64 size = file.size();
    if (size <= 0) {
        read.error = "the file is empty";
    } else if (static_cast<std::size_t>(size) > core::working_state_max_bytes) {
        read.error = "the file is too large";
    } else {
        std::istringstream in(file.readAll().toStdString());
        read = core::read_working_state(in);
    }
    return read;
}

}  // namespace

WorkingStateStore::WorkingStateStore(QString folder) {
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    path_ = QDir(folder).filePath(QLatin1String(file_name));
    QDir().mkpath(folder);
    lock_ = std::make_unique<QLockFile>(QDir(folder).filePath(QLatin1String(lock_name)));
    // A lock left by a copy that died is found stale by its process id and taken over.
    owns_lock_ = lock_->tryLock(0);
    writer_ = std::thread([this] { run_writer(); });
}

WorkingStateStore::~WorkingStateStore() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_.join();
}

WorkingStateStore::Loaded WorkingStateStore::load() {
    Loaded loaded;
    const bool have_backup = QFileInfo(backup_path()).isFile();
    if (!QFileInfo::exists(path_) && !have_backup) return loaded;
    core::WorkingStateRead read;
    if (QFileInfo::exists(path_)) {
        read = read_state_file(path_);
        if (read.state) {
            loaded.state = std::move(read.state);
            return loaded;
        }
        loaded.reason = QString::fromStdString(read.error);
        // Kept for a look by hand, and never by the copy that does not own the state; the next save
        // starts a fresh file.
        if (owns_lock_) {
            const QString aside = path_ + QStringLiteral(".damaged-") +
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
            QFile::remove(aside);
            loaded.set_aside = QFile::rename(path_, aside) ? aside : QString();
            if (loaded.set_aside.isEmpty()) QFile::remove(path_);
        }
    }
    if (have_backup) {
        core::WorkingStateRead backup = read_state_file(backup_path());
        if (backup.state) {
            loaded.state = std::move(backup.state);
            loaded.from_backup = true;
        }
    }
    return loaded;
}

void WorkingStateStore::set_write_listener(std::function<void(bool, const QString&)> listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void WorkingStateStore::save_later(core::WorkingState state) {
    if (!owns_lock_) return;
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(state);
    }
    wake_.notify_all();
}

bool WorkingStateStore::save_now(const core::WorkingState& state) {
    if (!owns_lock_) return false;
    std::unique_lock lock(mutex_);
    pending_.reset();
    idle_.wait(lock, [this] { return !writing_; });
    writing_ = true;
    lock.unlock();
    const bool written = write(state);
    lock.lock();
    writing_ = false;
    idle_.notify_all();
    return written;
}

void WorkingStateStore::wait_until_written() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !writing_ && !pending_; });
}

bool WorkingStateStore::write(const core::WorkingState& state) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    std::ostringstream out;
    core::write_working_state(out, state);
    const std::string bytes = std::move(out).str();
    const FileWrite written = write_whole_file(path_, bytes, backup_path());
    std::function<void(bool, const QString&)> listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener) listener(written.ok, written.error);
    return written.ok;
}

void WorkingStateStore::run_writer() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || (pending_ && !writing_); });
        if (pending_ && !writing_) {
            core::WorkingState state = std::move(*pending_);
            pending_.reset();
            writing_ = true;
            lock.unlock();
            // A failed write is reported to the listener, which tells the player and tries again later.
            (void)write(state);
            lock.lock();
            writing_ = false;
            idle_.notify_all();
            continue;
        }
        if (stopping_) return;
    }
}

}  // namespace morvalen::app
