// How the batch tool writes percentages.
#pragma once

#include <string>

namespace morvalen::cli {

// A percentage with six decimals, and more below 0.1 so that at least six significant digits show.
std::string percent_text(double value);

}  // namespace morvalen::cli
