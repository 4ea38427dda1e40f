// Three ways to keep the gains exact after a bet, priced bet by bet: lowering the neighbourhood of
// every newly covered variant (cheap late, when a bet covers little), subtracting the overlap of the
// bet's whole neighbourhood and adding back what was covered before (cheap early, when a bet covers
// nearly all of it), or counting everything again event by event (cheap when neighbourhoods are huge).
#include "core/formation/gain_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace morvalen::core {

namespace {

// Scratch of the recount: one array per distance; beyond this many entries the other ways serve.
constexpr std::int64_t recount_entry_limit = std::int64_t{1} << 25;
constexpr std::int64_t work_per_breath = std::int64_t{1} << 16;

// to[x] += (the sum along x's line through one event) − from[x], for every x. Lines have `q` entries
// `w` apart, in blocks of q × w. Short lines and strides get their own loops with the sizes fixed, so
// that the compiler unrolls and vectorises them; these are the passes that otherwise cost the most.
template <int Q, typename T>
void add_sums_of_lines_of(const T* __restrict from, T* __restrict to, std::size_t size) {
    for (std::size_t start = 0; start < size; start += Q) {
        int sum = 0;
        for (int r = 0; r < Q; ++r) sum += from[start + r];
        for (int r = 0; r < Q; ++r) to[start + r] = static_cast<T>(to[start + r] + sum - from[start + r]);
    }
}

template <int W, typename T>
void add_sums_of_lines_apart(const T* __restrict from, T* __restrict to, std::size_t size, std::size_t q) {
    for (std::size_t start = 0; start < size; start += q * W) {
        std::array<int, W> line{};
        for (std::size_t r = 0; r < q; ++r)
            for (int t = 0; t < W; ++t) line[t] += from[start + r * W + t];
        for (std::size_t r = 0; r < q; ++r)
            for (int t = 0; t < W; ++t) {
                const std::size_t i = start + r * W + t;
                to[i] = static_cast<T>(to[i] + line[t] - from[i]);
            }
    }
}

template <typename T, std::size_t... Q>
bool add_sums_of_short_lines(const T* from, T* to, std::size_t size, std::size_t q, std::index_sequence<Q...>) {
    return ((q == Q + 2 && (add_sums_of_lines_of<static_cast<int>(Q + 2)>(from, to, size), true)) || ...);
}

template <typename T, std::size_t... W>
bool add_sums_of_close_lines(const T* from, T* to, std::size_t size, std::size_t q, std::size_t w,
                             std::index_sequence<W...>) {
    return ((w == W + 2 && (add_sums_of_lines_apart<static_cast<int>(W + 2)>(from, to, size, q), true)) || ...);
}

template <typename T>
void add_line_sums(const T* __restrict from, T* __restrict to, std::size_t size, std::size_t q, std::size_t w,
                   T* __restrict line) {
    if (w == 1 && add_sums_of_short_lines(from, to, size, q, std::make_index_sequence<outcome_count - 1>{})) return;
    if (add_sums_of_close_lines(from, to, size, q, w, std::make_index_sequence<14>{})) return;
    const std::size_t block = q * w;
    for (std::size_t start = 0; start < size; start += block) {
        for (std::size_t t = 0; t < w; ++t) line[t] = from[start + t];
        for (std::size_t r = 1; r < q; ++r) {
            const T* row = from + start + r * w;
            for (std::size_t t = 0; t < w; ++t) line[t] = static_cast<T>(line[t] + row[t]);
        }
        for (std::size_t r = 0; r < q; ++r) {
            const T* row = from + start + r * w;
            T* out = to + start + r * w;
            for (std::size_t t = 0; t < w; ++t) out[t] = static_cast<T>(out[t] + line[t] - row[t]);
        }
    }
}

}  // namespace

GainTable::GainTable(const VariantSpace& space, int changes, std::int64_t neighbourhood, std::function<void()> breathe,
                     GainUpdate update)
    : space_(space), changes_(changes), neighbourhood_(neighbourhood), breathe_(std::move(breathe)), update_(update) {
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

void GainTable::leave_out(const std::vector<std::uint8_t>& candidates) {
    left_out_.clear();
    for (std::size_t i = 0; i < candidates.size(); ++i)
        if (!candidates[i]) left_out_.push_back(static_cast<std::uint32_t>(i));
}

void GainTable::hold_down_left_out() {
    // Far below zero, so that the updates, which change a gain by at most a neighbourhood, never
    // bring it up to a real candidate's.
    constexpr std::int32_t held_down = -(std::int32_t{1} << 30);
    std::int32_t* gains = gains_.data();
    for (const std::uint32_t i : left_out_) gains[i] = held_down;
}

void GainTable::spend(std::int64_t work) {
    work_since_breath_ += work;
    if (work_since_breath_ >= work_per_breath) {
        work_since_breath_ = 0;
        if (breathe_) breathe_();
    }
}

void GainTable::add_around(const VariantPattern& center, std::int32_t delta) {
    std::int32_t* gains = gains_.data();
    for_each_variant_within(space_, center, changes_, [gains, delta](std::int64_t i) { gains[i] += delta; });
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
    // The passes over every variant are long on large markings: they too let the pass be stopped.
    for (std::size_t block = 0; block < block_bounds_.size(); ++block) {
        refresh_bound(static_cast<std::int64_t>(block));
        if ((block & 63) == 63) spend(work_per_breath);
    }
}

void GainTable::build_gains(const std::vector<std::uint8_t>& flags) {
    std::int64_t covered = 0;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        covered += (flags[i] & CoverageFlags::covered) != 0 ? 1 : 0;
        if ((i & 4095) == 4095) spend(work_per_breath);
    }
    const std::int64_t by_neighbourhoods = covered * neighbourhood_;
    const std::int64_t by_recount = changes_ * static_cast<std::int64_t>(active_.size()) * space_.size() * 3 / 8;
    const bool recount_chosen =
        recount_allowed_ &&
        (update_ == GainUpdate::by_recount || (update_ != GainUpdate::by_neighbourhoods && by_recount < by_neighbourhoods));
    if (recount_chosen) {
        recount(flags);
        return;
    }
    std::fill(gains_.begin(), gains_.end(), static_cast<std::int32_t>(neighbourhood_));
    for (std::int64_t i = 0; i < space_.size(); ++i) {
        if (flags[static_cast<std::size_t>(i)] & CoverageFlags::covered) add_around(space_.digits(i), -1);
        if ((i & 4095) == 4095) spend(work_per_breath);
    }
    hold_down_left_out();
}

