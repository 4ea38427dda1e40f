// Codes over groups, the table of uniform codes, merged records and the systems for large shapes.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <stdexcept>

#include "brute_force.h"
#include "briefgen/block_construction.h"
#include "briefgen/coverage_check.h"
#include "briefgen/generator.h"
#include "briefgen/group_codes.h"
#include "briefgen/record_codes.h"
#include "briefgen/shipped_group_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {
namespace {

using testing::shape_of;

TEST(GroupCodes, TheWordsOfASyndromeMapAreThoseWithTheirSyndromeInTheSet) {
    // The ternary Hamming code of length 4: columns (0,1), (1,0), (1,1), (1,2) of Z3^2, syndrome 0.
    SyndromeMap map;
    map.q = 3;
    map.moduli = {3, 3};
    auto column = [](int a, int b) { return std::vector<int>{0, a + 3 * b, (2 * a) % 3 + 3 * ((2 * b) % 3)}; };
    map.images = {column(0, 1), column(1, 0), column(1, 1), column(1, 2)};
    map.syndromes = {0};
    const auto words = group_code_words(map);
    EXPECT_EQ(words.size(), 9u);
    EXPECT_TRUE(check_coverage(uniform_shape(3, 4, 1), records_of_words(words)).covers);
    // Every coset is a code of the same size; two of them, twice the words.
    map.syndromes = {0, 4};
    EXPECT_EQ(group_code_words(map).size(), 18u);
    EXPECT_EQ(describe_group(map), "Z3^2");
}

TEST(GroupCodes, FindPerfectAndNearPerfectCodesOverEveryAlphabet) {
    struct Case {
        int q, n, radius;
        std::size_t below, expected;
    };
    // Hamming over GF(4) read as Z2 x Z2 and over GF(5); six outcomes as Z2 x Z3: 72 words for four
    // events at one disagreement, the least there is, and 18 for three.
    const Case cases[] = {{4, 5, 1, 100, 64}, {5, 6, 1, 1000, 625}, {6, 4, 1, 100, 72}, {6, 3, 1, 30, 18}, {3, 4, 1, 20, 9}};
    for (const Case& c : cases) {
        core::RandomSource random(3);
        GroupCodeOptions options;
        options.max_tries = 60;
        options.steps_per_try = 2000;
        const auto map = search_group_code(c.q, c.n, c.radius, c.below, random, options);
        const auto words = group_code_words(map);
        EXPECT_EQ(words.size(), c.expected) << c.q << "^" << c.n << " r" << c.radius << " " << describe_group(map);
        EXPECT_TRUE(check_coverage(uniform_shape(c.q, c.n, c.radius), records_of_words(words)).covers);
    }
    // Nothing under the sphere bound: 64 is perfect, so no code of 63 words exists to find.
    core::RandomSource random(3);
    GroupCodeOptions quick;
    quick.max_tries = 20;
    quick.steps_per_try = 2000;
    EXPECT_TRUE(search_group_code(4, 5, 1, 64, random, quick).syndromes.empty());
}

TEST(GroupCodes, ColumnsThatMoveWithTheSyndromesStillGiveCodesThatCover) {
    struct Case {
        int q, n, radius;
        std::size_t below, expected;
    };
    const Case cases[] = {{4, 5, 1, 100, 64}, {6, 4, 1, 100, 72}, {3, 5, 1, 60, 27}};
    for (const Case& c : cases) {
        core::RandomSource random(5);
        GroupCodeOptions options;
        options.max_tries = 30;
        options.steps_per_try = 4000;
        options.column_move_every = 200;
        const auto words = group_code_words(search_group_code(c.q, c.n, c.radius, c.below, random, options));
        EXPECT_EQ(words.size(), c.expected) << c.q << "^" << c.n;
        EXPECT_TRUE(check_coverage(uniform_shape(c.q, c.n, c.radius), records_of_words(words)).covers);
    }
}

TEST(GroupCodes, ColumnsAreFoundForAGivenSyndromeSet) {
    ColumnSearchOptions options;
    options.max_steps = 20000;
    // Zero alone over Z2^4: the five events' images must split the fifteen other elements into five
    // planes, the Hamming code over GF(4).
    core::RandomSource random(9);
    const auto spread = search_columns(4, 5, 1, {2, 2, 2, 2}, {0}, random, options);
    const auto words = group_code_words(spread);
    EXPECT_EQ(words.size(), 64u);
    EXPECT_TRUE(check_coverage(uniform_shape(4, 5, 1), records_of_words(words)).covers);
    // Three lines through zero of Z5^3, every element within one disagreement of one of them: the
    // columns spread apart at first do not do it, the moves must.
    ColumnSearchStats stats;
    const std::vector<int> lines{0, 1, 2, 3, 4, 5, 10, 15, 20, 25, 50, 75, 100};
    const auto map = search_columns(5, 6, 1, {5, 5, 5}, lines, random, options, &stats);
    ASSERT_FALSE(map.syndromes.empty());
    EXPECT_EQ(group_code_words(map).size(), 13u * 125u);
    EXPECT_TRUE(check_coverage(uniform_shape(5, 6, 1), records_of_words(group_code_words(map))).covers);
    EXPECT_GT(stats.steps, 0u);
    // Four events can reach at most 13 of the 16 elements from zero: no columns exist, and the
    // search stops at its budget with nothing.
    options.max_steps = 500;
    ColumnSearchStats short_of;
    EXPECT_TRUE(search_columns(4, 4, 1, {2, 2, 2, 2}, {0}, random, options, &short_of).syndromes.empty());
    EXPECT_EQ(short_of.least_uncovered, 3u);
    // Moduli that do not divide the outcomes, or a syndrome outside the group, are refused.
    EXPECT_TRUE(search_columns(4, 5, 1, {3, 3}, {0}, random, options).syndromes.empty());
    EXPECT_TRUE(search_columns(4, 5, 1, {2, 2, 2, 2}, {16}, random, options).syndromes.empty());
}

TEST(GroupCodes, ASearchHeldToOneGroupOrderUsesOnlyThatGroup) {
    // Four six-outcome events at one disagreement: one syndrome of Z2 x Z3^2, 72 words.
    core::RandomSource random(3);
    GroupCodeOptions options;
    options.max_tries = 40;
    options.steps_per_try = 2000;
    options.only_order = 18;
    const auto map = search_group_code(6, 4, 1, 100, random, options);
    EXPECT_EQ(describe_group(map), "Z2xZ3^2");
    EXPECT_EQ(group_code_words(map).size(), 72u);
    // Fewer words than the sphere bound's 72: no group of that order is searched at all.
    EXPECT_TRUE(search_group_code(6, 4, 1, 72, random, options).syndromes.empty());
    // An order that does not divide the variants has no groups: nothing, though 18 has one.
    options.only_order = 35;
    EXPECT_TRUE(search_group_code(6, 4, 1, 100, random, options).syndromes.empty());
}

TEST(GroupCodes, StoredCodesReadBackToTheSameWordsAndDamagedLinesAreRefused) {
    SyndromeMap map;
    map.q = 3;
    map.moduli = {3, 3};
    auto column = [](int a, int b) { return std::vector<int>{0, a + 3 * b, (2 * a) % 3 + 3 * ((2 * b) % 3)}; };
    map.images = {column(0, 1), column(1, 0), column(1, 1), column(1, 2)};
    map.syndromes = {0, 4};
    const StoredGroupCode code{4, 1, 18, map};
    std::stringstream text;
    write_group_codes(text, {code});
    const auto read = read_group_codes(text);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(group_code_words(read[0].map), group_code_words(map));
    EXPECT_EQ(group_code_line(read[0]), group_code_line(code));

    auto refused = [](const std::string& line) {
        std::istringstream in("# a comment\n" + line + "\n");
        EXPECT_THROW(read_group_codes(in), std::runtime_error) << line;
    };
    const std::string images = "0,3,6/0,1,2/0,4,8/0,7,5";
    refused("3 4 1 17 3,3 " + images + " 0,4");        // the count is not the words'
    refused("3 4 1 9 3,3 0,3,6/0,1,2/0,4,8/0,3,6 0");   // two events alike: some words stay uncovered
    refused("3 4 1 9 3,3 " + images + " 9");            // a syndrome outside the group
    refused("3 4 1 9 2,3 " + images + " 0");            // a modulus that does not divide q
    refused("3 4 1 9 3,3 0,3,6/0,1,2/0,4,8 0");         // three events for a code of length 4
    refused("3 4 1 9 3,3 0,3/0,1,2/0,4,8/0,7,5 0");     // two images for three outcomes
    refused("3 4 1 9 3,3 " + images + " 0,-4");
    refused("3 4 1 9 3,3 " + images);
    refused("3 4 4 9 3,3 " + images + " 0");            // no code has a radius of its whole length
}

TEST(GroupCodes, TheShippedGroupCodesServeTheLargeShapes) {
    // Eight six-outcome events at guarantee 7: 62,208 bets from eight syndromes of Z6^3, against
    // 66,240 for the best direct sum of smaller codes.
    const auto& codes = shipped_group_codes();
    ASSERT_FALSE(codes.empty());
    const Shape large = shape_of({6, 6, 6, 6, 6, 6, 6, 6}, 7);
    const auto system = constructed_system(large, 200'000, 20'000'000);
    ASSERT_TRUE(system.has_value());
    EXPECT_LE(system->records.size(), 62'208u);
    EXPECT_TRUE(check_coverage(large, system->records).covers);
}

TEST(UniformCodes, DirectSumsAndShorteningFillTheTableAndEveryCodeCovers) {
    RecordOptions options;
    options.budget = std::chrono::seconds(600);
    options.group_tries = 3;
    options.tabu_iterations = 300;
    options.tabu_variant_limit = 729;
    options.longest_searched = 5;
    const auto codes = build_uniform_codes(3, options);
    for (const auto& [key, code] : codes) {
        const auto [n, radius] = key;
        EXPECT_TRUE(check_coverage(uniform_shape(3, n, radius), records_of_words(code.words)).covers)
            << n << " r" << radius << " " << code.how;
    }
    EXPECT_EQ(codes.at({4, 1}).words.size(), 9u);
    EXPECT_LE(codes.at({8, 2}).words.size(), 81u);  // two Hamming codes of length 4
    EXPECT_LE(codes.at({5, 1}).words.size(), 27u);  // the code of length 4 times every outcome
    // A start that does not cover is dropped, one that does is kept when it is smaller.
    UniformCodes bad;
    bad[{4, 1}] = {{Word{0, 0, 0, 0}}, "bad"};
    options.budget = std::chrono::milliseconds(0);
    const auto without_search = build_uniform_codes(3, options, bad);
    EXPECT_GT(without_search.at({4, 1}).words.size(), 1u);
    UniformCodes good;
    good[{4, 1}] = codes.at({4, 1});
    EXPECT_EQ(build_uniform_codes(3, options, good).at({4, 1}).words.size(), 9u);
}

TEST(UniformCodes, MergedSymbolsCoverTheNarrowerShapeAtTheSameGuarantee) {
    core::RandomSource random(5);
    GroupCodeOptions options;
    options.max_tries = 60;
    options.steps_per_try = 2000;
    const auto words = group_code_words(search_group_code(6, 4, 1, 100, random, options));
    ASSERT_FALSE(words.empty());
    for (const Shape& shape : {shape_of({6, 5, 4, 3, 1, 1, 1, 1}, 7), shape_of({5, 5, 5, 5, 1, 1, 1, 1}, 7)}) {
        const auto merged = merged_cover(shape, words);
        EXPECT_LE(merged.size(), words.size()) << describe(shape);
        EXPECT_TRUE(check_coverage(shape, merged).covers) << describe(shape);
    }
    // A code of another length does not fit.
    EXPECT_TRUE(merged_cover(shape_of({6, 6, 6, 1, 1, 1, 1, 1}, 7), words).empty());
    // A word longer than a bet has no record to become: refused, not written past the bet's events.
    EXPECT_THROW(records_of_words({Word(9, 0)}), std::invalid_argument);
}

TEST(UniformCodes, BlocksTakeLibraryCodesAndLargeShapesGetTheirDirectSum) {
    // Four six-outcome events at one disagreement (72 words) and at two (the trivial 36: one whole
    // event pair times one bet is not it, so a short search on 1,296 variants).
    core::RandomSource random(9);
    GroupCodeOptions options;
    options.max_tries = 60;
    options.steps_per_try = 2000;
    UniformLibrary library;
    library.uniform[6][{4, 1}] = {group_code_words(search_group_code(6, 4, 1, 100, random, options)), "group"};
    RecordOptions records;
    records.budget = std::chrono::seconds(600);
    records.group_tries = 2;
    records.tabu_iterations = 3000;
    records.tabu_variant_limit = 1296;
    records.longest_searched = 4;
    library.uniform[6][{4, 2}] = build_uniform_codes(6, records).at({4, 2});
    const std::size_t product = library.uniform[6][{4, 1}].words.size() * library.uniform[6][{4, 2}].words.size();
    ASSERT_EQ((library.uniform[6][{4, 1}].words.size()), 72u);

    // Eight events with six outcomes and 1,679,616 variants: the sum of the two codes.
    const Shape large = shape_of({6, 6, 6, 6, 6, 6, 6, 6}, 5);
    EXPECT_LE(block_plan(large, library).size, product);
    const auto system = constructed_system(large, 20'000, 2'000'000, library);
    ASSERT_TRUE(system.has_value());
    EXPECT_LE(system->records.size(), product);
    EXPECT_TRUE(check_coverage(large, system->records).covers);
    // Too many bets for the limit, or too many variants to check: nothing.
    EXPECT_FALSE(constructed_system(large, 100, 2'000'000, library).has_value());
    EXPECT_FALSE(constructed_system(large, 20'000, 1'000'000, library).has_value());
    // A mixed shape merges the same blocks.
    const Shape mixed = shape_of({6, 6, 6, 6, 5, 5, 4, 3}, 5);
    const auto merged = block_cover(mixed, 20'000, library);
    EXPECT_LE(merged.size(), product);
    EXPECT_TRUE(check_coverage(mixed, merged).covers);
}

}  // namespace
}  // namespace morvalen::briefgen
