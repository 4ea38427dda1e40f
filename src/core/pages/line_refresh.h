// A fresh read of the line keeps the player's marks on the events it did not change.
#pragma once

#include <array>
#include <string>

#include "core/model/event_table.h"

namespace morvalen::core {

using EventNames = std::array<std::string, event_count>;

EventNames event_names(const EventTable& table);

// After the line was read again: an event that had a name and now has another is a new match, so
// its marks, yellow marks and start-with outcome go. Events that had no name yet (no line had been
// read) keep what the player marked meanwhile. Returns the number of events cleared.
int clear_marks_of_renamed_events(const EventNames& before, EventTable& table);

// True when the player has marked anything.
bool any_marks(const EventTable& table);

}  // namespace morvalen::core
