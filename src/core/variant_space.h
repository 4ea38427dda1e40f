// The variants over the marked outcomes as mixed-radix indices, event 8 the fastest digit.
#pragma once

#include <array>
#include <cstdint>

#include "core/bet.h"
#include "core/event_table.h"

namespace morvalen::core {

// Per event the rank (0-based, ascending column order among the marked columns) a pattern asks for,
// or -1 where no variant can agree with it (a coupon set, an empty set, an unmarked column).
using VariantPattern = std::array<int, event_count>;

class VariantSpace {
public:
    explicit VariantSpace(const EventTable& table);

    std::int64_t size() const { return size_; }
    int count(int event_index) const { return counts_[event_index]; }
    std::int64_t weight(int event_index) const { return weights_[event_index]; }

    // The digits of an index, event 1 first.
    VariantPattern digits(std::int64_t index) const;
    std::int64_t index_of(const VariantPattern& digits) const;
    BetEntry bet_of(std::int64_t index, Currency stake) const;
    // Where a bet can agree with a variant: its single marked columns.
    VariantPattern pattern_of(const BetEntry& bet) const;

private:
    std::array<int, event_count> counts_{};
    std::array<std::int64_t, event_count> weights_{};
    std::array<std::array<std::uint8_t, outcome_count>, event_count> columns_{};
    std::array<std::array<std::int8_t, outcome_count + 1>, event_count> ranks_{};
    std::int64_t size_ = 0;
};

// Calls f(index) for every variant that differs from `pattern` in at most `changes` events (an event
// where the pattern is -1 always counts as a difference). Each variant once.
template <typename F>
void for_each_variant_within(const VariantSpace& space, const VariantPattern& pattern, int changes, F&& f) {
    std::array<int, event_count + 1> open_after{};  // events from d on where the pattern is -1
    for (int d = event_count - 1; d >= 0; --d) open_after[d] = open_after[d + 1] + (pattern[d] < 0 ? 1 : 0);
    auto walk = [&](auto& self, int d, int budget, std::int64_t base) -> void {
        if (open_after[d] > budget) return;
        if (d == event_count) {
            f(base);
            return;
        }
        const std::int64_t w = space.weight(d);
        if (pattern[d] >= 0) self(self, d + 1, budget, base + pattern[d] * w);
        if (budget == 0) return;
        for (int r = 0; r < space.count(d); ++r)
            if (r != pattern[d]) self(self, d + 1, budget - 1, base + r * w);
    };
    walk(walk, 0, changes, 0);
}

}  // namespace morvalen::core
