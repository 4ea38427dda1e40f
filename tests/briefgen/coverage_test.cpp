// The exhaustive check against a brute-force oracle, refused systems, signatures and the sphere bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "briefgen/coverage_check.h"
#include "briefgen/greedy_cover.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::covers_by_brute_force;
using testing::shape_of;

Shape random_shape(std::mt19937_64& random) {
    Shape shape;
    for (int& count : shape.counts) count = std::uniform_int_distribution<int>(1, 4)(random);
    std::sort(shape.counts.begin(), shape.counts.end(), std::greater<>());
    shape.guarantee = std::uniform_int_distribution<int>(4, 8)(random);
    return shape;
}

TEST(CoverageCheck, AgreesWithBruteForceOnRandomSystems) {
    std::mt19937_64 random(7);
    int covering = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const Shape shape = random_shape(random);
        const VariantSpace space(shape);
        std::vector<Record> records;
        const auto bets = std::uniform_int_distribution<std::uint64_t>(1, std::max<std::uint64_t>(1, space.size() / 3))(random);
        for (std::uint64_t i = 0; i < bets; ++i)
            records.push_back(space.record_of_index(std::uniform_int_distribution<std::uint64_t>(0, space.size() - 1)(random)));
        const CoverageReport report = check_coverage(shape, records);
        ASSERT_EQ(report.covers, covers_by_brute_force(shape, records)) << describe(shape);
        EXPECT_EQ(report.covers, report.problem.empty());
        covering += report.covers;
    }
    // Both outcomes must occur, or the comparison proves little.
    EXPECT_GT(covering, 20);
    EXPECT_LT(covering, 280);
}

TEST(CoverageCheck, RefusesDamagedSystems) {
    const Shape shape = shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7);
    // The ternary Hamming code: perfect, so every bet is needed.
    const std::vector<Record> hamming = [] {
        std::vector<Record> records;
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b) {
                const Digits digits{static_cast<std::uint8_t>((a + b) % 3), static_cast<std::uint8_t>((a + 2 * b) % 3),
                                    static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), 0, 0, 0, 0};
                records.push_back(record_of_digits(digits));
            }
        return records;
    }();
    ASSERT_TRUE(check_coverage(shape, hamming).covers);
    ASSERT_TRUE(covers_by_brute_force(shape, hamming));
    EXPECT_NO_THROW(require_coverage(shape, hamming));

    auto missing = hamming;
    missing.pop_back();
    const CoverageReport short_report = check_coverage(shape, missing);
    EXPECT_FALSE(short_report.covers);
    EXPECT_EQ(short_report.uncovered, 9u);  // a perfect code's ball is lost whole
    EXPECT_THROW(require_coverage(shape, missing), CoverageError);

    auto moved = hamming;
    moved[4] += 1;  // one event of one bet changed: its old ball is no longer reached
    EXPECT_FALSE(check_coverage(shape, moved).covers);

    // A position beyond an event's count would expand to another outcome: refused outright, even
    // when the rest of the system covers.
    auto beyond = hamming;
    beyond.push_back(3);
    EXPECT_FALSE(check_coverage(shape, beyond).covers);
    EXPECT_NE(check_coverage(shape, beyond).problem.find("beyond"), std::string::npos);
    beyond.back() = record_of_digits({0, 0, 0, 0, 1, 0, 0, 0});  // a single-outcome event
    EXPECT_FALSE(check_coverage(shape, beyond).covers);
    beyond.back() = Record{1} << 40;  // digits above the eighth event
    EXPECT_FALSE(check_coverage(shape, beyond).covers);
    EXPECT_FALSE(check_coverage(shape, std::vector<Record>{}).covers);
}

TEST(CoverageCheck, RefusesMalformedShapes) {
    const std::vector<Record> one{0};
    EXPECT_FALSE(check_coverage(shape_of({2, 3, 1, 1, 1, 1, 1, 1}, 7), one).covers);
    EXPECT_FALSE(check_coverage(shape_of({3, 3, 1, 1, 1, 1, 1, 1}, 0), one).covers);
    EXPECT_FALSE(check_coverage(shape_of({18, 3, 1, 1, 1, 1, 1, 1}, 7), one).covers);
}

TEST(Signature, RoundTripsEveryCountIncludingSeventeen) {
    const Shape shape = shape_of({17, 17, 5, 3, 2, 1, 1, 1}, 6);
    const auto back = shape_from_signature(signature_of(shape));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, shape);
    EXPECT_EQ(signature_of(shape_of({3, 2, 1, 1, 1, 1, 1, 1}, 7)), 50111101842);
    EXPECT_FALSE(shape_from_signature(0).has_value());
    EXPECT_FALSE(shape_from_signature(-5).has_value());
    EXPECT_FALSE(shape_from_signature(signature_of(shape_of({2, 3, 1, 1, 1, 1, 1, 1}, 7))).has_value());
    EXPECT_FALSE(shape_from_signature(signature_of(shape_of({3, 2, 1, 1, 1, 1, 1, 1}, 9))).has_value());
}

TEST(VariantSpace, BallSizeAndSphereBound) {
    const VariantSpace binary(shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 6));
    EXPECT_EQ(binary.size(), 256u);
    EXPECT_EQ(binary.ball_size(), 37u);
    EXPECT_EQ(sphere_bound(shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 7)), 29u);
    EXPECT_EQ(sphere_bound(shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 7)), 386u);
    // More allowed disagreements than events with a choice: one bet covers everything.
    EXPECT_EQ(VariantSpace(shape_of({3, 3, 1, 1, 1, 1, 1, 1}, 5)).ball_size(), 9u);
    EXPECT_EQ(sphere_bound(shape_of({1, 1, 1, 1, 1, 1, 1, 1}, 8)), 1u);
}

TEST(GreedyCover, BothGreediesCoverRandomShapes) {
    std::mt19937_64 random(11);
    for (int trial = 0; trial < 30; ++trial) {
        const Shape shape = random_shape(random);
        if (VariantSpace(shape).size() > 1500) continue;
        const auto plain = plain_greedy_cover(shape);
        const auto lazy = lazy_greedy_cover(shape);
        EXPECT_TRUE(covers_by_brute_force(shape, plain)) << describe(shape);
        EXPECT_TRUE(covers_by_brute_force(shape, lazy)) << describe(shape);
        EXPECT_GE(plain.size(), sphere_bound(shape));
    }
    // Greedy takes the whole perfect code here: every step finds a full ball.
    EXPECT_EQ(plain_greedy_cover(shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7)).size(), 16u);
}

}  // namespace
}  // namespace morvalen::briefgen
