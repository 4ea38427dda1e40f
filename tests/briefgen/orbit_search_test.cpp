// Covers made of orbits under prescribed symmetries of the words.
#include <gtest/gtest.h>

#include <algorithm>

#include "briefgen/coverage_check.h"
#include "briefgen/orbit_search.h"
#include "briefgen/record_codes.h"

namespace morvalen::briefgen {
namespace {

Word image(const Word& word, const WordSymmetry& map) {
    Word result(word.size());
    for (std::size_t i = 0; i < word.size(); ++i)
        result[static_cast<std::size_t>(map.positions[i])] = static_cast<std::uint8_t>(map.symbols[i][word[i]]);
    return result;
}

TEST(OrbitSearch, FindsThePerfectBinaryCodeOfLengthSevenAsUnionOfCyclicShifts) {
    const auto shift = parse_symmetry("1234560", 2, 7);
    ASSERT_TRUE(shift.has_value());
    core::RandomSource random(1);
    OrbitSearchOptions options;
    options.max_steps = 20000;
    options.stop_at = 16;  // the sphere bound: 128 words, 8 in each ball
    const auto code = search_orbit_cover(2, 7, 1, {*shift}, 40, random, options);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(code->size(), 16u);
    EXPECT_TRUE(check_coverage(uniform_shape(2, 7, 1), records_of_words(*code)).covers);
    // The code is the shift's to keep: every word's image is a word of it.
    for (const Word& word : *code) EXPECT_TRUE(std::binary_search(code->begin(), code->end(), image(word, *shift),
                                                                  [](const Word& a, const Word& b) {
                                                                      return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
                                                                  }));
}

TEST(OrbitSearch, ReachesTheLeastKnownCodeOfFourFiveOutcomeEventsUnderACycleOfThree) {
    // 51 words, found under the rotation of the first three events; the best single-bet search
    // here stops at 52.
    const auto rotation = parse_symmetry("1203", 5, 4);
    ASSERT_TRUE(rotation.has_value());
    core::RandomSource random(68);
    OrbitSearchOptions options;
    options.max_steps = 40000;
    options.stop_at = 51;
    const auto code = search_orbit_cover(5, 4, 1, {*rotation}, 60, random, options);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(code->size(), 51u);
    EXPECT_TRUE(check_coverage(uniform_shape(5, 4, 1), records_of_words(*code)).covers);
}

TEST(OrbitSearch, NothingUnderTheSphereBoundAndNothingTooLargeToHold) {
    const auto shift = parse_symmetry("1234560", 2, 7);
    core::RandomSource random(1);
    OrbitSearchOptions options;
    options.max_steps = 3000;
    EXPECT_FALSE(search_orbit_cover(2, 7, 1, {*shift}, 16, random, options).has_value());
    // Eight events of five outcomes at radius two: 390,625 balls of 481 words are not kept.
    const auto swap = parse_symmetry("10234567", 5, 8);
    ASSERT_TRUE(swap.has_value());
    EXPECT_FALSE(search_orbit_cover(5, 8, 2, {*swap}, 2000, random, options).has_value());
    // A radius that covers everything from one word is not a search.
    EXPECT_FALSE(search_orbit_cover(2, 7, 7, {*shift}, 5, random, options).has_value());
}

TEST(OrbitSearch, StartsFromACoverOfWholeOrbitsAndComesDownToThePerfectCode) {
    // Every word of length seven, in pairs of complements: the perfect code holds the all-ones word,
    // so it is a union of such pairs.
    std::vector<Word> everything;
    for (int x = 0; x < 128; ++x) {
        Word word(7);
        for (int i = 0; i < 7; ++i) word[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((x >> i) & 1);
        everything.push_back(word);
    }
    const WordSymmetry complement = translation(Word(7, 1), 2, true);
    core::RandomSource random(4);
    OrbitSearchOptions options;
    options.max_steps = 50000;
    options.stop_at = 16;
    options.start = everything;
    const auto code = search_orbit_cover(2, 7, 1, {complement}, 1000, random, options);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(code->size(), 16u);
    EXPECT_TRUE(check_coverage(uniform_shape(2, 7, 1), records_of_words(*code)).covers);
    // A start that splits a pair is not a union of orbits.
    options.start.pop_back();
    EXPECT_FALSE(search_orbit_cover(2, 7, 1, {complement}, 1000, random, options).has_value());
}

TEST(OrbitSearch, TheShiftsThatKeepACodeAreItsOwnWordsWhenItIsLinear) {
    // The ternary Hamming code of length four, x2 = x0 + 2·x1 and x3 = x0 + x1 (mod 3), is kept by
    // every shift by one of its words; with one word moved out only the shift by nothing is left.
    std::vector<Word> hamming;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            hamming.push_back({static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>((a + 2 * b) % 3),
                               static_cast<std::uint8_t>((a + b) % 3)});
    EXPECT_EQ(code_translations(hamming, 3, false).size(), 9u);
    auto damaged = hamming;
    damaged.back()[0] = static_cast<std::uint8_t>((damaged.back()[0] + 1) % 3);
    const auto kept = code_translations(damaged, 3, false);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept.front(), Word(4, 0));
    // Four outcomes read as bit pairs: the shifts of a code closed under exclusive or.
    const std::vector<Word> pairs = {{0, 0}, {1, 2}, {2, 3}, {3, 1}};
    EXPECT_EQ(code_translations(pairs, 4, true).size(), 4u);
    EXPECT_EQ(code_translations(pairs, 4, false).size(), 1u);
}

TEST(OrbitSearch, SymmetriesAreReadAsPermutationsOnly) {
    const auto per_event = parse_symmetry("102:10.01.10", 2, 3);
    ASSERT_TRUE(per_event.has_value());
    EXPECT_EQ(per_event->positions, (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(per_event->symbols[1], (std::vector<int>{0, 1}));
    const auto shared = parse_symmetry("012:201", 3, 3);
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->symbols[2], (std::vector<int>{2, 0, 1}));
    for (const char* bad : {"", "0", "0011", "0123", "012:00", "012:0123", "012:10.01", "012:21", "01x", "012:", "012:012.012.012.012"})
        EXPECT_FALSE(parse_symmetry(bad, 3, 3).has_value()) << bad;
}

}  // namespace
}  // namespace morvalen::briefgen
