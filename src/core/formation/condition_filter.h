// "Отбор по условиям": the single bets of the list that fail the conditions leave it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/model/bet.h"
#include "core/model/conditions.h"
#include "core/model/event_table.h"

namespace morvalen::core {

// An entry whose single bets all pass stays as it is, one whose single bets all fail goes, a mixed
// one is replaced in its place by its passing single bets at `stake`, event 1 varying slowest and
// outcomes in column order. An entry with no single bet (an empty set, bet_count 0) stays. Returns
// the refusal, with the list unchanged, when the probabilities cannot be used or the entries stand
// for more single bets than a split may produce.
// `origins`, when given, receives for each entry of the new list the place it had before, or
// new_single for a passing single bet split off a mixed coupon.
inline constexpr std::size_t new_single = static_cast<std::size_t>(-1);
std::optional<std::string> filter_by_conditions(BetList& list, const EventTable& table, const ConditionSet& set,
                                                Currency stake, std::vector<std::size_t>* origins = nullptr);

}  // namespace morvalen::core
