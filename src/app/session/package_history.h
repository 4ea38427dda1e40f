// Undo and redo of the package in the window: snapshots around each command and each burst of typing.
#pragma once

#include <optional>

#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "core/model/edit_history.h"
#include "app/session/session_model.h"

namespace morvalen::app {

class BetMemo;

// What a step keeps besides the package: the line's figures, the grid's marks.
struct StepKeeps {
    bool line = false;
    bool marks = false;
};

class PackageHistory : public QObject {
    Q_OBJECT
public:
    // The window's caption is kept with a step that changes the line and put back with it; what a
    // step puts back is announced through the model.
    PackageHistory(SessionModel& model, BetMemo& memo, QWidget& captioned, QObject* parent = nullptr);

    // One command as one step: made before the command, kept (when anything changed) when it ends.
    // with_line also keeps the line's figures (loading quotes), with_marks the grid's marks (a click).
    // Edits of the memo meanwhile are the command's own, not typing.
    using Keeps = StepKeeps;
    class Step {
    public:
        Step(PackageHistory& history, Keeps keeps);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        PackageHistory& history_;
        core::PackageSnapshot before_;
        bool outer_;
    };
    Step step(Keeps keeps = {}) { return Step(*this, keeps); }
    // The player changed the memo text: the first change after a pause opens one step for the burst.
    void typed();
    // Forgets every step: the package was replaced from outside (the saved state at start).
    void reset();

    // Each says whether it put a state back.
    bool undo();
    bool redo();
    bool can_undo() const { return model_.session().history.can_undo(); }
    bool can_redo() const { return model_.session().history.can_redo(); }

    // A pause in typing of this length ends the burst; tests shorten it.
    void set_typing_pause(int milliseconds) { typing_pause_.setInterval(milliseconds); }

Q_SIGNALS:
    // The package changed through undo or redo, or a step was kept: save and update the commands.
    void changed();
    // A short note for the caption: the history had to be cleared.
    void caption_note(const QString& note);

private:
    core::PackageSnapshot current(Keeps keeps);
    void commit(core::PackageSnapshot before);
    void close_typing();
    void apply(const core::PackageSnapshot& state);
    void keep(core::PackageSnapshot before);

    SessionModel& model_;
    BetMemo& memo_;
    QWidget& captioned_;
    // The package at the end of the last step: what a burst of typing started from.
    core::PackageSnapshot settled_;
    bool typing_ = false;
    bool in_step_ = false;
    QTimer typing_pause_;
};

}  // namespace morvalen::app
