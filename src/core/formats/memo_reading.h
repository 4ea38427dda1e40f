// Which memo lines read as a whole bet over all 8 events, and what was not understood in the others.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/bet.h"

namespace morvalen::core {

// True when the entry names one outcome set in each of the 8 events and its bet count is the
// product of their sizes: every window then counts the same single bets for it.
bool reads_whole(const BetEntry& entry);

// What keeps a line from reading as a whole bet, in the player's words; empty when it reads whole
// (and for a blank line, which is no bet at all). `entry` is the line as the list read it.
std::string line_problem(std::string_view line, const BetEntry& entry);

struct UnreadLines {
    std::int64_t lines = 0;  // entries that are not blank and do not read whole
    std::int64_t bets = 0;   // the single bets the list counts for them
};

// Blank entries (nothing in any event, amount 0) are not counted.
UnreadLines unread_lines(const BetList& list);

// The list with every entry that does not read whole emptied (no sets, bet_count 0), in place, so
// that checks and tables over it keep the memo's line numbers.
BetList whole_bets_only(const BetList& list);

}  // namespace morvalen::core
