// The one seeded pseudo-random generator of a session, reproducible for a given seed.
#pragma once

#include <cstdint>
#include <random>

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

private:
    std::mt19937_64 engine_;
};

}  // namespace morvalen::core
