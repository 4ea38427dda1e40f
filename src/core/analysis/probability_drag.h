// The probability editor's arithmetic: the presets and one step of dragging a point of the set curve.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/currency.h"
#include "core/model/event_table.h"

namespace morvalen::core {

// Percentages in ten-thousandths, as the event table holds them.
inline constexpr std::int64_t uniform_setting = 58824;   // 5.8824 %: 17 of them make 100.0008 %
inline constexpr std::int64_t setting_floor = 100;       // 0.01 %: a dragged point never reaches 0
inline constexpr std::int64_t setting_ceiling = 999000;  // 99.9 %
inline constexpr std::int64_t setting_whole = 1000000;   // 100 %

enum class ProbabilityPreset { uniform, quotes, pool };

// Replaces the 17 set probabilities of event e (1 to 8) from the preset's source, without
// normalising them. An event outside 1 to 8 changes nothing.
void apply_preset(EventTable& table, int e, ProbabilityPreset preset);

// One mouse move while the point of outcome column `column` (1 to 17) of event e is held: the
// point moves by (last_y - y) / pixels_per_percent percentage points (up on the screen is more),
// is kept within 0.01 and 99.9, and the other 16 set values are rescaled to make up 100 % in
// their former proportions. Every value is the exact quotient rounded to the nearest
// ten-thousandth, halves to even, so the 17 may miss 100 % by a few ten-thousandths. When the
// other 16 sum to 0 or less only the held point changes. Returns false and changes nothing when
// pixels_per_percent is 0 or less or the event or column is out of range.
bool drag_step(EventTable& table, int e, int column, std::int64_t last_y, std::int64_t y,
               std::int64_t pixels_per_percent);

// The value mark of a point of the set curve, "#,##0.#": "," between thousands, one decimal
// shown only when it is not 0, halves rounded away from zero (5.8824 gives "5.9", 12.0 gives "12").
std::string format_value_mark(Currency percent);

}  // namespace morvalen::core
