// Greedy covering by the best single bet at every step.
#include "briefgen/greedy_cover.h"

namespace morvalen::briefgen {

namespace {

std::uint64_t uncovered_in_ball(const VariantSpace& space, std::uint64_t index, const std::vector<std::uint8_t>& covered) {
    std::uint64_t gain = 0;
    for_each_in_ball(space, space.digits_of(index), space.radius(), [&](std::uint64_t w) { gain += covered[w] == 0; });
    return gain;
}

void cover_ball(const VariantSpace& space, std::uint64_t index, std::vector<std::uint8_t>& covered, std::uint64_t& left) {
    for_each_in_ball(space, space.digits_of(index), space.radius(), [&](std::uint64_t w) {
        if (covered[w] == 0) {
            covered[w] = 1;
            --left;
        }
    });
}

}  // namespace

std::vector<Record> plain_greedy_cover(const Shape& shape) {
    const VariantSpace space(shape);
    std::vector<std::uint8_t> covered(space.size(), 0);
    std::uint64_t left = space.size();
    std::uint64_t target = space.ball_size();
    std::vector<Record> records;
    while (left > 0) {
        std::uint64_t best = 0;
        std::uint64_t best_gain = 0;
        for (std::uint64_t candidate = 0; candidate < space.size(); ++candidate) {
            const std::uint64_t gain = uncovered_in_ball(space, candidate, covered);
            if (gain > best_gain) {
                best_gain = gain;
                best = candidate;
                if (gain >= target) break;
            }
        }
        cover_ball(space, best, covered, left);
        records.push_back(space.record_of_index(best));
        target = best_gain;
    }
    return records;
}

std::vector<Record> lazy_greedy_cover(const Shape& shape, std::chrono::steady_clock::time_point deadline) {
    const VariantSpace space(shape);
    const std::uint64_t top = space.ball_size();
    std::vector<std::uint8_t> covered(space.size(), 0);
    // bound[v] is an upper bound of v's gain; buckets[g] holds candidates whose bound was g when
    // filed (stale entries are skipped when their bound has dropped since).
    std::vector<std::uint32_t> bound(space.size(), static_cast<std::uint32_t>(top));
    std::vector<std::vector<std::uint32_t>> buckets(top + 1);
    buckets[top].reserve(space.size());
    for (std::uint64_t v = space.size(); v-- > 0;) buckets[top].push_back(static_cast<std::uint32_t>(v));
    std::uint64_t left = space.size();
    std::uint64_t level = top;
    std::vector<Record> records;
    std::uint64_t work = 0;
    while (left > 0 && level > 0) {
        if ((++work & 1023) == 0 && std::chrono::steady_clock::now() >= deadline) return {};
        auto& bucket = buckets[level];
        if (bucket.empty()) {
            --level;
            continue;
        }
        const std::uint32_t candidate = bucket.back();
        bucket.pop_back();
        if (bound[candidate] != level) continue;
        const std::uint64_t gain = uncovered_in_ball(space, candidate, covered);
        if (gain == level) {
            cover_ball(space, candidate, covered, left);
            records.push_back(space.record_of_index(candidate));
            bound[candidate] = 0;
        } else {
            bound[candidate] = static_cast<std::uint32_t>(gain);
            if (gain > 0) buckets[gain].push_back(candidate);
        }
    }
    return records;
}

}  // namespace morvalen::briefgen
