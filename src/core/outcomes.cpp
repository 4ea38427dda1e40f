// Label lookup for the bet notation.
#include "core/outcomes.h"

namespace morvalen::core {

int outcome_column(std::string_view label) {
    // Latin and Cyrillic spellings of the catch-all outcome; exactly these six.
    for (std::string_view other : {"LD", "лд", "ld", "ЛД", "Ld", "Лд"})
        if (label == other) return outcome_count;
    for (int c = 1; c <= outcome_count; ++c)
        if (label == outcome_label(c)) return c;
    return 0;
}

std::uint32_t outcome_value(std::string_view label) {
    const int column = outcome_column(label);
    return column == 0 ? 0 : column_bit(column);
}

}  // namespace morvalen::core
