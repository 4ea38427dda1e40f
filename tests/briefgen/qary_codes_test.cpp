// Codes over GF(q): field laws, Hamming codes, merging, direct sums and the block constructions.
#include <gtest/gtest.h>

#include <set>

#include "briefgen/block_construction.h"
#include "briefgen/coverage_check.h"
#include "briefgen/galois_field.h"
#include "briefgen/generator.h"
#include "briefgen/qary_codes.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::shape_of;

constexpr int field_orders[] = {2, 3, 4, 5, 7, 8, 9, 11, 13, 16, 17};

// Words of `length` events with the given counts as records, the events after them single.
std::vector<Record> records_of(const std::vector<Word>& words) {
    std::vector<Record> records;
    for (const Word& word : words) {
        Digits digits{};
        std::copy(word.begin(), word.end(), digits.begin());
        records.push_back(record_of_digits(digits));
    }
    return records;
}

Shape uniform_shape(int count, int length, int radius) {
    Shape shape;
    for (int k = 0; k < length; ++k) shape.counts[k] = count;
    shape.guarantee = events - radius;
    return shape;
}

TEST(GaloisField, EveryTableIsAField) {
    for (int q : field_orders) {
        const GaloisField f(q);
        for (int a = 0; a < q; ++a) {
            EXPECT_EQ(f.add(a, 0), a);
            EXPECT_EQ(f.mul(a, 1), a);
            EXPECT_EQ(f.add(a, f.neg(a)), 0);
            if (a != 0) {
                EXPECT_EQ(f.mul(a, f.inverse(a)), 1) << "q " << q << " a " << a;
            }
            for (int b = 0; b < q; ++b) {
                EXPECT_EQ(f.add(a, b), f.add(b, a));
                EXPECT_EQ(f.mul(a, b), f.mul(b, a));
                if (a != 0 && b != 0) {
                    EXPECT_NE(f.mul(a, b), 0) << "zero divisor in GF(" << q << ")";
                }
                for (int c = 0; c < q; c += 3)
                    EXPECT_EQ(f.mul(a, f.add(b, c)), f.add(f.mul(a, b), f.mul(a, c))) << "q " << q;
            }
        }
    }
    EXPECT_THROW(GaloisField(6), std::invalid_argument);
    EXPECT_EQ(smallest_field_order(6), 7);
    EXPECT_EQ(smallest_field_order(10), 11);
    EXPECT_EQ(smallest_field_order(17), 17);
}

TEST(HammingCode, EveryNonzeroSyndromeIsOneMultipleOfOneColumn) {
    // That makes the code perfect with radius 1, for every field up to 17 and two or three rows.
    for (int q : field_orders) {
        const GaloisField f(q);
        for (int rows : {2, 3}) {
            if (rows == 3 && q > 5) continue;
            const auto columns = hamming_check_columns(f, rows);
            int total = 1;
            for (int i = 0; i < rows; ++i) total *= q;
            ASSERT_EQ(static_cast<int>(columns.size()), (total - 1) / (q - 1));
            std::multiset<std::vector<int>> reached;
            for (const auto& column : columns) {
                for (int a = 1; a < q; ++a) {
                    std::vector<int> multiple;
                    for (int c : column) multiple.push_back(f.mul(a, c));
                    reached.insert(multiple);
                }
            }
            EXPECT_EQ(static_cast<int>(reached.size()), total - 1) << "q " << q;
            EXPECT_EQ(static_cast<int>(std::set<std::vector<int>>(reached.begin(), reached.end()).size()), total - 1);
        }
    }
}

TEST(HammingCode, HasQToTheNMinusRWordsAndCoversAtRadiusOne) {
    struct Case {
        int q, rows, length, words;
    };
    for (const Case c : {Case{2, 3, 7, 16}, Case{3, 2, 4, 9}, Case{4, 2, 5, 64}, Case{5, 2, 6, 625}, Case{7, 2, 8, 117649}}) {
        const auto code = hamming_code(GaloisField(c.q), c.rows);
        ASSERT_EQ(static_cast<int>(code.size()), c.words) << "q " << c.q;
        EXPECT_EQ(static_cast<int>(code.front().size()), c.length);
        const Shape shape = uniform_shape(c.q, c.length, 1);
        const auto report = check_coverage(shape, records_of(code));
        EXPECT_TRUE(report.covers) << "q " << c.q << ": " << report.problem;
        EXPECT_EQ(sphere_bound(shape), code.size()) << "perfect";
    }
}

TEST(HammingCode, MergingSymbolsKeepsACover) {
    const auto code = hamming_code(GaloisField(5), 2);
    const std::vector<int> counts{5, 4, 4, 3, 2, 2};
    const auto merged = merge_symbols(code, counts);
    EXPECT_LT(merged.size(), code.size());
    EXPECT_TRUE(testing::covers_by_brute_force(shape_of({5, 4, 4, 3, 2, 2, 1, 1}, 7), records_of(merged)));
    // A code over GF(8) serves six- and seven-outcome events the same way.
    const auto wide = merge_symbols(hamming_code(GaloisField(4), 2), {3, 3, 3, 2, 2});
    EXPECT_TRUE(testing::covers_by_brute_force(shape_of({3, 3, 3, 2, 2, 1, 1, 1}, 7), records_of(wide)));
}

