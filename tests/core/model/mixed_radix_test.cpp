// The walk over a neighbourhood against a plain depth-first enumeration, on small mixed spaces.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/model/mixed_radix.h"

using namespace morvalen::core;

namespace {

struct Case {
    std::vector<int> counts;
    RadixDigits centre{};
    std::array<std::uint32_t, radix_digits> allowed{};  // bit v: value v may stand in the digit
    int changes = 0;
};

Case random_case(std::mt19937_64& rng, bool filtered) {
    Case c;
    c.counts.resize(1 + rng() % radix_digits);
    for (std::size_t d = 0; d < c.counts.size(); ++d) {
        c.counts[d] = 1 + static_cast<int>(rng() % 4);
        c.centre[d] = rng() % 5 == 0 ? -1 : static_cast<int>(rng() % static_cast<std::uint64_t>(c.counts[d]));
        c.allowed[d] = (1U << c.counts[d]) - 1;
        if (filtered) c.allowed[d] &= static_cast<std::uint32_t>(rng());
    }
    c.changes = static_cast<int>(rng() % 6) - 1;
    return c;
}

// Every digit in turn: the centre's value first when it is allowed, then the other allowed values in
// ascending order, each a change; the state multiplied along the path in digit order.
void reference_walk(const MixedRadix& space, const Case& c, bool exactly, std::size_t d, int left, std::int64_t at,
                    double state, std::vector<std::pair<std::int64_t, double>>& out) {
    if (d == c.counts.size()) {
        if (!exactly || left == 0) out.emplace_back(at, state);
        return;
    }
    const int own = c.centre[d];
    const auto factor = [&](int v) { return 1.0 + 0.1 * static_cast<double>(d) + 0.01 * v; };
    const auto weight = space.weight(static_cast<int>(d));
    if (own >= 0 && (c.allowed[d] >> own & 1U))
        reference_walk(space, c, exactly, d + 1, left, at + own * weight, state * factor(own), out);
    if (left == 0) return;
    for (int v = 0; v < c.counts[d]; ++v)
        if (v != own && (c.allowed[d] >> v & 1U))
            reference_walk(space, c, exactly, d + 1, left - 1, at + v * weight, state * factor(v), out);
}

std::vector<std::pair<std::int64_t, double>> reference(const MixedRadix& space, const Case& c, bool exactly) {
    std::vector<std::pair<std::int64_t, double>> out;
    if (c.changes >= 0) reference_walk(space, c, exactly, 0, c.changes, 0, 1.0, out);
    return out;
}

}  // namespace

TEST(MixedRadix, IndexAndDigitsAreInverseInBothOrders) {
    const std::vector<int> counts{3, 1, 4, 2, 5};
    for (const MixedRadix& space : {MixedRadix::last_fastest(counts), MixedRadix::first_fastest(counts)}) {
        ASSERT_EQ(space.size(), 120);
        for (std::int64_t i = 0; i < space.size(); ++i) {
            const RadixDigits digits = space.digits_of(i);
            for (int d = 0; d < space.used(); ++d) ASSERT_LT(digits[static_cast<std::size_t>(d)], counts[static_cast<std::size_t>(d)]);
            ASSERT_EQ(space.index_of(digits), i);
        }
    }
    EXPECT_EQ(MixedRadix::last_fastest(counts).weight(4), 1);
    EXPECT_EQ(MixedRadix::first_fastest(counts).weight(0), 1);
    EXPECT_EQ(MixedRadix::last_fastest(std::vector<int>{3, 0, 2}).size(), 0);
}

