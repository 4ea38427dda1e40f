// Gluing two covers on a shared event: the radii add, the words shrink by about the alphabet.
#include <gtest/gtest.h>

#include "briefgen/amalgamated_sum.h"
#include "briefgen/coverage_check.h"
#include "briefgen/galois_field.h"
#include "briefgen/record_codes.h"

namespace morvalen::briefgen {
namespace {

bool covers(int q, int radius, const std::vector<Word>& words) {
    return check_coverage(uniform_shape(q, static_cast<int>(words.front().size()), radius), records_of_words(words)).covers;
}

TEST(AmalgamatedSum, GluesTheBinaryHammingCodeToAPairInHalfTheWordsOfTheDirectSum) {
    const auto hamming = hamming_code(GaloisField(2), 3);  // 16 words of length 7, radius 1
    const std::vector<Word> pair{{0, 0}, {1, 1}};          // length 2, radius 1
    const auto glued = amalgamated_sum(hamming, 1, pair, 1, 2);
    ASSERT_EQ(glued.size(), 16u);  // the direct sum has 32
    EXPECT_EQ(glued.front().size(), 8u);
    EXPECT_TRUE(covers(2, 2, glued));
}

TEST(AmalgamatedSum, TheDiagonalGluedToItselfStaysADiagonalOverEveryAlphabet) {
    for (int q = 2; q <= 6; ++q) {
        std::vector<Word> diagonal;
        for (int a = 0; a < q; ++a) diagonal.push_back({static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(a)});
        const auto glued = amalgamated_sum(diagonal, 1, diagonal, 1, q);
        ASSERT_EQ(glued.size(), static_cast<std::size_t>(q)) << q;
        EXPECT_TRUE(covers(q, 2, glued)) << q;
    }
}

TEST(AmalgamatedSum, WhatItReturnsCoversAndIsUnderTheBoundItWasGiven) {
    const auto ternary = hamming_code(GaloisField(3), 2);  // 9 words of length 4, radius 1
    const auto glued = amalgamated_sum(ternary, 1, ternary, 1, 3);
    if (!glued.empty()) {
        EXPECT_LT(glued.size(), 81u);
        EXPECT_TRUE(covers(3, 2, glued));
        EXPECT_TRUE(amalgamated_sum(ternary, 1, ternary, 1, 3, glued.size()).empty());
    }
    EXPECT_TRUE(amalgamated_sum(ternary, 1, {}, 1, 3).empty());
}

}  // namespace
}  // namespace morvalen::briefgen
