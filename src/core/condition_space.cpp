// The marked columns of each event, in the order of the variants' digits.
#include "core/condition_space.h"

namespace morvalen::core {

MarkedColumns::MarkedColumns(const EventTable& table) {
    for (int e = 1; e <= event_count; ++e)
        for (int c = 1; c <= outcome_count; ++c)
            if (table.cell(e, c).mark == 1)
                columns[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(counts[static_cast<std::size_t>(e - 1)]++)] = c;
}

}  // namespace morvalen::core
