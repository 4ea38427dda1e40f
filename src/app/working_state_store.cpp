// The state file is written through QSaveFile, so a crash or power cut mid-write leaves the previous
// file whole; the writing happens off the window's thread, so a long memo never slows typing.
#include "app/working_state_store.h"

#include <sstream>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace morvalen::app {
namespace {

constexpr const char* file_name = "working-state.txt";

}  // namespace

WorkingStateStore::WorkingStateStore(QString folder) {
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    path_ = QDir(folder).filePath(QLatin1String(file_name));
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
    QFile file(path_);
    if (!file.exists()) return loaded;
    core::WorkingStateRead read;
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = file.errorString().toStdString();
    } else {
        const qint64 size = file.size();
        if (size < 0 || static_cast<std::size_t>(size) > core::working_state_max_bytes) {
            read.error = "the file is too large";
        } else {
            std::istringstream in(file.readAll().toStdString());
            read = core::read_working_state(in);
        }
        file.close();
    }
    if (read.state) {
        loaded.state = std::move(read.state);
        return loaded;
    }
    // Kept for a look by hand; the next save starts a fresh file.
    const QString aside = path_ + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QFile::remove(aside);
    loaded.set_aside = QFile::rename(path_, aside) ? aside : QString();
    if (loaded.set_aside.isEmpty()) QFile::remove(path_);
    loaded.reason = QString::fromStdString(read.error);
    return loaded;
}

void WorkingStateStore::save_later(core::WorkingState state) {
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(state);
    }
    wake_.notify_all();
}

bool WorkingStateStore::save_now(const core::WorkingState& state) {
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
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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
            // A failed write is tried again with the next change; there is nothing the player could do now.
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
