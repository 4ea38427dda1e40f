// The one seeded pseudo-random generator of a session, reproducible for a given seed.
#pragma once

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "core/model/wide_int.h"

namespace morvalen::core {

class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 0) : engine_(seed) {}
    void seed(std::uint64_t value) { engine_.seed(value); }

    // Uniform integer in [low, high], the same sequence on every platform.
    std::int64_t uniform_int(std::int64_t low, std::int64_t high) {
        const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
        if (span == 0) return static_cast<std::int64_t>(engine_());
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % span;
        std::uint64_t draw = engine_();
        while (draw >= limit) draw = engine_();
        return low + static_cast<std::int64_t>(draw % span);
    }

    // Uniform real in [0, 1) with 53 random bits.
    double uniform01() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

    std::uint64_t next() { return engine_(); }

    // Uniform integer in [0, range) for range >= 1, drawn as GCC's uniform_int_distribution draws it
    // from a 64-bit generator (multiply, keep the high word, reject a short low word), so that the
    // batch tool's sequences stay what they were while every other standard library gives the same.
    std::uint64_t below(std::uint64_t range) {
        using wide = uint128;
        wide product = static_cast<wide>(engine_()) * range;
        auto low = static_cast<std::uint64_t>(product);
        if (low < range) {
            const std::uint64_t threshold = (0 - range) % range;
            while (low < threshold) {
                product = static_cast<wide>(engine_()) * range;
                low = static_cast<std::uint64_t>(product);
            }
        }
        return static_cast<std::uint64_t>(product >> 64);
    }

    // std::shuffle as GCC's library does it (two swap positions from one draw), on any library.
    template <typename Item>
    void shuffle(std::vector<Item>& items) {
        const std::uint64_t n = items.size();
        if (n == 0) return;
        const auto swap_at = [&](std::uint64_t i, std::uint64_t j) { std::swap(items[i], items[j]); };
        if (UINT64_MAX / n < n) {
            for (std::uint64_t i = 1; i < n; ++i) swap_at(i, below(i + 1));
            return;
        }
        std::uint64_t i = 1;
        if (n % 2 == 0) {
            swap_at(i, below(2));
            ++i;
        }
        while (i != n) {
            const std::uint64_t first_range = i + 1;
            const std::uint64_t second_range = i + 2;
            const std::uint64_t both = below(first_range * second_range);
            swap_at(i++, both / second_range);
            swap_at(i++, both % second_range);
        }
    }

private:
    std::mt19937_64 engine_;
};

}  // namespace morvalen::core
