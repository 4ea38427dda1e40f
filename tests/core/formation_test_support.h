// Shared helpers of the formation tests: a memo that records lines, markings and single bets.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/model/session.h"

namespace morvalen::test {

struct LinesMemo : core::MemoSink {
    std::vector<std::string> lines;
    void append_line(const std::string& line) override { lines.push_back(line); }
    void replace_all(const std::vector<std::string>& all) override { lines = all; }
    void remove_line(std::size_t index) override { lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index)); }
};

inline void mark(core::EventTable& table, int e, std::initializer_list<int> columns) {
    for (int c : columns) table.cell(e, c).mark = 1;
}

// Marks columns 1 … counts[e] in every event.
inline void mark_first(core::EventTable& table, std::array<int, 8> counts) {
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= counts[e - 1]; ++c) table.cell(e, c).mark = 1;
}

inline core::BetEntry single(std::array<int, 8> columns, core::Currency amount = core::Currency::from_ten_thousandths(31000)) {
    core::BetEntry entry;
    entry.amount = amount;
    entry.bet_count = 1;
    for (int e = 0; e < 8; ++e) entry.outcome_sets[e] = core::OutcomeSet::of_column(columns[e]);
    return entry;
}

}  // namespace morvalen::test
