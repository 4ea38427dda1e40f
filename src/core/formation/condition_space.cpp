// The marked columns of each event, in the order of the variants' digits.
#include "core/formation/condition_space.h"

namespace morvalen::core {

MarkedColumns::MarkedColumns(const EventTable& table) {
    for (int e = 1; e <= event_count; ++e)
        for (int c = 1; c <= outcome_count; ++c)
            if (table.cell(e, c).mark == 1)
                columns[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(counts[static_cast<std::size_t>(e - 1)]++)] = c;
}

VariantConditions::VariantConditions(const ConditionSet& set, const EventTable& table) : marked_(table) {
    if (conditions_in_force(set)) check_.emplace(set, table);
}

bool VariantConditions::allows(const std::array<int, event_count>& ranks) const {
    if (!check_) return true;
    VariantColumns columns{};
    for (std::size_t d = 0; d < event_count; ++d)
        columns[d] = marked_.columns[d][static_cast<std::size_t>(ranks[d])];
    return check_->passes(columns);
}

}  // namespace morvalen::core
