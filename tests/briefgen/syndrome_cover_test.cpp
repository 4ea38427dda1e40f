// The matrix method over GF(q): syndrome arithmetic, balls, the tabu search and the codes it gives.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "briefgen/coverage_check.h"
#include "briefgen/record_codes.h"
#include "briefgen/syndrome_cover.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

std::vector<int> digits(const SyndromeSpace& space, int a) {
    std::vector<int> d;
    for (int i = 0; i < space.rows(); ++i, a /= space.q()) d.push_back(a % space.q());
    return d;
}

// How many syndromes no chosen one reaches within the ball, counted afresh.
std::size_t uncovered_afresh(const SyndromeSpace& space, const std::vector<int>& ball, const std::vector<int>& chosen) {
    std::vector<char> covered(static_cast<std::size_t>(space.size()), 0);
    for (int s : chosen)
        for (int b : ball) covered[static_cast<std::size_t>(space.add(s, b))] = 1;
    return static_cast<std::size_t>(std::count(covered.begin(), covered.end(), 0));
}

TEST(SyndromeSpace, SumsAndMultiplesAreTheFieldsCoordinateByCoordinate) {
    // Odd and even row counts split the coordinates differently between the two tables.
    for (auto [q, rows] : {std::pair{4, 3}, std::pair{5, 2}, std::pair{3, 5}, std::pair{2, 1}}) {
        const SyndromeSpace space(q, rows);
        const GaloisField& f = space.field();
        for (int a = 0; a < space.size(); ++a) {
            for (int b = 0; b < space.size(); b += 3) {
                const auto da = digits(space, a), db = digits(space, b), sum = digits(space, space.add(a, b));
                for (int i = 0; i < rows; ++i) ASSERT_EQ(sum[i], f.add(da[i], db[i])) << q << " " << a << " " << b;
            }
            EXPECT_EQ(space.add(a, space.negate(a)), 0);
            const auto scaled = digits(space, space.scale(a, q - 1));
            for (int i = 0; i < rows; ++i) EXPECT_EQ(scaled[i], f.mul(digits(space, a)[i], q - 1));
        }
    }
    EXPECT_THROW(SyndromeSpace(6, 2), std::invalid_argument);
    EXPECT_THROW(SyndromeSpace(5, 9), std::invalid_argument);
}

TEST(SyndromeSpace, BallsAndSpanningColumns) {
    const SyndromeSpace space(4, 3);
    core::RandomSource random(3);
    const auto columns = random_check_columns(space, 6, random);
    ASSERT_EQ(columns.size(), 6u);
    EXPECT_TRUE(spans_space(space, columns));
    // Columns pairwise independent: radius 1 reaches 1 + n(q − 1) syndromes, all distinct.
    EXPECT_EQ(syndrome_ball(space, columns, 1).size(), 1u + 6 * 3);
    EXPECT_EQ(syndrome_ball(space, columns, 0), std::vector<int>{0});
    // Columns in the plane of the first two coordinates reach only that plane.
    const std::vector<int> flat{1, 4, 5, 9};
    EXPECT_FALSE(spans_space(space, flat));
    EXPECT_EQ(syndrome_ball(space, flat, 3).size(), 16u);
    // Twenty-one directions of GF(4)^3: all of them make the ball the whole space (Hamming).
    const auto all = random_check_columns(space, 21, random);
    EXPECT_EQ(std::set<int>(all.begin(), all.end()).size(), 21u);
    EXPECT_EQ(syndrome_ball(space, all, 1).size(), 64u);
}

TEST(SyndromeTabu, CountsStayTrueAndAShortTargetNeverClaimsToCover) {
    const SyndromeSpace space(3, 4);
    core::RandomSource random(5);
    const auto columns = random_check_columns(space, 6, random);
    const auto ball = syndrome_ball(space, columns, 1);  // 13 syndromes of 81
    SyndromeTabuOptions options;
    options.max_steps = 3000;
    // Six balls of 13 cannot cover 81: the best set seen is still reported truthfully.
    const auto short_set = cover_syndromes(space, ball, 6, random, options);
    EXPECT_EQ(short_set.syndromes.size(), 6u);
    EXPECT_GE(short_set.uncovered, 81u - 6 * 13);
    EXPECT_EQ(short_set.uncovered, uncovered_afresh(space, ball, short_set.syndromes));
    EXPECT_EQ(short_set.steps, 3000u);
    // A start that already covers is returned as it is, with no step taken.
    std::vector<int> every(81);
    for (int s = 0; s < 81; ++s) every[static_cast<std::size_t>(s)] = s;
    const auto whole = cover_syndromes(space, ball, 81, random, options, every);
    EXPECT_EQ(whole.uncovered, 0u);
    EXPECT_EQ(whole.steps, 0u);
    EXPECT_TRUE(cover_syndromes(space, ball, 0, random, options).syndromes.empty());
}

