// Label lookup for the bet notation.
#include "core/model/outcomes.h"

namespace morvalen::core {

int outcome_column(std::string_view label) {
    // Scores "a:b" with 0 to 3 goals a side map straight to their column; this is the hot path of
    // reading a memo.
    if (label.size() == 3 && label[1] == ':') {
        const unsigned a = static_cast<unsigned char>(label[0]) - '0';
        const unsigned b = static_cast<unsigned char>(label[2]) - '0';
        if (a > 3 || b > 3) return 0;
        static constexpr int columns[4][4] = {{7, 11, 12, 14}, {1, 8, 13, 15}, {2, 3, 9, 16}, {4, 5, 6, 10}};
        return columns[a][b];
    }
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
