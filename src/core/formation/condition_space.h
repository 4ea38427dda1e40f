// The conditions over the variants of the marked outcomes: which of them pass, in index order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/model/conditions.h"
#include "core/model/event_table.h"

namespace morvalen::core {

// Per event its marked columns in ascending order, as the variants' digits read them.
struct MarkedColumns {
    explicit MarkedColumns(const EventTable& table);
    std::array<std::array<int, outcome_count>, event_count> columns{};
    std::array<int, event_count> counts{};
};

// What the conditions ask of a variant over the marks, for the searches that choose variants one by
// one: every variant is allowed while the set is not in force.
class VariantConditions {
public:
    VariantConditions(const ConditionSet& set, const EventTable& table);
    // The check when the set is in force, for its refusal.
    const ConditionCheck* check() const { return check_ ? &*check_ : nullptr; }
    // `ranks` are the variant's digits: per event the rank of its outcome among the marked columns.
    bool allows(const std::array<int, event_count>& ranks) const;

private:
    std::optional<ConditionCheck> check_;
    MarkedColumns marked_;
};

// Calls f(index, failures) for every variant over the marked outcomes in index order (event 8 the
// fastest digit), `failures` the mask of the conditions it fails. Nothing when an event has no mark.
template <typename F>
void for_each_variant_failures(const EventTable& table, const ConditionCheck& check, F&& f) {
    const MarkedColumns marked(table);
    for (const int count : marked.counts)
        if (count == 0) return;
    std::array<ConditionCheck::Tally, event_count + 1> tallies{};
    std::int64_t index = 0;
    const auto walk = [&](auto& self, int d) -> void {
        if (d == event_count) {
            f(index++, check.failures(tallies[event_count]));
            return;
        }
        for (int r = 0; r < marked.counts[static_cast<std::size_t>(d)]; ++r) {
            tallies[static_cast<std::size_t>(d + 1)] = tallies[static_cast<std::size_t>(d)];
            check.add(tallies[static_cast<std::size_t>(d + 1)], d + 1, marked.columns[static_cast<std::size_t>(d)][static_cast<std::size_t>(r)]);
            self(self, d + 1);
        }
    };
    walk(walk, 0);
}

// One flag per variant over the marked outcomes: 1 where it passes the conditions.
template <typename Tick>
std::vector<std::uint8_t> passing_flags(const EventTable& table, const ConditionCheck& check, Tick&& tick) {
    std::vector<std::uint8_t> flags(static_cast<std::size_t>(variant_total(table)), 0);
    for_each_variant_failures(table, check, [&](std::int64_t i, std::uint64_t failures) {
        tick();
        flags[static_cast<std::size_t>(i)] = check.passes_mask(failures) ? 1 : 0;
    });
    return flags;
}

}  // namespace morvalen::core
