// Sums over a partition: a cover's last event picks the coset of a hyperplane its words go on with.
#include <gtest/gtest.h>

#include "briefgen/coverage_check.h"
#include "briefgen/galois_field.h"
#include "briefgen/partitioned_sum.h"
#include "briefgen/record_codes.h"

namespace morvalen::briefgen {
namespace {

bool covers(int q, int radius, const std::vector<Word>& words) {
    return check_coverage(uniform_shape(q, static_cast<int>(words.front().size()), radius), records_of_words(words)).covers;
}

TEST(PartitionedSum, MakesTheLeastKnownCodeOfEightFourOutcomeEventsAtRadiusThree) {
    const auto& four = shipped_uniform_codes().uniform.at(4);
    const auto& first = four.at({4, 1}).words;  // 24 words
    core::RandomSource random(5);
    const auto parts = linear_partition(GaloisField(4), 5, 2, 3, random, 24);
    ASSERT_TRUE(parts.has_value());
    ASSERT_EQ(parts->size(), 4u);
    for (const auto& part : *parts) EXPECT_TRUE(covers(4, 3, part));
    const auto sum = partitioned_sum(first, *parts);
    EXPECT_EQ(sum.size(), 96u);  // the direct sum of the 24 and the 16 words is 384 and an event longer
    EXPECT_TRUE(covers(4, 3, sum));
}

TEST(PartitionedSum, SplitsTheWholeSpaceIntoParityClassesAndCoversOverSmallFields) {
    for (int q : {2, 3, 5}) {
        core::RandomSource random(static_cast<std::uint64_t>(q));
        const auto hamming = hamming_code(GaloisField(q), 2);  // radius 1
        const auto whole = linear_partition(GaloisField(q), 3, 0, 0, random, 24);
        ASSERT_TRUE(whole.has_value()) << q;
        const auto sum = partitioned_sum(hamming, *whole);
        EXPECT_EQ(sum.size(), hamming.size() * static_cast<std::size_t>(q * q)) << q;
        EXPECT_TRUE(covers(q, 1, sum)) << q;
    }
}

TEST(PartitionedSum, APerfectCodeHasNoHyperplaneWithOneMoreRadius) {
    // Two words of a perfect code are three apart, so a proper part leaves the others three away.
    core::RandomSource random(3);
    EXPECT_FALSE(linear_partition(GaloisField(3), 4, 1, 2, random, 24).has_value());
    const auto parity = linear_partition(GaloisField(3), 4, 1, 1, random, 24);
    ASSERT_TRUE(parity.has_value());
    const auto sum = partitioned_sum(hamming_code(GaloisField(3), 2), *parity);
    EXPECT_EQ(sum.size(), 81u);
    EXPECT_TRUE(covers(3, 2, sum));
}

TEST(PartitionedSum, IgnoresWordsWhoseLastSymbolHasNoPart) {
    const std::vector<std::vector<Word>> parts{{{0}}, {{1}}};
    EXPECT_EQ(partitioned_sum({{0, 0}, {1, 1}, {2, 5}}, parts).size(), 2u);
    EXPECT_TRUE(partitioned_sum({Word{}}, parts).empty());
}

TEST(PartitionedSum, AWordLongerThanABetHasNoRecord) {
    EXPECT_THROW(records_of_words({Word(9, 0)}), std::invalid_argument);
}

}  // namespace
}  // namespace morvalen::briefgen
