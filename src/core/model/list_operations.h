// Commands on the whole bet list: coupon, split into singles, remove repeats, remove variants.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/bet.h"
#include "core/model/event_table.h"

namespace morvalen::core {

// The stake per bet as the stake edit holds it: the floating value the player typed and its
// currency form (value × 10000, halves to even).
struct Stake {
    long double value = 3.1L;
    Currency currency() const { return Currency::from_floating(value); }
    static std::optional<Stake> parse(std::string_view text);
};

// One coupon of the marked outcomes: amount = stake × bet_count, halves to even.
BetEntry make_coupon(const EventTable& table, const Stake& stake);

struct SplitLowest {
    std::uint32_t low = 0;
    std::uint32_t rest = 0;
};
// The lowest bit value of a set and the rest; nullopt for a set of one outcome or none.
std::optional<SplitLowest> split_lowest(std::uint32_t set);

// The longest list a split may produce; beyond it the split is refused.
inline constexpr std::int64_t split_entry_limit = 20'000'000;

// Length of the list after splitting, or nullopt when it would pass `limit`.
std::optional<std::int64_t> split_length(const BetList& list, std::int64_t limit = split_entry_limit);

// Splits every entry into single bets (entry i keeps the lowest columns; split-off bets are appended
// in splitting order). The caller re-stakes through restake_singles. Returns an error message in the
// player's language, with the list unchanged, when the result would pass `limit` entries.
std::optional<std::string> split_into_singles(BetList& list, std::int64_t limit = split_entry_limit);

// The re-staking of the rewrite after a split: entries with a non-empty event 1 become single bets
// of one stake.
void restake_singles(BetList& list, Currency stake);

// Takes out every entry with bet_count 0 by moving the last entry into its place.
void remove_marked_entries(BetList& list);

// "Убрать повторы": later entries with the same eight sets are removed (last-into-place).
void remove_repeats(BetList& list);

// Marks (bet_count 0) the entries whose every set meets the event's marks; the caller splits first.
void mark_covered_variants(BetList& list, const EventTable& table);

// The memo lines of a list as the rewrite writes them: one line per entry, and an empty line for an
// entry with bet_count 0 so that the lines stay aligned with the entries.
std::vector<std::string> list_lines(const BetList& list);

}  // namespace morvalen::core
