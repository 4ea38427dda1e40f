// Three ways to keep the gains exact after a bet, priced bet by bet: lowering the neighbourhood of
// every newly covered variant (cheap late, when a bet covers little), subtracting the overlap of the
// bet's whole neighbourhood and adding back what was covered before (cheap early, when a bet covers
// nearly all of it), or counting everything again event by event (cheap when neighbourhoods are huge).
#include "core/gain_table.h"

#include <algorithm>
#include <array>
#include <bit>

namespace morvalen::core {

GainUpdate autoformation_gain_update = GainUpdate::cheapest;

namespace {

// Scratch of the recount: one array per distance; beyond this many entries the other ways serve.
constexpr std::int64_t recount_entry_limit = std::int64_t{1} << 25;
constexpr std::int64_t work_per_breath = std::int64_t{1} << 16;

}  // namespace

GainTable::GainTable(const VariantSpace& space, int changes, std::int64_t neighbourhood, std::function<void()> breathe)
    : space_(space), changes_(changes), neighbourhood_(neighbourhood), breathe_(std::move(breathe)) {
    for (int d = 0; d < event_count; ++d)
        if (space.count(d) > 1) active_.push_back(d);
    changes_ = std::clamp(changes_, 0, static_cast<int>(active_.size()));
    recount_allowed_ = static_cast<std::int64_t>(changes_) * space.size() <= recount_entry_limit;
    gains_.assign(static_cast<std::size_t>(space.size()), 0);

    // overlap_[mask]: variants within reach of both of two variants that differ exactly in the events
    // of `mask`, counted by how far from each of the two a third one is.
    overlap_.assign(256, 0);
    for (unsigned mask = 0; mask < 256; ++mask) {
        std::vector<std::int64_t> ways(static_cast<std::size_t>((changes_ + 1) * (changes_ + 1)), 0);
        const auto at = [&](int a, int b) -> std::int64_t& { return ways[static_cast<std::size_t>(a * (changes_ + 1) + b)]; };
        at(0, 0) = 1;
        bool possible = true;
        for (int d = 0; d < event_count; ++d) {
            const std::int64_t q = space.count(d);
            const bool differ = (mask >> d & 1U) != 0;
            if (differ && q < 2) possible = false;
            if (!possible || q < 2) continue;
            std::vector<std::int64_t> next(ways.size(), 0);
            const auto put = [&](int a, int b, std::int64_t n) {
                if (a <= changes_ && b <= changes_ && n != 0)
                    next[static_cast<std::size_t>(a * (changes_ + 1) + b)] += n;
            };
            for (int a = 0; a <= changes_; ++a)
                for (int b = 0; b <= changes_; ++b) {
                    const std::int64_t n = at(a, b);
                    if (n == 0) continue;
                    if (differ) {
                        put(a, b + 1, n);                // the third agrees with the first
                        put(a + 1, b, n);                // with the second
                        put(a + 1, b + 1, n * (q - 2));  // with neither
                    } else {
                        put(a, b, n);
                        put(a + 1, b + 1, n * (q - 1));
                    }
                }
            ways = std::move(next);
        }
        if (!possible) continue;
        std::int64_t total = 0;
        for (const std::int64_t n : ways) total += n;
        overlap_[mask] = static_cast<std::int32_t>(total);
    }
}

void GainTable::spend(std::int64_t work) {
    work_since_breath_ += work;
    if (work_since_breath_ >= work_per_breath) {
        work_since_breath_ = 0;
        if (breathe_) breathe_();
    }
}

template <typename F>
void GainTable::for_each_around(const VariantPattern& center, F&& f) const {
    const int n = static_cast<int>(active_.size());
    const auto walk = [&](auto& self, int a, int budget, std::int64_t base) -> void {
        if (budget == 0 || a == n) {
            f(base);
            return;
        }
        const int d = active_[static_cast<std::size_t>(a)];
        const int q = space_.count(d);
        const std::int64_t w = space_.weight(d);
        const std::int64_t first = base - center[d] * w;
        if (a == n - 1) {
            for (int r = 0; r < q; ++r) f(first + r * w);
            return;
        }
        self(self, a + 1, budget, base);
        for (int r = 0; r < q; ++r)
            if (r != center[d]) self(self, a + 1, budget - 1, first + r * w);
    };
    walk(walk, 0, changes_, space_.index_of(center));
}

void GainTable::add_around(const VariantPattern& center, std::int32_t delta) {
    std::int32_t* gains = gains_.data();
    for_each_around(center, [gains, delta](std::int64_t i) { gains[i] += delta; });
    spend(neighbourhood_);
}

std::int32_t GainTable::refresh_bound(std::int64_t block) {
    const auto from = static_cast<std::size_t>(block * block_size);
    const auto to = static_cast<std::size_t>(std::min(space_.size(), (block + 1) * block_size));
    const std::int32_t top = *std::max_element(gains_.begin() + static_cast<std::ptrdiff_t>(from),
                                               gains_.begin() + static_cast<std::ptrdiff_t>(to));
    block_bounds_[static_cast<std::size_t>(block)] = top;
    return top;
}

std::int64_t GainTable::first_at_least(std::int64_t from, std::int64_t to, std::int32_t least) {
    for (std::int64_t block = from / block_size; block * block_size < to; ++block) {
        spend(block_size / 4);
        auto& bound = block_bounds_[static_cast<std::size_t>(block)];
        if (bound < least) continue;
        const std::int64_t begin = std::max(from, block * block_size);
        const std::int64_t end = std::min(to, (block + 1) * block_size);
        for (std::int64_t i = begin; i < end; ++i)
            if (gains_[static_cast<std::size_t>(i)] >= least) return i;
        // Read whole without a hit: the bound can come down to what the block really holds.
        if (begin == block * block_size && end == std::min(space_.size(), (block + 1) * block_size)) refresh_bound(block);
    }
    return -1;
}

std::int32_t GainTable::largest() {
    std::int32_t top = 0;
    for (std::size_t block = 0; block < block_bounds_.size(); ++block) {
        spend(block_size / 4);
        if (block_bounds_[block] >= top) top = std::max(top, refresh_bound(static_cast<std::int64_t>(block)));
    }
    return top;
}

void GainTable::build(const std::vector<std::uint8_t>& flags) {
    build_gains(flags);
    block_bounds_.assign(static_cast<std::size_t>((space_.size() + block_size - 1) / block_size), 0);
    for (std::size_t block = 0; block < block_bounds_.size(); ++block) refresh_bound(static_cast<std::int64_t>(block));
}

void GainTable::build_gains(const std::vector<std::uint8_t>& flags) {
    std::int64_t covered = 0;
    for (const std::uint8_t flag : flags) covered += (flag & CoverageFlags::covered) != 0 ? 1 : 0;
    const std::int64_t by_neighbourhoods = covered * neighbourhood_;
    const std::int64_t by_recount = changes_ * static_cast<std::int64_t>(active_.size()) * space_.size();
    const bool recount_chosen =
        recount_allowed_ && (autoformation_gain_update == GainUpdate::by_recount ||
                             (autoformation_gain_update != GainUpdate::by_neighbourhoods && by_recount < by_neighbourhoods));
    if (recount_chosen) {
        recount(flags);
        return;
    }
    std::fill(gains_.begin(), gains_.end(), static_cast<std::int32_t>(neighbourhood_));
    for (std::int64_t i = 0; i < space_.size(); ++i)
        if (flags[static_cast<std::size_t>(i)] & CoverageFlags::covered) add_around(space_.digits(i), -1);
}

void GainTable::lower(const VariantPattern& center, const std::vector<std::uint32_t>& fresh,
                      const std::vector<std::uint8_t>& flags) {
    const auto n = static_cast<std::int64_t>(fresh.size());
    const std::int64_t total = space_.size();
    // Rough costs in scattered updates; the recount's passes run over memory in order, at about a
    // quarter of the price of one.
    const std::int64_t by_neighbourhoods = n * neighbourhood_;
    const std::int64_t by_overlaps = total + (neighbourhood_ - n) * (neighbourhood_ + 8) + neighbourhood_;
    const std::int64_t by_recount =
        recount_allowed_ ? changes_ * static_cast<std::int64_t>(active_.size()) * total / 4 + total : INT64_MAX;
    GainUpdate way = autoformation_gain_update;
    if (way == GainUpdate::by_recount && !recount_allowed_) way = GainUpdate::by_neighbourhoods;
    if (way == GainUpdate::cheapest) {
        way = GainUpdate::by_neighbourhoods;
        if (by_overlaps < std::min(by_neighbourhoods, by_recount)) way = GainUpdate::by_overlaps;
        if (by_recount < std::min(by_neighbourhoods, by_overlaps)) way = GainUpdate::by_recount;
    }
    switch (way) {
        case GainUpdate::by_recount:
            recount(flags);
            break;
        case GainUpdate::by_overlaps:
            lower_by_overlaps(center, flags);
            break;
        default:
            for (const std::uint32_t i : fresh) add_around(space_.digits(i), -1);
            break;
    }
}

void GainTable::lower_by_overlaps(const VariantPattern& center, const std::vector<std::uint8_t>& flags) {
    // Every variant loses what its neighbourhood shares with the bet's...
    const int n = static_cast<int>(active_.size());
    std::int32_t* gains = gains_.data();
    const std::int32_t* overlap = overlap_.data();
    const auto walk = [&](auto& self, int a, unsigned mask, std::int64_t base) -> void {
        const int d = active_[static_cast<std::size_t>(a)];
        const int q = space_.count(d);
        const std::int64_t w = space_.weight(d);
        if (a == n - 1) {
            const unsigned bit = 1U << d;
            for (int r = 0; r < q; ++r) gains[base + r * w] -= overlap[mask | (r != center[d] ? bit : 0U)];
            spend(q);
            return;
        }
        for (int r = 0; r < q; ++r) self(self, a + 1, r != center[d] ? mask | 1U << d : mask, base + r * w);
    };
    if (n == 0) {
        gains[0] -= overlap[0];
    } else {
        walk(walk, 0, 0U, 0);
    }
    // ...and gets back what of it was covered before this bet.
    std::vector<std::int64_t> covered_before;
    for_each_around(center, [&](std::int64_t i) {
        if (flags[static_cast<std::size_t>(i)] == CoverageFlags::covered) covered_before.push_back(i);
    });
    for (const std::int64_t i : covered_before) add_around(space_.digits(i), +1);
}

void GainTable::recount(const std::vector<std::uint8_t>& flags) {
    const std::int64_t total = space_.size();
    const auto size = static_cast<std::size_t>(total);
    // at_distance_[k][x]: uncovered variants that differ from x in exactly k of the events taken so far.
    for (std::size_t i = 0; i < size; ++i) gains_[i] = (flags[i] & CoverageFlags::covered) != 0 ? 0 : 1;
    at_distance_.resize(static_cast<std::size_t>(changes_) + 1);
    for (int k = 1; k <= changes_; ++k) at_distance_[static_cast<std::size_t>(k)].assign(size, 0);
    int taken = 0;
    for (const int d : active_) {
        const int q = space_.count(d);
        const auto w = static_cast<std::size_t>(space_.weight(d));
        const std::size_t block = w * static_cast<std::size_t>(q);
        line_sums_.resize(w);
        for (int k = std::min(changes_, taken + 1); k >= 1; --k) {
            const std::int32_t* from = k == 1 ? gains_.data() : at_distance_[static_cast<std::size_t>(k - 1)].data();
            std::int32_t* to = at_distance_[static_cast<std::size_t>(k)].data();
            std::int32_t* sums = line_sums_.data();
            for (std::size_t start = 0; start < size; start += block) {
                if (w == 1) {
                    std::int32_t sum = 0;
                    for (int r = 0; r < q; ++r) sum += from[start + static_cast<std::size_t>(r)];
                    for (int r = 0; r < q; ++r) {
                        const std::size_t i = start + static_cast<std::size_t>(r);
                        to[i] += sum - from[i];
                    }
                } else {
                    std::copy(from + start, from + start + w, sums);
                    for (int r = 1; r < q; ++r) {
                        const std::int32_t* row = from + start + static_cast<std::size_t>(r) * w;
                        for (std::size_t t = 0; t < w; ++t) sums[t] += row[t];
                    }
                    for (int r = 0; r < q; ++r) {
                        const std::int32_t* row = from + start + static_cast<std::size_t>(r) * w;
                        std::int32_t* out = to + start + static_cast<std::size_t>(r) * w;
                        for (std::size_t t = 0; t < w; ++t) out[t] += sums[t] - row[t];
                    }
                }
                spend(static_cast<std::int64_t>(block) / 4);
            }
        }
        ++taken;
    }
    for (int k = 1; k <= changes_; ++k) {
        const std::int32_t* add = at_distance_[static_cast<std::size_t>(k)].data();
        for (std::size_t i = 0; i < size; ++i) gains_[i] += add[i];
    }
}

}  // namespace morvalen::core
