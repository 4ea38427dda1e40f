// The draws as single bets over the marked outcomes see them: each marked outcome, the rest merged.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/event_table.h"
#include "core/model/mixed_radix.h"
#include "core/model/variant_space.h"

namespace morvalen::core {

// Per event the classes are the marked outcomes in ascending column order (rank r is class r, as in
// VariantSpace) and, when the unmarked outcomes have any probability, one class for all of them.
// Probabilities are setting_probability normalised over the 17 outcomes; events are independent.
// Draw indices are mixed-radix, event 8 the fastest digit.
class DrawSpace {
public:
    explicit DrawSpace(const EventTable& table);

    std::uint64_t size() const { return static_cast<std::uint64_t>(radix_.size()); }
    int classes(int event_index) const { return classes_[event_index]; }
    double probability(int event_index, int cls) const { return probability_[event_index][cls]; }
    std::uint64_t draw_of(const VariantPattern& variant) const;
    // The classes of a draw as a pattern: the rank of the marked outcome, -1 for the merged rest.
    VariantPattern pattern_of(std::uint64_t draw) const;
    // Draws within `changes` differences of one variant: the size of its neighbourhood.
    std::uint64_t neighbourhood(int changes) const;

    // Calls f(draw, probability) for every draw of positive probability that agrees with the variant
    // (a pattern without -1) in at least 8 − changes events; each draw once.
    template <typename F>
    void for_each_draw_within(const VariantPattern& variant, int changes, F&& f) const {
        const auto likely = [this](int d, int c) { return probability_[d][c] > 0; };
        const auto times = [this](double p, int d, int c) { return p * probability_[d][c]; };
        Neighbourhood(radix_, variant, likely).for_each_within(changes, 1.0, times, [&](std::int64_t draw, double p) {
            f(static_cast<std::uint64_t>(draw), p);
        });
    }

    // The probability of the draws whose count is above 0; counts has size() entries.
    double covered_probability(const std::vector<std::uint16_t>& counts) const;

    // P(a draw agrees with the variant in at least `guarantee` events).
    double single_chance(const VariantPattern& variant, int guarantee) const;

private:
    std::array<int, event_count> classes_{};
    std::array<int, event_count> marked_{};
    std::array<std::array<double, outcome_count>, event_count> probability_{};
    MixedRadix radix_;
};

// Why the draws cannot be used for the chances of single bets over the marks: an event without a
// mark, a negative probability, or an event whose marked outcomes all have probability 0.
std::optional<std::string> draw_space_refusal(const EventTable& table);

}  // namespace morvalen::core
