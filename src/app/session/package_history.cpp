// A burst of typing is one step, so that a hundred keystrokes do not push every command out of the
// history; a command or a pause of typing ends the burst.
#include "app/session/package_history.h"

#include "app/widgets/bet_memo.h"

namespace morvalen::app {
namespace {

constexpr int default_typing_pause_ms = 1500;

}  // namespace

PackageHistory::PackageHistory(core::Session& session, BetMemo& memo, PackageHistoryHooks hooks, QObject* parent)
    : QObject(parent), session_(session), memo_(memo), hooks_(std::move(hooks)) {
    typing_pause_.setSingleShot(true);
    typing_pause_.setInterval(default_typing_pause_ms);
    connect(&typing_pause_, &QTimer::timeout, this, &PackageHistory::close_typing);
    settled_ = current({});
}

core::PackageSnapshot PackageHistory::current(Keeps keeps) {
    core::PackageSnapshot state;
    state.memo_text = memo_.utf8_text().toStdString();
    state.bets = session_.bets;
    if (keeps.line) state.line = core::line_figures(session_.events, hooks_.caption ? hooks_.caption().toStdString() : "");
    if (keeps.marks) state.marks = core::mark_state(session_.events);
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
    if (session_.history.record(std::move(before)) == core::EditHistory::Recorded::too_large && hooks_.note)
        hooks_.note(QStringLiteral("история изменений очищена: шаг больше её предела"));
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
    session_.history.clear();
    settled_ = current({});
    Q_EMIT changed();
}

void PackageHistory::apply(const core::PackageSnapshot& state) {
    memo_.set_text_quietly(QString::fromStdString(state.memo_text));
    session_.bets = state.bets;
    if (state.line) {
        core::restore_line_figures(*state.line, session_.events);
        if (hooks_.show_line) hooks_.show_line(*state.line);
    }
    if (state.marks) {
        core::restore_mark_state(*state.marks, session_.events);
        if (hooks_.show_marks) hooks_.show_marks();
    }
    settled_ = state;
    settled_.line.reset();
    settled_.marks.reset();
    if (hooks_.refresh) hooks_.refresh();
    Q_EMIT changed();
}

void PackageHistory::undo() {
    close_typing();
    if (!session_.history.can_undo()) return;
    auto back = session_.history.undo(current({session_.history.undo_touches_line(), session_.history.undo_touches_marks()}));
    if (back) apply(*back);
}

void PackageHistory::redo() {
    close_typing();
    if (!session_.history.can_redo()) return;
    auto forward = session_.history.redo(current({session_.history.redo_touches_line(), session_.history.redo_touches_marks()}));
    if (forward) apply(*forward);
}

}  // namespace morvalen::app
