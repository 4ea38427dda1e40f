// Percentages with at least six significant digits, as the batch tool and the windows print them.
#pragma once

#include <string>

namespace morvalen::core {

// Six decimals, and more below 0.1 so that at least six significant digits show.
std::string six_digit_percent(double value);

}  // namespace morvalen::core
