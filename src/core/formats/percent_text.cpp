// Percentages as `chances` and `conditions` print them.
#include "core/formats/percent_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvalen::core {

std::string six_digit_percent(double value) {
    int decimals = 6;
    if (value > 0 && value < 0.1) decimals = std::min(5 - static_cast<int>(std::floor(std::log10(value))), 330);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace morvalen::core
