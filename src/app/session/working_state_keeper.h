// Saves the player's working state a moment after each change (coalesced) and at exit, and holds
// saved marks until the line they were made for has been read.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QTimer>

#include "app/platform/working_state_store.h"
#include "core/formats/working_state.h"

namespace morvalen::app {

class WorkingStateKeeper : public QObject {
    Q_OBJECT
public:
    // capture gives the state as the window holds it now; folder empty: the program's data folder.
    WorkingStateKeeper(QString folder, std::function<core::WorkingState()> capture, QObject* parent = nullptr);
    ~WorkingStateKeeper() override;

    WorkingStateStore::Loaded load() { return store_.load(); }
    QString file_path() const { return store_.file_path(); }
    bool in_use_elsewhere() const { return store_.in_use_elsewhere(); }
    // The last save failed and a retry is due.
    bool failing() const { return failing_; }
    void set_retry_delay(int milliseconds) { retry_.setInterval(milliseconds); }

    // Something the state holds changed: it is written about a second later, once for a burst.
    void changed();
    // Writes the present state now (at exit).
    void save_now();
    void set_delay(int milliseconds) { timer_.setInterval(milliseconds); }
    // Waits for the writer (tests).
    void wait_until_written() { store_.wait_until_written(); }

    // Saved marks waiting for their line; saving meanwhile keeps them in the file.
    void hold_marks(core::WorkingState saved) { held_ = std::move(saved); }
    const std::optional<core::WorkingState>& held_marks() const { return held_; }
    void drop_held_marks() { held_.reset(); }

Q_SIGNALS:
    // A save failed (why, in Russian); it is tried again after the retry delay until one succeeds.
    void save_failed(const QString& reason);
    // The first successful save after failed ones.
    void save_recovered();

private:
    core::WorkingState state_to_save();
    void written(bool ok, const QString& error);

    WorkingStateStore store_;
    std::function<core::WorkingState()> capture_;
    std::optional<core::WorkingState> held_;
    QTimer timer_;
    QTimer retry_;
    bool failing_ = false;
};

}  // namespace morvalen::app
