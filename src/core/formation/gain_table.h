// The greedy pass's gain of every variant: how many uncovered variants lie within reach of it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/model/variant_space.h"

namespace morvalen::core {

// How the gains follow a new bet. `cheapest` picks, bet by bet, whichever costs least; tests force
// each way so that all three are checked against the literal pass.
enum class GainUpdate { cheapest, by_neighbourhoods, by_overlaps, by_recount };

// Per-variant flags the table reads: covered at all, and covered first by the newest bet.
struct CoverageFlags {
    static constexpr std::uint8_t covered = 1;
    static constexpr std::uint8_t by_last = 2;
};

class GainTable {
public:
    // `poll` is called every so often from long loops; it may throw to abandon the work.
    GainTable(const VariantSpace& space, int changes, std::int64_t neighbourhood, std::function<void()> breathe,
              GainUpdate update = GainUpdate::cheapest);

    // Variants whose flag is 0 are never candidates: their gain stays below any real one. Before build.
    void leave_out(const std::vector<std::uint8_t>& candidates);
    // Gains from scratch for the coverage in `flags` (one entry per variant).
    void build(const std::vector<std::uint8_t>& flags);
    // A bet at `center` has just covered `fresh` for the first time; `flags` already say so.
    void lower(const VariantPattern& center, const std::vector<std::uint32_t>& fresh,
               const std::vector<std::uint8_t>& flags);

    std::int32_t operator[](std::int64_t i) const { return gains_[static_cast<std::size_t>(i)]; }

    // The first variant of [from, to) whose gain is at least `least`, or -1.
    std::int64_t first_at_least(std::int64_t from, std::int64_t to, std::int32_t least);
    // The largest gain of all.
    std::int32_t largest();
    // Calls f(i), in order, for every variant of [from, to) whose gain is `top`; right after largest()
    // returned `top`.
    template <typename F>
    void for_each_with_largest(std::int64_t from, std::int64_t to, std::int32_t top, F&& f) {
        for (std::int64_t block = from / block_size; block * block_size < to; ++block) {
            spend(block_size / 4);
            if (block_bounds_[static_cast<std::size_t>(block)] < top) continue;
            const std::int64_t end = std::min(to, (block + 1) * block_size);
            for (std::int64_t i = std::max(from, block * block_size); i < end; ++i)
                if (gains_[static_cast<std::size_t>(i)] == top) f(i);
        }
    }

private:
    // Candidates are read in blocks; a block's bound is never below the gain of any of its variants.
    static constexpr std::int64_t block_size = 64;
    std::int32_t refresh_bound(std::int64_t block);
    void build_gains(const std::vector<std::uint8_t>& flags);
    void recount(const std::vector<std::uint8_t>& flags);
    template <typename T>
    void recount_as(std::vector<std::vector<T>>& levels, const std::vector<std::uint8_t>& flags);
    void lower_by_overlaps(const VariantPattern& center, const std::vector<std::uint8_t>& flags);
    void add_around(const VariantPattern& center, std::int32_t delta);
    void spend(std::int64_t work);
    void hold_down_left_out();

    const VariantSpace& space_;
    int changes_;
    std::int64_t neighbourhood_;
    std::function<void()> breathe_;
    GainUpdate update_;
    std::int64_t work_since_breath_ = 0;
    std::vector<int> active_;                  // events with more than one marked outcome
    bool recount_allowed_;                     // its scratch arrays fit in memory
    std::vector<std::int32_t> gains_;
    std::vector<std::int32_t> block_bounds_;
    // Scratch of the recount, one array per distance, in whichever width the counts fit.
    std::vector<std::vector<std::int16_t>> narrow_levels_;
    std::vector<std::vector<std::int32_t>> wide_levels_;
    std::vector<std::int32_t> overlap_;        // by the set of events in which two bets differ
    std::vector<std::uint32_t> left_out_;      // variants that may not be chosen
};

}  // namespace morvalen::core