TEST(HammingCode, DirectSumCoversAtTheSumOfTheRadii) {
    const auto ternary = hamming_code(GaloisField(3), 2);   // length 4, radius 1
    const auto binary = hamming_code(GaloisField(2), 2);    // {000, 111}: length 3, radius 1
    const auto sum = direct_sum(ternary, binary);
    EXPECT_EQ(sum.size(), 18u);
    EXPECT_TRUE(testing::covers_by_brute_force(shape_of({3, 3, 3, 3, 2, 2, 2, 1}, 6), records_of(sum)));
    EXPECT_FALSE(testing::covers_by_brute_force(shape_of({3, 3, 3, 3, 2, 2, 2, 1}, 7), records_of(sum)));
    // Two events need one word at radius 2; with the radius-1 part that is radius 3.
    const std::vector<Word> anything{{0, 0}};
    EXPECT_TRUE(testing::covers_by_brute_force(shape_of({3, 3, 3, 3, 3, 3, 1, 1}, 5),
                                               records_of(direct_sum(ternary, anything))));
}

TEST(BlockConstruction, ReachesTheTextbookSizes) {
    struct Case {
        Shape shape;
        std::uint64_t size;
    };
    const Case cases[] = {
        {shape_of({4, 4, 4, 4, 4, 1, 1, 1}, 7), 64},      // Hamming over GF(4)
        {shape_of({4, 4, 4, 4, 4, 4, 4, 1}, 7), 1024},    // with two whole events
        {shape_of({5, 5, 5, 5, 5, 5, 1, 1}, 7), 625},     // Hamming over GF(5)
        {shape_of({5, 5, 5, 5, 5, 5, 5, 5}, 7), 15625},
        {shape_of({7, 7, 7, 7, 7, 7, 7, 7}, 7), 117649},  // Hamming over GF(7), perfect
        {shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 6), 512},     // two radius-1 parts
        {shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7), 16},
        {shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7), 9},
    };
    for (const Case& c : cases) EXPECT_LE(block_plan(c.shape).size, c.size) << describe(c.shape);
    for (const Shape& shape : {shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 6), shape_of({5, 5, 5, 4, 4, 3, 3, 2}, 6),
                               shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 5), shape_of({6, 5, 4, 3, 3, 2, 2, 2}, 7)}) {
        const auto cover = block_cover(shape, 100000);
        EXPECT_EQ(cover.size(), block_plan(shape).size) << describe(shape);
        EXPECT_TRUE(check_coverage(shape, cover).covers) << describe(shape);
    }
    EXPECT_TRUE(block_cover(shape_of({4, 4, 4, 4, 4, 4, 4, 4}, 7), 4095, {}).empty());
}

TEST(BlockConstruction, SplitsTheRadiusOverBlocks) {
    // Eight ternary events: two Hamming codes of length 4 at one disagreement each.
    EXPECT_EQ(block_plan(shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 6)).size, 81u);
    EXPECT_EQ(block_plan(shape_of({3, 3, 3, 3, 3, 3, 3, 3}, 6), {}).text, "H3(4)+H3(4)");
    // A block as long as its radius needs one bet: the two large events go free, the ternary four
    // take the Hamming code.
    EXPECT_EQ(block_plan(shape_of({17, 17, 3, 3, 3, 3, 1, 1}, 5)).size, 9u);
    EXPECT_EQ(block_plan(shape_of({3, 3, 3, 1, 1, 1, 1, 1}, 5)).size, 1u);
    // Nothing to spend: every variant.
    EXPECT_EQ(block_plan(shape_of({5, 4, 3, 1, 1, 1, 1, 1}, 8)).size, 60u);
}

TEST(BoundReachingSystem, ServesOnlyWhatNoSystemCanBeat) {
    const auto perfect = bound_reaching_system(shape_of({5, 5, 5, 5, 5, 5, 1, 1}, 7), 1000, 100000);
    ASSERT_TRUE(perfect.has_value());
    EXPECT_EQ(perfect->records.size(), 625u);
    EXPECT_TRUE(check_coverage(perfect->shape, perfect->records).covers);
    // Too many bets or variants to write out and check, or a construction above the sphere bound.
    EXPECT_FALSE(bound_reaching_system(shape_of({5, 5, 5, 5, 5, 5, 1, 1}, 7), 624, 100000).has_value());
    EXPECT_FALSE(bound_reaching_system(shape_of({5, 5, 5, 5, 5, 5, 1, 1}, 7), 1000, 15624).has_value());
    EXPECT_FALSE(bound_reaching_system(shape_of({4, 4, 4, 4, 4, 4, 1, 1}, 7), 100000, 100000).has_value());
    // More free disagreements than events with a choice: one bet, whatever the variants.
    const auto single = bound_reaching_system(shape_of({17, 17, 17, 1, 1, 1, 1, 1}, 5), 1, 100000);
    ASSERT_TRUE(single.has_value());
    EXPECT_EQ(single->records, std::vector<Record>{0});
}

}  // namespace
}  // namespace morvalen::briefgen