TEST(MatrixCodes, ReachTheHammingCodesAndKnownSizes) {
    struct Case {
        int q, n, radius, rows, target;
        std::size_t words;
    };
    // Perfect Hamming codes over GF(3), GF(4) and GF(5); K_3(5,1) = 27 and K_4(6,2) ≤ 52 need more
    // than one syndrome, K_4(5,2) = 16 a radius above one.
    for (const Case c : {Case{3, 4, 1, 2, 1, 9}, Case{4, 5, 1, 2, 1, 64}, Case{5, 6, 1, 2, 1, 625}, Case{3, 5, 1, 4, 9, 27},
                         Case{4, 5, 2, 3, 1, 16}, Case{4, 6, 2, 5, 13, 52}}) {
        core::RandomSource random(11);
        MatrixSearchOptions options;
        options.steps_per_matrix = 5000;
        options.max_matrices = 200;
        const MatrixCode code = search_matrix_code(c.q, c.n, c.radius, c.rows, c.target, random, options);
        ASSERT_EQ(code.uncovered, 0u) << "K" << c.q << "(" << c.n << "," << c.radius << ")";
        const auto words = matrix_code_words(code);
        EXPECT_LE(words.size(), c.words);
        const Shape shape = uniform_shape(c.q, c.n, c.radius);
        const auto records = records_of_words(words);
        EXPECT_TRUE(check_coverage(shape, records).covers) << describe(shape);
        if (c.n <= 5) {
            EXPECT_TRUE(testing::covers_by_brute_force(shape, records)) << describe(shape);
        }
    }
}

TEST(MatrixCodes, AWalkOverMatricesNeverLosesTheClosestOne) {
    // Eight syndromes of a 4x5 matrix over GF(3) at radius 1 would give 24 words, fewer than K_3(5,1)
    // = 27: the walk runs its course, and what it reports must be what its set leaves uncovered.
    core::RandomSource random(2);
    MatrixSearchOptions options;
    options.steps_per_matrix = 50;
    options.column_changes = 30;
    options.max_matrices = 120;
    std::vector<std::size_t> heard;
    const MatrixCode code = search_matrix_code(3, 5, 1, 4, 8, random, options, [&](const MatrixCode& best) { heard.push_back(best.uncovered); });
    ASSERT_FALSE(heard.empty());
    EXPECT_TRUE(std::is_sorted(heard.rbegin(), heard.rend()));
    EXPECT_EQ(code.uncovered, heard.back());
    EXPECT_EQ(code.matrices, 120u);
    EXPECT_GT(code.uncovered, 0u);
    const SyndromeSpace space(3, 4);
    EXPECT_TRUE(spans_space(space, code.columns));
    EXPECT_EQ(code.uncovered, uncovered_afresh(space, syndrome_ball(space, code.columns, 1), code.syndromes));
    // Walking from a covering matrix finds the 52-word code of six events at radius 2 as well.
    MatrixSearchOptions walk;
    walk.steps_per_matrix = 400;
    walk.column_changes = 20;
    walk.max_matrices = 100;
    const MatrixCode found = search_matrix_code(4, 6, 2, 5, 13, random, walk);
    ASSERT_EQ(found.uncovered, 0u);
    EXPECT_TRUE(check_coverage(uniform_shape(4, 6, 2), records_of_words(matrix_code_words(found))).covers);
}

TEST(MatrixCodes, AdditiveCodesOverFourSymbolsCover) {
    // Binary rows, two columns an event: five events at radius 1 (64 words a syndrome), and six at
    // radius 2 with an odd number of rows (9 bits: eight words a syndrome).
    core::RandomSource random(8);
    MatrixSearchOptions options;
    options.additive = true;
    options.steps_per_matrix = 400;
    options.column_changes = 20;
    options.max_matrices = 20;
    for (auto [n, radius, rows, target, size] : {std::tuple{5, 1, 4, 2, 128u}, std::tuple{6, 2, 9, 26, 208u}}) {
        const MatrixCode code = search_matrix_code(4, n, radius, rows, target, random, options);
        ASSERT_EQ(code.uncovered, 0u) << n;
        EXPECT_TRUE(code.additive);
        ASSERT_EQ(outcome_images(code).size(), static_cast<std::size_t>(n));
        const auto words = matrix_code_words(code);
        EXPECT_LE(words.size(), size);
        EXPECT_TRUE(check_coverage(uniform_shape(4, n, radius), records_of_words(words)).covers) << n;
    }
}

TEST(MatrixCodes, WordsAreExactlyThoseWithTheChosenSyndromes) {
    const SyndromeSpace space(5, 2);
    const MatrixCode code{5, 2, false, {1, 5, 6, 7}, {0, 3, 3}, 0};
    const auto words = matrix_code_words(code);
    EXPECT_EQ(words.size(), 25u * 2);  // a repeated syndrome adds nothing
    std::set<Word> seen;
    for (const Word& w : words) {
        int syndrome = 0;
        for (std::size_t j = 0; j < w.size(); ++j) syndrome = space.add(syndrome, space.scale(code.columns[j], w[j]));
        EXPECT_TRUE(syndrome == 0 || syndrome == 3);
        seen.insert(w);
    }
    EXPECT_EQ(seen.size(), words.size());
    EXPECT_TRUE(std::is_sorted(words.begin(), words.end(), [](const Word& a, const Word& b) {
        return std::lexicographical_compare(a.rbegin(), a.rend(), b.rbegin(), b.rend());
    }));
    EXPECT_EQ(describe_matrix_code(code), "H 2x4 over GF(5), 3 syndromes");
}

}  // namespace
}  // namespace morvalen::briefgen
