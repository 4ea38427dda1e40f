// The variants over the marked outcomes as mixed-radix indices, event 8 the fastest digit.
#pragma once

#include <array>
#include <cstdint>

#include "core/model/bet.h"
#include "core/model/event_table.h"
#include "core/model/mixed_radix.h"

namespace morvalen::core {

// Per event the rank (0-based, ascending column order among the marked columns) a pattern asks for,
// or -1 where no variant can agree with it (a coupon set, an empty set, an unmarked column).
using VariantPattern = std::array<int, event_count>;

// Per event the ranks (bit r for rank r) of the marked columns a coupon's set holds: its single bets
// agree with a variant in every event whose variant rank is among them.
using VariantRanks = std::array<std::uint32_t, event_count>;

// True when some event of the entry holds more than one outcome: it stands for several single bets.
bool is_coupon(const BetEntry& bet);

class VariantSpace {
public:
    explicit VariantSpace(const EventTable& table);

    std::int64_t size() const { return radix_.size(); }
    int count(int event_index) const { return radix_.count(event_index); }
    std::int64_t weight(int event_index) const { return radix_.weight(event_index); }
    const MixedRadix& radix() const { return radix_; }

    // The digits of an index, event 1 first.
    VariantPattern digits(std::int64_t index) const { return radix_.digits_of<VariantPattern>(index); }
    std::int64_t index_of(const VariantPattern& digits) const { return radix_.index_of(digits); }
    BetEntry bet_of(std::int64_t index, Currency stake) const;
    // Where a bet can agree with a variant: its single marked columns.
    VariantPattern pattern_of(const BetEntry& bet) const;
    // Where a coupon's single bets can agree with a variant: the marked columns of each set.
    VariantRanks ranks_of(const BetEntry& bet) const;

private:
    MixedRadix radix_;
    std::array<std::array<std::uint8_t, outcome_count>, event_count> columns_{};
    std::array<std::array<std::int8_t, outcome_count + 1>, event_count> ranks_{};
};

// Calls f(index) for every variant that differs from `pattern` in at most `changes` events (an event
// where the pattern is -1 always counts as a difference). Each variant once.
template <typename F>
void for_each_variant_within(const VariantSpace& space, const VariantPattern& pattern, int changes, F&& f) {
    Neighbourhood(space.radix(), pattern).for_each_within(changes, f);
}

// Calls f(index) for every variant whose rank lies outside `ranks` in at most `changes` events: the
// variants some single bet of the coupon agrees with in 8 - changes events. Each variant once.
template <typename F>
void for_each_variant_within_ranks(const VariantSpace& space, const VariantRanks& ranks, int changes, F&& f) {
    for (int d = 0; d < event_count; ++d)
        if (space.count(d) == 0) return;
    const auto walk = [&](auto& self, int d, int left, std::int64_t at) -> void {
        if (d == event_count) {
            f(at);
            return;
        }
        for (int r = 0; r < space.count(d); ++r) {
            const bool held = (ranks[static_cast<std::size_t>(d)] >> r & 1U) != 0;
            if (!held && left == 0) continue;
            self(self, d + 1, held ? left : left - 1, at + r * space.weight(d));
        }
    };
    walk(walk, 0, changes, 0);
}

}  // namespace morvalen::core
