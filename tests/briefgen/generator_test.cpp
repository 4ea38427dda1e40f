// Generated systems: covering on random shapes, the known optima, constructions and refused shapes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "briefgen/autoformation_cover.h"
#include "briefgen/coverage_check.h"
#include "briefgen/generator.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/known_codes.h"
#include "briefgen/local_search.h"
#include "briefgen/matrix_codes.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::covers_by_brute_force;
using testing::shape_of;

GenerateOptions quick(std::uint64_t seed, long milliseconds = 200) {
    GenerateOptions options;
    options.seed = seed;
    options.budget = std::chrono::milliseconds(milliseconds);
    return options;
}

TEST(Generator, CoversRandomSmallShapes) {
    std::mt19937_64 random(3);
    for (int trial = 0; trial < 25; ++trial) {
        Shape shape;
        for (int& count : shape.counts) count = std::uniform_int_distribution<int>(1, 4)(random);
        std::sort(shape.counts.begin(), shape.counts.end(), std::greater<>());
        shape.guarantee = std::uniform_int_distribution<int>(5, 8)(random);
        if (VariantSpace(shape).size() > 2000) continue;
        const GeneratedSystem system = generate_system(shape, quick(static_cast<std::uint64_t>(trial), 100));
        EXPECT_TRUE(covers_by_brute_force(shape, system.records)) << describe(shape);
        EXPECT_TRUE(std::is_sorted(system.records.begin(), system.records.end()));
        EXPECT_EQ(std::adjacent_find(system.records.begin(), system.records.end()), system.records.end());
        EXPECT_GE(system.records.size(), sphere_bound(shape));
    }
}

TEST(Generator, NeverLargerThanAutoformationOnRandomShapes) {
    std::mt19937_64 random(15);
    for (int trial = 0; trial < 30; ++trial) {
        Shape shape;
        for (int& count : shape.counts) count = std::uniform_int_distribution<int>(1, 6)(random);
        std::sort(shape.counts.begin(), shape.counts.end(), std::greater<>());
        shape.guarantee = std::uniform_int_distribution<int>(5, 7)(random);
        if (VariantSpace(shape).size() > 1500) continue;
        const auto greedy = autoformation_cover(shape, 0);
        ASSERT_TRUE(greedy.has_value());
        EXPECT_TRUE(check_coverage(shape, *greedy).covers) << describe(shape);
        GenerateOptions options = quick(static_cast<std::uint64_t>(trial), 50);
        options.max_iterations = 200;
        const GeneratedSystem system = generate_system(shape, options);
        EXPECT_LE(system.records.size(), greedy->size()) << describe(shape) << " from " << system.start;
    }
}

TEST(Generator, ReachesTheKnownOptimaOfSmallShapes) {
    struct Case {
        Shape shape;
        std::size_t optimum;
    };
    const Case cases[] = {
        {shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7), 16},  // binary Hamming code
        {shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7), 9},   // ternary Hamming code
        {shape_of({3, 3, 3, 3, 3, 1, 1, 1}, 7), 27},
        {shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 7), 32},
        {shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 6), 12},
        {shape_of({3, 3, 3, 1, 1, 1, 1, 1}, 7), 5},
        {shape_of({2, 2, 2, 2, 2, 1, 1, 1}, 7), 7},
    };
    for (const Case& c : cases) {
        // The search stops as soon as it meets the optimum; the long budget only absorbs slow runs.
        const GeneratedSystem system = generate_system(c.shape, quick(5, 120000));
        EXPECT_EQ(system.records.size(), c.optimum) << describe(c.shape) << " from " << system.start;
        EXPECT_TRUE(covers_by_brute_force(c.shape, system.records)) << describe(c.shape);
    }
}

TEST(Generator, TrivialShapes) {
    // Nothing to choose, or more free disagreements than events with a choice: one bet.
    EXPECT_EQ(generate_system(shape_of({1, 1, 1, 1, 1, 1, 1, 1}, 8), quick(1)).records, std::vector<Record>{0});
    EXPECT_EQ(generate_system(shape_of({17, 17, 1, 1, 1, 1, 1, 1}, 6), quick(1)).records, std::vector<Record>{0});
    // Every event must agree: the system is every variant.
    EXPECT_EQ(generate_system(shape_of({3, 2, 1, 1, 1, 1, 1, 1}, 8), quick(1)).records.size(), 6u);
}

TEST(Generator, RefusesMalformedAndOversizedShapes) {
    EXPECT_THROW(generate_system(shape_of({2, 3, 1, 1, 1, 1, 1, 1}, 7), quick(1)), ShapeError);
    EXPECT_THROW(generate_system(shape_of({3, 3, 1, 1, 1, 1, 1, 1}, 0), quick(1)), ShapeError);
    EXPECT_THROW(generate_system(shape_of({0, 0, 0, 0, 0, 0, 0, 0}, 7), quick(1)), ShapeError);
    GenerateOptions small = quick(1);
    small.max_variants = 1000;
    EXPECT_THROW(generate_system(shape_of({4, 4, 4, 4, 4, 1, 1, 1}, 7), small), ShapeError);
}

