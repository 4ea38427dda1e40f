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

// Per event the ranks (bit r for rank r) of the marked columns a coupon's set holds: its single bets
// agree with a variant in every event whose variant rank is among them.
using VariantRanks = std::array<std::uint32_t, event_count>;

// True when some event of the entry holds more than one outcome: it stands for several single bets.
bool is_coupon(const BetEntry& bet);

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
    // Where a coupon's single bets can agree with a variant: the marked columns of each set.
    VariantRanks ranks_of(const BetEntry& bet) const;

private:
    std::array<int, event_count> counts_{};
    std::array<std::int64_t, event_count> weights_{};
    std::array<std::array<std::uint8_t, outcome_count>, event_count> columns_{};
    std::array<std::array<std::int8_t, outcome_count + 1>, event_count> ranks_{};
    std::int64_t size_ = 0;
};

// Calls f(index) for every variant that differs from `pattern` in at most `changes` events (an event
// where the pattern is -1 always counts as a difference). Each variant once, in no set order.
template <typename F>
void for_each_variant_within(const VariantSpace& space, const VariantPattern& pattern, int changes, F&& f) {
    // Events without a digit take every value and one change each. For the others, steps[from[a]...]
    // are the moves of the digit in the a-th of them and in every later one, so that the last change
    // of a neighbour is one tight loop over a flat list.
    std::array<int, event_count> open{};
    int open_count = 0;
    std::array<std::int64_t, event_count * outcome_count> steps{};
    std::array<std::size_t, event_count + 1> from{};
    std::size_t movable = 0;
    std::size_t k = 0;
    std::int64_t base = 0;
    for (int d = 0; d < event_count; ++d) {
        if (space.count(d) == 0) return;
        if (pattern[d] < 0) {
            open[static_cast<std::size_t>(open_count++)] = d;
            continue;
        }
        base += pattern[d] * space.weight(d);
        if (space.count(d) < 2) continue;
        from[movable++] = k;
        for (int r = 0; r < space.count(d); ++r)
            if (r != pattern[d]) steps[k++] = (r - pattern[d]) * space.weight(d);
    }
    from[movable] = k;
    const int budget = changes - open_count;
    if (budget < 0) return;
    const auto moves = [&](auto& self, std::size_t first, int left, std::int64_t at) -> void {
        if (left == 1) {
            for (std::size_t i = from[first]; i < from[movable]; ++i) f(at + steps[i]);
            return;
        }
        for (std::size_t a = first; a < movable; ++a)
            for (std::size_t i = from[a]; i < from[a + 1]; ++i) {
                f(at + steps[i]);
                if (a + 1 < movable) self(self, a + 1, left - 1, at + steps[i]);
            }
    };
    const auto spread = [&](auto& self, int o, std::int64_t at) -> void {
        if (o == open_count) {
            f(at);
            if (budget > 0 && movable > 0) moves(moves, 0, budget, at);
            return;
        }
        const int d = open[static_cast<std::size_t>(o)];
        for (int r = 0; r < space.count(d); ++r) self(self, o + 1, at + r * space.weight(d));
    };
    spread(spread, 0, base);
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
