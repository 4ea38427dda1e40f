// The batch tool's percentages: at least six significant digits.
#pragma once

#include <string>

namespace morvalen::cli {

// Six decimals, and more below 0.1 so that at least six significant digits show.
std::string percent(double value);

}  // namespace morvalen::cli
