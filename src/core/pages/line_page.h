// Reading the line page of the service ("|"-ended fields) into the Event table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/event_table.h"

namespace morvalen::core {

// Fields per event: the name and 17 pairs of quote probability and pool share.
inline constexpr int line_fields_per_event = 1 + 2 * outcome_count;

struct LinePageResult {
    // The names in the order read (index 0 is event 1) and their short names, for the window's
    // choosers; as many as the page reached.
    std::vector<std::string> names;
    std::vector<std::string> short_names;
    // The last stake trailer with its first "," replaced by "."; nullopt when the page had none.
    std::optional<std::string> stake_text;
    // Empty when the page was read to its end. Otherwise the conversion message, and reading
    // stopped at the failing field with everything before it stored.
    std::string error;

    bool ok() const { return error.empty(); }
};

// Clears acceptance_note, then stores names, quote (also as the setting) and pool probabilities in
// field order. Events the page does not reach keep what they held. A rest without "|" ends the
// reading and is ignored. Fields are UTF-8; the trailer prefix is three characters, not bytes.
LinePageResult read_line_page(std::string_view page, EventTable& table);

// The line page text of a table, as the service writes it: every event and the given trailers
// (each already carrying its three-character prefix).
std::string write_line_page(const EventTable& table, const std::vector<std::string>& trailers);

// "'%s' is not a valid floating point value" with the field in place of %s.
std::string floating_point_error(std::string_view field);

}  // namespace morvalen::core
