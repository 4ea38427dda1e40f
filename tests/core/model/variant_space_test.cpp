// The walk over a neighbourhood visits exactly the variants within reach, each once.
#include <gtest/gtest.h>

#include <random>

#include "core/model/variant_space.h"
#include "../formation_test_support.h"

using namespace morvalen::core;
using morvalen::test::mark_first;

TEST(VariantSpace, NeighbourhoodWalkMatchesCountingDifferences) {
    std::mt19937_64 rng(31);
    for (int round = 0; round < 200; ++round) {
        std::array<int, 8> counts{};
        for (int& count : counts) count = 1 + static_cast<int>(rng() % 4);
        EventTable events;
        mark_first(events, counts);
        const VariantSpace space(events);
        VariantPattern pattern{};
        for (int d = 0; d < event_count; ++d)  // now and then an event no variant can agree with
            pattern[d] = rng() % 6 == 0 ? -1 : static_cast<int>(rng() % static_cast<std::uint64_t>(counts[d]));
        const int changes = static_cast<int>(rng() % 9);
        std::vector<int> visits(static_cast<std::size_t>(space.size()), 0);
        for_each_variant_within(space, pattern, changes, [&](std::int64_t i) { ++visits.at(static_cast<std::size_t>(i)); });
        for (std::int64_t x = 0; x < space.size(); ++x) {
            const VariantPattern digits = space.digits(x);
            int differ = 0;
            for (int d = 0; d < event_count; ++d) differ += digits[d] != pattern[d] ? 1 : 0;
            ASSERT_EQ(visits[static_cast<std::size_t>(x)], differ <= changes ? 1 : 0)
                << "round " << round << ", variant " << x << ", changes " << changes;
        }
    }
}
