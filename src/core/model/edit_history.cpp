// Undo and redo as two stacks of snapshots under one step and byte budget.
#include "core/model/edit_history.h"

#include <utility>

namespace morvalen::core {

std::size_t LineFigures::bytes() const {
    std::size_t total = sizeof(EventTable) + caption.size() + events.acceptance_note.size();
    for (int e = 1; e <= event_count; ++e) total += events.event(e).name.size();
    return total;
}

bool LineFigures::operator==(const LineFigures& other) const {
    if (caption != other.caption || events.acceptance_note != other.events.acceptance_note) return false;
    for (int e = 1; e <= event_count; ++e) {
        if (events.event(e).name != other.events.event(e).name) return false;
        for (int o = 1; o <= outcome_count; ++o) {
            const OutcomeCell& a = events.cell(e, o);
            const OutcomeCell& b = other.events.cell(e, o);
            if (a.quote_probability != b.quote_probability || a.pool_probability != b.pool_probability ||
                a.setting_probability != b.setting_probability)
                return false;
        }
    }
    return true;
}

MarkState mark_state(const EventTable& table) {
    MarkState state;
    for (int e = 1; e <= event_count; ++e) {
        const auto d = static_cast<std::size_t>(e - 1);
        state.start_with[d] = table.event(e).start_with;
        for (int o = 1; o <= outcome_count; ++o) {
            state.marks[d][static_cast<std::size_t>(o - 1)] = static_cast<std::uint8_t>(table.cell(e, o).mark);
            state.yellow[d][static_cast<std::size_t>(o - 1)] = static_cast<std::uint8_t>(table.cell(e, o).yellow_mark);
        }
    }
    return state;
}

void restore_mark_state(const MarkState& marks, EventTable& table) {
    for (int e = 1; e <= event_count; ++e) {
        const auto d = static_cast<std::size_t>(e - 1);
        table.event(e).start_with = marks.start_with[d];
        for (int o = 1; o <= outcome_count; ++o) {
            table.cell(e, o).mark = marks.marks[d][static_cast<std::size_t>(o - 1)];
            table.cell(e, o).yellow_mark = marks.yellow[d][static_cast<std::size_t>(o - 1)];
        }
    }
}

LineFigures line_figures(const EventTable& table, std::string caption) { return {table, std::move(caption)}; }

void restore_line_figures(const LineFigures& figures, EventTable& table) {
    table.acceptance_note = figures.events.acceptance_note;
    for (int e = 1; e <= event_count; ++e) {
        table.event(e).name = figures.events.event(e).name;
        for (int o = 1; o <= outcome_count; ++o) {
            const OutcomeCell& from = figures.events.cell(e, o);
            OutcomeCell& into = table.cell(e, o);
            into.quote_probability = from.quote_probability;
            into.pool_probability = from.pool_probability;
            into.setting_probability = from.setting_probability;
        }
    }
}

EditHistory::Recorded EditHistory::record(PackageSnapshot before) {
    for (const PackageSnapshot& step : redo_) bytes_ -= step.bytes();
    redo_.clear();
    if (before.bytes() > limits_.max_bytes) {
        clear();
        return Recorded::too_large;
    }
    bytes_ += before.bytes();
    undo_.push_back(std::move(before));
    trim();
    return Recorded::kept;
}

std::optional<PackageSnapshot> EditHistory::undo(PackageSnapshot current) {
    return step(undo_, redo_, std::move(current));
}

std::optional<PackageSnapshot> EditHistory::redo(PackageSnapshot current) {
    return step(redo_, undo_, std::move(current));
}

// Undo and redo are one move seen from either side: take the step to return to, and keep the
// present on the other side so the move can be taken back.
std::optional<PackageSnapshot> EditHistory::step(std::deque<PackageSnapshot>& from,
                                                 std::deque<PackageSnapshot>& to, PackageSnapshot current) {
    if (from.empty()) return std::nullopt;
    PackageSnapshot target = std::move(from.back());
    from.pop_back();
    bytes_ -= target.bytes();
    if (current.bytes() > limits_.max_bytes) {
        // The present cannot be kept to move back to; the move itself still works.
        for (const PackageSnapshot& kept : to) bytes_ -= kept.bytes();
        to.clear();
    } else {
        bytes_ += current.bytes();
        to.push_back(std::move(current));
    }
    trim();
    return target;
}

void EditHistory::clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

void EditHistory::trim() {
    while (undo_.size() > limits_.max_steps) {
        bytes_ -= undo_.front().bytes();
        undo_.pop_front();
    }
    while (redo_.size() > limits_.max_steps) {
        bytes_ -= redo_.front().bytes();
        redo_.pop_front();
    }
    // The oldest undo steps go first; only when none is left does the far end of redo give way.
    while (bytes_ > limits_.max_bytes && !undo_.empty()) {
        bytes_ -= undo_.front().bytes();
        undo_.pop_front();
    }
    while (bytes_ > limits_.max_bytes && !redo_.empty()) {
        bytes_ -= redo_.front().bytes();
        redo_.pop_front();
    }
}

}  // namespace morvalen::core
