// Percentages of the batch tool's reports.
#include "cli/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace morvalen::cli {

std::string percent_text(double value) {
    int decimals = 6;
    if (value > 0 && value < 0.1) decimals = std::min(5 - static_cast<int>(std::floor(std::log10(value))), 330);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

}  // namespace morvalen::cli
