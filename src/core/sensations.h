// The package by sensations: every choice of one yellow outcome or the ordinary group per event.
#pragma once

#include <cstdint>

#include "core/bet.h"

namespace morvalen::core {

class Session;

// One level of the depth-first enumeration: events before e are chosen in `bet`, y of them yellow,
// m single bets so far. Appends every complete choice whose yellow count lies in the session's bounds.
void enumerate_sensations(Session& session, int e, int y, std::int64_t m, BetEntry bet);

// Runs the enumeration from event 1. Yellow outcomes of an event come first in column order, the
// ordinary group last; an earlier event varies more slowly. Does nothing while another formation runs.
void form_by_sensations(Session& session);

}  // namespace morvalen::core
