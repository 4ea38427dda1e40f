// The nearest brief systems: formulas of shapes and the two-pass choice of the systems to list.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/pages/brief_system_list.h"
#include "core/model/event_table.h"

namespace morvalen::core {

// "2 по 3 + 3 по 2" for the counts 3, 3, 2, 2, 2, 1, 1, 1; single-outcome events are not named.
std::string system_formula(const MarkedCounts& counts);

// The two largest marked counts of the line, as a brief-system request orders the events.
std::pair<int, int> two_largest_marked_counts(const EventTable& table);

// The grid: the header ("Формула", "Ставок"), then every system whose two largest counts are m1 and
// m2 in list order; when fewer than 4 match, every system with m1 and another second count follows.
// Without any match, one empty row under the header.
std::vector<std::pair<std::string, std::string>> nearest_system_rows(const BriefSystemList& list, int m1, int m2);

}  // namespace morvalen::core
