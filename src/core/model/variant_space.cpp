// Index arithmetic of the variants over the marked outcomes.
#include "core/model/variant_space.h"

#include <bit>

namespace morvalen::core {

VariantSpace::VariantSpace(const EventTable& table) {
    std::array<int, event_count> counts{};
    for (int d = 0; d < event_count; ++d) {
        ranks_[d].fill(-1);
        for (int c = 1; c <= outcome_count; ++c) {
            if (table.cell(d + 1, c).mark != 1) continue;
            ranks_[d][c] = static_cast<std::int8_t>(counts[d]);
            columns_[d][counts[d]++] = static_cast<std::uint8_t>(c);
        }
    }
    radix_ = MixedRadix::last_fastest(counts);
}

BetEntry VariantSpace::bet_of(std::int64_t index, Currency stake) const {
    const VariantPattern d = digits(index);
    BetEntry bet;
    for (int e = 0; e < event_count; ++e) bet.outcome_sets[e] = OutcomeSet::of_column(columns_[e][d[e]]);
    bet.amount = stake;
    bet.bet_count = 1;
    return bet;
}

VariantPattern VariantSpace::pattern_of(const BetEntry& bet) const {
    VariantPattern pattern{};
    for (int d = 0; d < event_count; ++d) {
        const std::uint32_t bits = bet.outcome_sets[d].bits();
        pattern[d] = std::has_single_bit(bits) ? ranks_[d][bet.outcome_sets[d].first_column()] : -1;
    }
    return pattern;
}

VariantRanks VariantSpace::ranks_of(const BetEntry& bet) const {
    VariantRanks ranks{};
    for (int d = 0; d < event_count; ++d)
        bet.outcome_sets[d].for_each_column([&](int c) {
            if (ranks_[d][c] >= 0) ranks[d] |= 1U << ranks_[d][c];
        });
    return ranks;
}

bool is_coupon(const BetEntry& bet) {
    for (const OutcomeSet& set : bet.outcome_sets)
        if (set.size() > 1) return true;
    return false;
}

}  // namespace morvalen::core
