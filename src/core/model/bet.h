// Bet entries and the bet notation: amount|1-(…);2-(…);…;8-(…)#
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/currency.h"
#include "core/model/outcomes.h"

namespace morvalen::core {

// One single bet or coupon: a set per event, the money staked on it and the single bets it stands for.
// bet_count 0 marks an entry that is unreadable or marked for removal.
struct BetEntry {
    std::array<OutcomeSet, event_count> outcome_sets{};  // index 0 is event 1
    Currency amount;
    std::int64_t bet_count = 0;

    OutcomeSet& set(int e) { return outcome_sets[e - 1]; }
    const OutcomeSet& set(int e) const { return outcome_sets[e - 1]; }
    bool operator==(const BetEntry&) const = default;
};

using BetList = std::vector<BetEntry>;

// The line of an entry; an entry with an empty set ends after the group before it (with ";", or
// "|" when event 1 is empty) and without "#"; a complete entry with bet_count 0 gives "".
std::string format_bet(const BetEntry& entry);

// Reads a line; nullopt when it cannot be read (no "|", an amount or event number that is not a
// number, an event number outside 1 to 8, a bet count beyond 64 bits).
std::optional<BetEntry> try_parse_bet_line(std::string_view line);

// Never fails: an unreadable line gives the empty entry (sets empty, amount 0, bet_count 0).
BetEntry parse_bet_line(std::string_view line);

// Removes blanks and control characters (every byte up to the blank) at both ends.
std::string_view trim_blanks(std::string_view text);

// Every part between separators, empty ones included: "a;;b" gives "a", "", "b".
std::vector<std::string_view> split_at(std::string_view text, char separator);

// The memo's lines: split on LF (a CR before it is dropped); a break at the very end adds no line.
std::vector<std::string_view> memo_lines(std::string_view text);

// Reads every line of the memo into the list (resized once).
void read_memo(std::string_view text, BetList& list);

}  // namespace morvalen::core
