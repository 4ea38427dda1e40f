// The generator's constructions one by one: what each gives for a budget and when it gives nothing.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "briefgen/constructions.h"
#include "briefgen/generator.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::covers_by_brute_force;
using testing::shape_of;

TEST(GeneratorConstructions, HaveDistinctNamesAndGiveCoversOrNothing) {
    std::set<std::string> names;
    for (const Construction& construction : generator_constructions())
        EXPECT_TRUE(names.insert(std::string(construction.name)).second) << construction.name;
    for (const Shape& shape : {shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7), shape_of({4, 3, 2, 2, 2, 1, 1, 1}, 6),
                               shape_of({2, 2, 2, 2, 2, 2, 1, 1}, 7), shape_of({5, 5, 1, 1, 1, 1, 1, 1}, 6)}) {
        core::RandomSource random(3);
        const std::vector<std::vector<Record>> starts{{0}};
        Budget budget;
        budget.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        budget.random = &random;
        budget.starts = &starts;
        budget.best_size = static_cast<std::size_t>(VariantSpace(shape).size());
        for (const Construction& construction : generator_constructions()) {
            const Cover cover = construction.build(shape, budget);
            EXPECT_TRUE(!cover || covers_by_brute_force(shape, *cover)) << construction.name << " on " << describe(shape);
        }
    }
}

TEST(GeneratorConstructions, GivenStartsYieldTheSmallestThatCovers) {
    const Shape shape = shape_of({3, 3, 1, 1, 1, 1, 1, 1}, 7);
    // Three bets that differ in both events; one that covers only its own row and column; all nine.
    const std::vector<Record> diagonal{0, 18, 36}, lone{0}, all{0, 1, 2, 17, 18, 19, 34, 35, 36};
    const std::vector<std::vector<Record>> starts{all, lone, {36, 18, 0, 18}, {}};
    Budget budget;
    budget.starts = &starts;
    EXPECT_EQ(given_starts(shape, budget), Cover(diagonal));
    EXPECT_EQ(given_starts(shape, Budget{}), std::nullopt);
}

TEST(GeneratorConstructions, CosetClassesImproveOnACoverAtOneDisagreementOnly) {
    const Shape four_ternary = shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7);
    Budget budget;
    budget.seed = 5;
    budget.best_size = 12;
    const Cover hamming = coset_classes(four_ternary, budget);
    ASSERT_TRUE(hamming.has_value());
    EXPECT_EQ(hamming->size(), 9u);
    EXPECT_TRUE(covers_by_brute_force(four_ternary, *hamming));
    // Nothing to improve on, a cover already good enough, or two disagreements.
    budget.best_size = 0;
    EXPECT_EQ(coset_classes(four_ternary, budget), std::nullopt);
    budget.best_size = 9;
    budget.good_enough = 9;
    EXPECT_EQ(coset_classes(four_ternary, budget), std::nullopt);
    budget.best_size = 12;
    budget.good_enough = 1;
    EXPECT_EQ(coset_classes(shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 6), budget), std::nullopt);
}

TEST(GeneratorConstructions, PolishFirstOnlyALooserCoverWhileTheBestIsNotGoodEnough) {
    const Shape shape = shape_of({3, 3, 3, 3, 3, 3, 1, 1}, 7);
    core::RandomSource random(2);
    Budget budget;
    budget.random = &random;
    budget.max_iterations = 4000;
    budget.good_enough = good_enough_size(shape);
    const Cover loose = lazy_greedy(shape, budget);
    ASSERT_TRUE(loose.has_value());
    budget.cover = &*loose;
    budget.best_size = loose->size() - 1;
    const Cover polished = polish_first(shape, budget);
    ASSERT_TRUE(polished.has_value());
    EXPECT_LE(polished->size(), loose->size());
    EXPECT_TRUE(covers_by_brute_force(shape, *polished));
    budget.best_size = loose->size();
    EXPECT_EQ(polish_first(shape, budget), std::nullopt);
    budget.best_size = budget.good_enough;
    EXPECT_EQ(polish_first(shape, budget), std::nullopt);
}

}  // namespace
}  // namespace morvalen::briefgen
