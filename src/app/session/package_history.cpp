// A burst of typing is one step, so that a hundred keystrokes do not push every command out of the
// history; a command or a pause of typing ends the burst.
#include "app/session/package_history.h"

#include "app/widgets/bet_memo.h"

namespace morvalen::app {
namespace {

constexpr int default_typing_pause_ms = 1500;

}  // namespace

PackageHistory::PackageHistory(SessionModel& model, BetMemo& memo, QWidget& captioned, QObject* parent)
    : QObject(parent), model_(model), memo_(memo), captioned_(captioned) {
    typing_pause_.setSingleShot(true);
    typing_pause_.setInterval(default_typing_pause_ms);
    connect(&typing_pause_, &QTimer::timeout, this, &PackageHistory::close_typing);
    settled_ = current({});
}

core::PackageSnapshot PackageHistory::current(Keeps keeps) {
    core::PackageSnapshot state;
    state.memo_text = memo_.utf8_text().toStdString();
    const core::Session& session = model_.session();
    state.bets = session.bets;
    if (keeps.line) state.line = core::line_figures(session.events, captioned_.windowTitle().toStdString());
    if (keeps.marks) state.marks = core::mark_state(session.events);
    return state;
}

PackageHistory::Step::Step(PackageHistory& history, Keeps keeps) : history_(history), outer_(!history.in_step_) {
    if (!outer_) return;
    history_.close_typing();
    before_ = history_.current(keeps);
    history_.in_step_ = true;
}

PackageHistory::Step::~Step() {
    if (!outer_) return;
    history_.in_step_ = false;
    history_.commit(std::move(before_));
}

void PackageHistory::commit(core::PackageSnapshot before) {
    core::PackageSnapshot after = current({before.line.has_value(), before.marks.has_value()});
    const bool same = after == before;
    if (!same) keep(std::move(before));
    settled_ = std::move(after);
    settled_.line.reset();
    settled_.marks.reset();
    if (same) return;
    Q_EMIT changed();
}

void PackageHistory::keep(core::PackageSnapshot before) {
    // The history is no view's: keeping a step announces nothing.
    if (model_.change(0)->history.record(std::move(before)) == core::EditHistory::Recorded::too_large)
        Q_EMIT caption_note(QStringLiteral("история изменений очищена: шаг больше её предела"));
}

void PackageHistory::typed() {
    if (in_step_) return;
    typing_pause_.start();
    if (typing_) return;
    typing_ = true;
    keep(std::move(settled_));
    settled_ = {};
    Q_EMIT changed();
}

void PackageHistory::close_typing() {
    typing_pause_.stop();
    if (!typing_) return;
    typing_ = false;
    settled_ = current({});
}

void PackageHistory::reset() {
    typing_pause_.stop();
    typing_ = false;
    model_.change(0)->history.clear();
    settled_ = current({});
    Q_EMIT changed();
}

void PackageHistory::apply(const core::PackageSnapshot& state) {
    {
        using Change = SessionModel::Change;
        const SessionModel::Edit edit = model_.change(Change::package | (state.line ? Change::line : 0U) |
                                                      (state.marks ? Change::marks : 0U));
        memo_.set_text_quietly(QString::fromStdString(state.memo_text));
        edit->bets = state.bets;
        if (state.line) {
            core::restore_line_figures(*state.line, edit->events);
            captioned_.setWindowTitle(QString::fromStdString(state.line->caption));
        }
        if (state.marks) core::restore_mark_state(*state.marks, edit->events);
        settled_ = state;
        settled_.line.reset();
        settled_.marks.reset();
    }
    Q_EMIT changed();
}

bool PackageHistory::undo() {
    close_typing();
    const core::EditHistory& history = model_.session().history;
    if (!history.can_undo()) return false;
    auto back = model_.change(0)->history.undo(current({history.undo_touches_line(), history.undo_touches_marks()}));
    if (back) apply(*back);
    return back.has_value();
}

bool PackageHistory::redo() {
    close_typing();
    const core::EditHistory& history = model_.session().history;
    if (!history.can_redo()) return false;
    auto forward = model_.change(0)->history.redo(current({history.redo_touches_line(), history.redo_touches_marks()}));
    if (forward) apply(*forward);
    return forward.has_value();
}

}  // namespace morvalen::app
