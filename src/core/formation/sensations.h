// The package by sensations: every choice of one yellow outcome or the ordinary group per event.
#pragma once

#include <cstdint>

#include "core/model/bet.h"
#include "core/model/event_table.h"

namespace morvalen::core {

class Session;
struct FormationSettings;

// Every choice whose yellow count lies in the settings' bounds, at the settings' stake times its bets.
// Yellow outcomes of an event come first in column order, the ordinary group last; an earlier event
// varies more slowly.
BetList sensation_bets(const EventTable& table, const FormationSettings& settings);

// Appends sensation_bets over the session's marks and settings.
void form_by_sensations(Session& session);

}  // namespace morvalen::core