void GainTable::lower(const VariantPattern& center, const std::vector<std::uint32_t>& fresh,
                      const std::vector<std::uint8_t>& flags) {
    const auto n = static_cast<std::int64_t>(fresh.size());
    const std::int64_t total = space_.size();
    // Rough costs in scattered updates, as measured: a step of the recount's passes, which run over
    // memory in order, costs about three eighths of one.
    const std::int64_t by_neighbourhoods = n * neighbourhood_;
    const std::int64_t by_overlaps = total + (neighbourhood_ - n) * (neighbourhood_ + 8) + neighbourhood_;
    const std::int64_t by_recount =
        recount_allowed_ ? changes_ * static_cast<std::int64_t>(active_.size()) * total * 3 / 8 + total : INT64_MAX;
    GainUpdate way = update_;
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
    // Every variant loses what its neighbourhood shares with the bet's. The events are read as a head
    // and a tail of consecutive indices long enough that the inner loop is a plain table lookup.
    const std::size_t n = active_.size();
    std::size_t head = n;
    std::int64_t tail_size = 1;
    while (head > 0 && tail_size < 256) tail_size *= space_.count(active_[--head]);
    std::vector<std::uint8_t> tail_masks(static_cast<std::size_t>(tail_size), 0);
    for (std::int64_t j = 0; j < tail_size; ++j) {
        std::int64_t rest = j;
        unsigned mask = 0;
        for (std::size_t a = n; a-- > head;) {
            const int d = active_[a];
            if (rest % space_.count(d) != center[d]) mask |= 1U << d;
            rest /= space_.count(d);
        }
        tail_masks[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(mask);
    }
    std::array<int, event_count> digits{};  // of the head events, the last one fastest
    std::int32_t* __restrict gains = gains_.data();
    const std::int32_t* overlap = overlap_.data();
    for (std::int64_t start = 0; start < space_.size(); start += tail_size) {
        unsigned mask = 0;
        for (std::size_t a = 0; a < head; ++a)
            if (digits[a] != center[active_[a]]) mask |= 1U << active_[a];
        std::int32_t* block = gains + start;
        for (std::int64_t j = 0; j < tail_size; ++j) block[j] -= overlap[mask | tail_masks[static_cast<std::size_t>(j)]];
        for (std::size_t a = head; a-- > 0;) {
            if (++digits[a] < space_.count(active_[a])) break;
            digits[a] = 0;
        }
        spend(tail_size);
    }
    // ...and gets back what of it was covered before this bet.
    std::vector<std::int64_t> covered_before;
    for_each_variant_within(space_, center, changes_, [&](std::int64_t i) {
        if (flags[static_cast<std::size_t>(i)] == CoverageFlags::covered) covered_before.push_back(i);
    });
    for (const std::int64_t i : covered_before) add_around(space_.digits(i), +1);
}

void GainTable::recount(const std::vector<std::uint8_t>& flags) {
    // Counts never exceed a neighbourhood, so most markings take half the memory traffic.
    if (neighbourhood_ <= INT16_MAX) {
        recount_as(narrow_levels_, flags);
    } else {
        recount_as(wide_levels_, flags);
    }
}

template <typename T>
void GainTable::recount_as(std::vector<std::vector<T>>& levels, const std::vector<std::uint8_t>& flags) {
    const auto size = static_cast<std::size_t>(space_.size());
    // levels[k][x]: uncovered variants that differ from x in exactly k of the events taken so far.
    levels.resize(static_cast<std::size_t>(changes_) + 1);
    for (auto& level : levels) level.assign(size, 0);
    for (std::size_t i = 0; i < size; ++i) levels[0][i] = (flags[i] & CoverageFlags::covered) != 0 ? 0 : 1;
    std::vector<T> sums;
    int taken = 0;
    for (const int d : active_) {
        const auto q = static_cast<std::size_t>(space_.count(d));
        const auto w = static_cast<std::size_t>(space_.weight(d));
        sums.resize(w);
        for (int k = std::min(changes_, taken + 1); k >= 1; --k) {
            const T* from = levels[static_cast<std::size_t>(k - 1)].data();
            T* to = levels[static_cast<std::size_t>(k)].data();
            add_line_sums(from, to, size, q, w, sums.data());
            spend(static_cast<std::int64_t>(size) / 4);
        }
        ++taken;
    }
    std::int32_t* __restrict gains = gains_.data();
    std::fill(gains_.begin(), gains_.end(), 0);
    for (const auto& level : levels) {
        const T* __restrict add = level.data();
        for (std::size_t i = 0; i < size; ++i) gains[i] += add[i];
    }
    hold_down_left_out();
}

}  // namespace morvalen::core
