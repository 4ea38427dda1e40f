// Package commands over the session's list and its memo.
#include "core/model/session.h"

#include "core/formation/condition_filter.h"

namespace morvalen::core {

void Session::append_bet(const BetEntry& entry) {
    bets.push_back(entry);
    if (memo) memo->append_line(format_bet(entry));
}

void Session::rebuild_bet_memo(bool as_singles) {
    if (as_singles) restake_singles(bets, settings.stake.currency());
    if (memo) memo->replace_all(list_lines(bets));
}

std::optional<std::string> Session::split_into_singles() {
    if (bets.empty()) return std::nullopt;
    if (auto refused = core::split_into_singles(bets)) return refused;
    rebuild_bet_memo(true);
    return std::nullopt;
}

void Session::remove_repeats() {
    core::remove_repeats(bets);
    rebuild_bet_memo(false);
}

std::optional<std::string> Session::remove_variants() {
    if (auto refused = split_into_singles()) return refused;
    mark_covered_variants(bets, events);
    remove_marked_entries(bets);
    rebuild_bet_memo(false);
    return std::nullopt;
}

void Session::remove_unreadable_entries() {
    std::vector<std::size_t> removed;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bets.size(); ++i) {
        if (is_unreadable_entry(bets[i])) {
            removed.push_back(i);
            continue;
        }
        if (kept != i) bets[kept] = bets[i];
        ++kept;
    }
    bets.resize(kept);
    if (memo)
        for (auto it = removed.rbegin(); it != removed.rend(); ++it) memo->remove_line(*it);
}

std::optional<std::string> Session::filter_by_conditions(const std::vector<std::string>& memo_lines) {
    const bool mirrored = memo_lines.size() == bets.size();
    std::vector<std::size_t> origins;
    if (auto refused = core::filter_by_conditions(bets, events, conditions, settings.stake.currency(), &origins)) return refused;
    if (!mirrored) {
        rebuild_bet_memo(false);
        return std::nullopt;
    }
    // An entry that stays is the player's line as it was, unreadable or not.
    std::vector<std::string> lines;
    lines.reserve(bets.size());
    for (std::size_t i = 0; i < bets.size(); ++i)
        lines.push_back(origins[i] == new_single ? format_bet(bets[i]) : memo_lines[origins[i]]);
    if (memo) memo->replace_all(lines);
    return std::nullopt;
}

void Session::clear() {
    bets.clear();
    if (memo) memo->replace_all({});
}

}  // namespace morvalen::core
