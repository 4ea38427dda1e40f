// The bounded undo and redo history of the package: whole snapshots of the memo text and the bet list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "core/model/bet.h"
#include "core/model/event_table.h"

namespace morvalen::core {

// The line's figures as a quotes file sets them: event names, the three probabilities per outcome,
// the acceptance note and the window caption. The marks are not among them.
struct LineFigures {
    EventTable events;
    std::string caption;

    std::size_t bytes() const;
    bool operator==(const LineFigures& other) const;
};

LineFigures line_figures(const EventTable& table, std::string caption);
// Puts the figures back into the table; the marks, yellow marks and start-with outcomes stay.
void restore_line_figures(const LineFigures& figures, EventTable& table);

// The marks of the grid: marked and yellow outcomes and the start-with outcome of every event.
struct MarkState {
    std::array<std::array<std::uint8_t, outcome_count>, event_count> marks{};
    std::array<std::array<std::uint8_t, outcome_count>, event_count> yellow{};
    std::array<std::uint8_t, event_count> start_with{};
    bool operator==(const MarkState&) const = default;
};

MarkState mark_state(const EventTable& table);
void restore_mark_state(const MarkState& marks, EventTable& table);

// The package as the player sees it: the memo text and the list that mirrors it. Both are kept,
// because a program-written list need not read back from its text exactly (partial lines).
struct PackageSnapshot {
    std::string memo_text;
    BetList bets;
    // Only for a step that changed the line (loading a quotes file): its figures before or after.
    std::optional<LineFigures> line;
    // Only for a step that changed the marks (a click in the grid, loading a quotes file).
    std::optional<MarkState> marks;

    // What the snapshot holds in memory, for the history's budget.
    std::size_t bytes() const {
        return memo_text.size() + bets.size() * sizeof(BetEntry) + (line ? line->bytes() : 0) +
               (marks ? sizeof(MarkState) : 0);
    }
    bool operator==(const PackageSnapshot&) const = default;
};

struct HistoryLimits {
    std::size_t max_steps = 100;
    std::size_t max_bytes = std::size_t{64} * 1024 * 1024;
};

class EditHistory {
public:
    explicit EditHistory(HistoryLimits limits = {}) : limits_(limits) {}

    enum class Recorded { kept, too_large };
    // Keeps the state before a change as one undo step and forgets the redo steps. A state that
    // alone passes the byte budget cannot be kept: the whole history is forgotten and too_large
    // tells the caller to say so.
    Recorded record(PackageSnapshot before);

    bool can_undo() const { return !undo_.empty(); }
    bool can_redo() const { return !redo_.empty(); }
    // The step undo or redo would take changed the line: the caller hands in the present with its
    // line figures, so that the step can be taken back the other way.
    bool undo_touches_line() const { return !undo_.empty() && undo_.back().line.has_value(); }
    bool redo_touches_line() const { return !redo_.empty() && redo_.back().line.has_value(); }
    bool undo_touches_marks() const { return !undo_.empty() && undo_.back().marks.has_value(); }
    bool redo_touches_marks() const { return !redo_.empty() && redo_.back().marks.has_value(); }
    // The state to go back to; `current` is kept for redo. Nullopt (and nothing kept) when there is
    // no step.
    std::optional<PackageSnapshot> undo(PackageSnapshot current);
    // The state to go forward to; `current` is kept for undo.
    std::optional<PackageSnapshot> redo(PackageSnapshot current);

    void clear();
    std::size_t undo_steps() const { return undo_.size(); }
    std::size_t redo_steps() const { return redo_.size(); }
    // Bytes held by both directions together; never above the budget.
    std::size_t bytes() const { return bytes_; }
    const HistoryLimits& limits() const { return limits_; }

private:
    // Drops the steps farthest from the present until both budgets hold.
    void trim();
    std::optional<PackageSnapshot> step(std::deque<PackageSnapshot>& from, std::deque<PackageSnapshot>& to,
                                        PackageSnapshot current);

    HistoryLimits limits_;
    std::deque<PackageSnapshot> undo_;  // back is the most recent
    std::deque<PackageSnapshot> redo_;  // back is the next to redo
    std::size_t bytes_ = 0;
};

}  // namespace morvalen::core
