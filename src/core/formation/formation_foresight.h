// What a formation method will give, told before it runs where that is known in advance.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/pages/brief_system_list.h"
#include "core/model/event_table.h"
#include "core/model/session.h"

namespace morvalen::core {

// The entries and single bets the sensations method would append, without forming them.
struct SensationsCount {
    std::int64_t coupons = 0;
    std::int64_t bets = 0;
};
SensationsCount count_sensations(const EventTable& table, int yellow_min, int yellow_max);

// The size of the listed brief system whose counts are exactly the marks' (largest first).
std::optional<std::int32_t> listed_system_size(const BriefSystemList& list, const EventTable& table);

struct ForesightInput {
    const EventTable& events;
    const FormationSettings& settings;
    // The brief system for the marks with the settings' guarantee, when the service has listed it.
    std::optional<std::int32_t> brief_bets;
    // Variants the list leaves uncovered after the last check, when one ran for these marks.
    std::optional<std::int64_t> uncovered;
};

// One line for the formation panel, empty while an event has no mark.
std::string formation_foresight(const ForesightInput& input);

// The summary line of an autoformation that stopped short of covering every variant; empty otherwise.
std::string guarantee_shortfall(std::int64_t uncovered, std::int64_t variant_total, int guarantee);

}  // namespace morvalen::core