TEST(MixedRadix, NeighbourhoodSizeCountsTheValuesWithinReach) {
    std::mt19937_64 rng(5);
    for (int round = 0; round < 100; ++round) {
        std::vector<int> counts(1 + rng() % radix_digits);
        for (int& count : counts) count = 1 + static_cast<int>(rng() % 5);
        const MixedRadix space = MixedRadix::last_fastest(counts);
        const RadixDigits centre = space.digits_of(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(space.size())));
        for (int changes = 0; changes <= radix_digits + 1; ++changes) {
            std::int64_t within = 0;
            for (std::int64_t i = 0; i < space.size(); ++i) {
                const RadixDigits digits = space.digits_of(i);
                int differ = 0;
                for (int d = 0; d < space.used(); ++d) differ += digits[static_cast<std::size_t>(d)] != centre[static_cast<std::size_t>(d)];
                within += differ <= changes;
            }
            ASSERT_EQ(space.neighbourhood(changes), within) << "round " << round << ", changes " << changes;
        }
    }
    // Markings players use, and the signed terms of an event without any value.
    const std::vector<int> binary(8, 2);
    EXPECT_EQ(MixedRadix::last_fastest(binary).neighbourhood(2), 37);
    EXPECT_EQ(MixedRadix::last_fastest(std::vector<int>{0, 2}).neighbourhood(1), 1 - 1 + 1);
    EXPECT_EQ(MixedRadix::last_fastest(std::vector<int>{0, 3}).neighbourhood(2), 1 + (-1 + 2) + (-1 * 2));
}

TEST(MixedRadix, WalkVisitsWhatTheDepthFirstEnumerationDoesInItsOrder) {
    std::mt19937_64 rng(17);
    for (int round = 0; round < 3000; ++round) {
        const Case c = random_case(rng, round % 2 == 1);
        const bool first = round % 3 == 0;
        const MixedRadix space = first ? MixedRadix::first_fastest(c.counts) : MixedRadix::last_fastest(c.counts);
        const auto allowed = [&](int d, int v) { return (c.allowed[static_cast<std::size_t>(d)] >> v & 1U) != 0; };
        const Neighbourhood around(space, c.centre, allowed);
        const auto expected = reference(space, c, false);
        const auto expected_exactly = reference(space, c, true);

        std::vector<std::int64_t> plain, exactly;
        around.for_each_within(c.changes, [&](std::int64_t i) { plain.push_back(i); });
        around.for_each_at(c.changes, [&](std::int64_t i) { exactly.push_back(i); });
        std::vector<std::pair<std::int64_t, double>> weighted;
        around.for_each_within(
            c.changes, 1.0, [](double p, int d, int v) { return p * (1.0 + 0.1 * d + 0.01 * v); },
            [&](std::int64_t i, double p) { weighted.emplace_back(i, p); });

        ASSERT_EQ(weighted, expected) << "round " << round;  // the products bit for bit, in order
        ASSERT_EQ(plain.size(), expected.size()) << "round " << round;
        for (std::size_t k = 0; k < plain.size(); ++k) ASSERT_EQ(plain[k], expected[k].first) << "round " << round;
        ASSERT_EQ(exactly.size(), expected_exactly.size()) << "round " << round;
        for (std::size_t k = 0; k < exactly.size(); ++k) ASSERT_EQ(exactly[k], expected_exactly[k].first) << "round " << round;
    }
}

TEST(MixedRadix, WalkReachesEachValueWithinReachOnce) {
    // Every value of a 4·3·3·2·2·2 space from a centre with an open digit, by counting differences.
    const std::vector<int> counts{4, 3, 3, 2, 2, 2};
    const MixedRadix space = MixedRadix::last_fastest(counts);
    const RadixDigits centre{2, -1, 0, 1, 0, 1, 0, 0};
    for (int changes = 0; changes <= 6; ++changes) {
        std::vector<int> visits(static_cast<std::size_t>(space.size()), 0);
        Neighbourhood(space, centre).for_each_within(changes, [&](std::int64_t i) { ++visits.at(static_cast<std::size_t>(i)); });
        for (std::int64_t i = 0; i < space.size(); ++i) {
            const RadixDigits digits = space.digits_of(i);
            int differ = 0;
            for (int d = 0; d < space.used(); ++d) differ += digits[static_cast<std::size_t>(d)] != centre[static_cast<std::size_t>(d)];
            ASSERT_EQ(visits[static_cast<std::size_t>(i)], differ <= changes ? 1 : 0) << "changes " << changes << ", value " << i;
        }
    }
}