TEST(Generator, IgnoresStartsThatDoNotCover) {
    const Shape shape = shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7);
    GenerateOptions options = quick(2);
    options.starts = {{0}, {999999999999}, {}};
    const GeneratedSystem system = generate_system(shape, options);
    EXPECT_EQ(system.records.size(), 9u);
    EXPECT_NE(system.start, "given");
}

TEST(Generator, SameSeedAndIterationsGiveTheSameSystem) {
    const Shape shape = shape_of({3, 3, 3, 2, 2, 2, 1, 1}, 7);
    GenerateOptions options = quick(9, 60000);
    options.max_iterations = 3000;
    EXPECT_EQ(generate_system(shape, options).records, generate_system(shape, options).records);
}

TEST(Constructions, ProductsOfSmallerSystemsCover) {
    const Shape smaller = shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7);
    const auto hamming = structured_cover(smaller);
    ASSERT_EQ(hamming.size(), 9u);
    for (int count : {2, 3, 4}) {
        const auto wide = widen(smaller, count);
        ASSERT_TRUE(wide.has_value());
        const auto product = product_with_event(smaller, hamming, count);
        EXPECT_EQ(product.size(), 9u * static_cast<std::size_t>(count));
        EXPECT_TRUE(covers_by_brute_force(wide->shape, product)) << describe(wide->shape);
        Shape looser = wide->shape;
        looser.guarantee = 6;
        EXPECT_TRUE(covers_by_brute_force(looser, with_free_event(smaller, hamming, count))) << describe(looser);
    }
    EXPECT_EQ(widen(shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 7), 2), std::nullopt);
    EXPECT_EQ(widen(shape_of({3, 2, 1, 1, 1, 1, 1, 1}, 7), 3)->shape, shape_of({3, 3, 2, 1, 1, 1, 1, 1}, 7));
    EXPECT_EQ(widen(shape_of({3, 2, 1, 1, 1, 1, 1, 1}, 7), 3)->position, 1);
}

TEST(Constructions, StructuredAndCosetCoversCover) {
    for (const Shape& shape : {shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7), shape_of({3, 3, 3, 3, 2, 2, 2, 2}, 6),
                               shape_of({5, 4, 3, 2, 2, 1, 1, 1}, 5), shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 7)}) {
        EXPECT_TRUE(check_coverage(shape, structured_cover(shape)).covers) << describe(shape);
    }
    EXPECT_EQ(structured_cover(shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7)).size(), 16u);
    core::RandomSource random(4);
    const Shape five = shape_of({3, 3, 3, 3, 3, 1, 1, 1}, 7);
    const auto cosets = matrix_cover(five, 30, random, std::chrono::steady_clock::now() + std::chrono::seconds(3));
    ASSERT_FALSE(cosets.empty());
    EXPECT_LT(cosets.size(), 30u);
    EXPECT_TRUE(covers_by_brute_force(five, cosets));
    // Over GF(4), and with one event of three outcomes taking the code's symbols merged.
    for (const Shape& shape : {shape_of({4, 4, 4, 4, 4, 1, 1, 1}, 6), shape_of({4, 4, 4, 4, 4, 3, 1, 1}, 7)}) {
        const std::size_t below = shape.guarantee == 6 ? 40 : 300;
        const auto found = matrix_cover(shape, below, random, std::chrono::steady_clock::now() + std::chrono::seconds(1));
        ASSERT_FALSE(found.empty()) << describe(shape);
        EXPECT_LT(found.size(), below);
        EXPECT_TRUE(check_coverage(shape, found).covers) << describe(shape);
    }
}

TEST(LocalSearch, NeverReturnsAWorseOrBrokenCover) {
    const Shape shape = shape_of({3, 3, 3, 3, 3, 3, 1, 1}, 7);
    const auto start = lazy_greedy_cover(shape);
    core::RandomSource random(6);
    SearchLimits limits;
    limits.max_iterations = 20000;
    SearchStats stats;
    const auto shrunk = shrink_cover(shape, start, random, limits, &stats);
    EXPECT_LT(shrunk.size(), start.size());
    EXPECT_TRUE(check_coverage(shape, shrunk).covers);
    EXPECT_GT(stats.covers_found, 1u);
    // A start that does not cover comes back untouched rather than "shrunk".
    const std::vector<Record> broken(start.begin(), start.begin() + 10);
    EXPECT_EQ(shrink_cover(shape, broken, random, limits), broken);
}

}  // namespace
}  // namespace morvalen::briefgen
