// An independent coverage oracle for the tests: every variant against every record, digit by digit.
#pragma once

#include <vector>

#include "briefgen/shape.h"

namespace morvalen::briefgen::testing {

inline bool covers_by_brute_force(const Shape& shape, const std::vector<Record>& records) {
    std::array<int, events> digit{};
    while (true) {
        bool covered = false;
        for (Record record : records) {
            int agree = 0;
            Record rest = record;
            for (int k = 0; k < events; ++k, rest /= 17) agree += static_cast<int>(rest % 17) == digit[k];
            if (agree >= shape.guarantee) {
                covered = true;
                break;
            }
        }
        if (!covered) return false;
        int k = 0;
        while (k < events && ++digit[k] == shape.counts[k]) digit[k++] = 0;
        if (k == events) return true;
    }
}

inline Shape shape_of(std::array<int, events> counts, int guarantee) {
    Shape shape;
    shape.counts = counts;
    shape.guarantee = guarantee;
    return shape;
}

}  // namespace morvalen::briefgen::testing
