// The session's generator draws and shuffles the same on every standard library, and as GCC's does.
#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "core/model/random_source.h"

namespace morvalen::core {
namespace {

// The generator's bits for the standard algorithms, as the core handed them before.
struct Bits {
    RandomSource& source;
    using result_type = std::uint64_t;
    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return UINT64_MAX; }
    result_type operator()() { return source.next(); }
};

TEST(RandomSource, ShufflesAsTheBatchToolAlwaysDid) {
#ifndef __GLIBCXX__
    GTEST_SKIP() << "the reference is GCC's std::shuffle";
#endif
    for (std::uint64_t seed : std::vector<std::uint64_t>{0, 1, 20261209, 0xFFFFFFFFFFFF}) {
        for (std::size_t n : std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 16, 17, 100, 1001, 65536}) {
            std::vector<std::size_t> ours(n);
            std::iota(ours.begin(), ours.end(), 0);
            std::vector<std::size_t> theirs = ours;
            RandomSource a(seed);
            RandomSource b(seed);
            a.shuffle(ours);
            std::shuffle(theirs.begin(), theirs.end(), Bits{b});
            ASSERT_EQ(ours, theirs) << "seed " << seed << ", " << n << " items";
            // The generators stay in step for what follows the shuffle.
            ASSERT_EQ(a.next(), b.next());
        }
    }
}

TEST(RandomSource, DrawsBelowARangeAsTheStandardDistribution) {
#ifndef __GLIBCXX__
    GTEST_SKIP() << "the reference is GCC's uniform_int_distribution";
#endif
    RandomSource a(7);
    RandomSource b(7);
    Bits bits{b};
    for (std::uint64_t range : std::vector<std::uint64_t>{1, 2, 3, 10, 1000003, (1ull << 63) + 5, UINT64_MAX}) {
        for (int n = 0; n < 2000; ++n) {
            std::uniform_int_distribution<std::uint64_t> standard(0, range - 1);
            const std::uint64_t drawn = a.below(range);
            ASSERT_LT(drawn, range);
            ASSERT_EQ(drawn, standard(bits)) << range;
        }
    }
}

}  // namespace
}  // namespace morvalen::core
