// The gain table: every way of building it counts the uncovered variants within reach exactly.
#include <gtest/gtest.h>

#include <random>

#include "core/formation/autoformation.h"
#include "core/formation/gain_table.h"
#include "../formation_test_support.h"

using namespace morvalen::core;
using morvalen::test::mark_first;

namespace {

struct Marking {
    std::array<int, 8> counts;
    int changes;
};

std::vector<std::uint8_t> random_flags(std::int64_t size, int covered, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::vector<std::uint8_t> flags(static_cast<std::size_t>(size), 0);
    for (int i = 0; i < covered; ++i) flags[rng() % flags.size()] = CoverageFlags::covered;
    return flags;
}

std::vector<std::int32_t> built(const VariantSpace& space, const Marking& m, const std::vector<std::uint8_t>& flags,
                                GainUpdate way) {
    GainTable table(space, m.changes, neighbourhood_size(m.counts, event_count - m.changes), {}, way);
    table.build(flags);
    std::vector<std::int32_t> gains;
    for (std::int64_t i = 0; i < space.size(); ++i) gains.push_back(table[i]);
    return gains;
}

}  // namespace

TEST(GainTable, RecountMatchesCountingEachVariantByHand) {
    for (const Marking& m : {Marking{{3, 3, 2, 2, 2, 1, 1, 1}, 2}, Marking{{4, 3, 3, 2, 2, 2, 2, 1}, 3},
                             Marking{{5, 2, 2, 2, 2, 2, 2, 2}, 1}, Marking{{2, 2, 2, 2, 2, 2, 2, 2}, 8}}) {
        EventTable events;
        mark_first(events, m.counts);
        const VariantSpace space(events);
        const auto flags = random_flags(space.size(), static_cast<int>(space.size() / 3), 5);
        const auto gains = built(space, m, flags, GainUpdate::by_recount);
        for (std::int64_t x = 0; x < space.size(); ++x) {
            const VariantPattern a = space.digits(x);
            std::int32_t expected = 0;
            for (std::int64_t y = 0; y < space.size(); ++y) {
                const VariantPattern b = space.digits(y);
                int differ = 0;
                for (int d = 0; d < event_count; ++d) differ += a[d] != b[d] ? 1 : 0;
                if (differ <= m.changes && flags[static_cast<std::size_t>(y)] == 0) ++expected;
            }
            ASSERT_EQ(gains[static_cast<std::size_t>(x)], expected) << "variant " << x;
        }
    }
}

// Neighbourhoods of more than 32,767 variants take the recount's wide counters.
TEST(GainTable, RecountAgreesWithNeighbourhoodsInNarrowAndWideCounters) {
    for (const Marking& m : {Marking{{3, 3, 3, 3, 3, 3, 3, 3}, 4}, Marking{{4, 4, 4, 4, 4, 4, 4, 4}, 6}}) {
        EventTable events;
        mark_first(events, m.counts);
        const VariantSpace space(events);
        const auto flags = random_flags(space.size(), 12, 9);
        EXPECT_EQ(built(space, m, flags, GainUpdate::by_recount), built(space, m, flags, GainUpdate::by_neighbourhoods));
    }
}
