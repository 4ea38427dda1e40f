// The operator's line file (JSON) to and from the stored draw line.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "service/line_store.h"

namespace morvalen::service {

class LineFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// {"deadline": "12.12 15:00/16:00", "stake": "50", "events": [8 × {"name": "...",
//   "quotes": [17 percents] or "odds": [17 decimal odds], "pool": [17 percents]}]}
// Outcomes in the order of the outcome labels. Odds give the normalised inverse odds as the quote
// probabilities. Throws LineFormatError naming the first problem.
DrawLine parse_line_json(std::string_view text);
// Quotes are written as percents, so an export imports back to the same line.
std::string line_to_json(const DrawLine& line);

}  // namespace morvalen::service
