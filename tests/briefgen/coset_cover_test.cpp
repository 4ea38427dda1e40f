// Unions of cosets of a one-dimensional code: the record sizes they reach and the shapes they refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "briefgen/coset_cover.h"
#include "briefgen/shipped_catalogue.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::covers_by_brute_force;
using testing::shape_of;

const Shape seven_ternary = shape_of({3, 3, 3, 3, 3, 3, 3, 1}, 7);

// Each bet plus the generator (digit by digit, modulo q) must be a bet again.
bool closed_under(const std::vector<Record>& records, const std::vector<int>& generator, int q) {
    const std::set<Record> all(records.begin(), records.end());
    for (Record record : records) {
        Record moved = 0, place = 1, rest = record;
        for (std::size_t k = 0; k < generator.size(); ++k, rest /= 17, place *= 17)
            moved += static_cast<Record>((static_cast<int>(rest % 17) + generator[k]) % q) * place;
        moved += rest * place;
        if (!all.contains(moved)) return false;
    }
    return true;
}

TEST(CosetCover, ShippedSevenTernarySystemReachesTheBestKnownSize) {
    const auto catalogue = shipped_catalogue();
    const auto entry = std::find_if(catalogue.begin(), catalogue.end(),
                                    [](const CatalogueEntry& e) { return e.signature == signature_of(seven_ternary); });
    ASSERT_NE(entry, catalogue.end());
    EXPECT_LE(entry->records.size(), 186u);
    EXPECT_TRUE(covers_by_brute_force(seven_ternary, entry->records));
}

TEST(CosetCover, FindsTheSevenTernaryRecordFromAFixedSeedAndAgainTheSame) {
    const std::vector<int> generator{1, 1, 1, 1, 1, 1, 0};
    const auto first = coset_cover(seven_ternary, generator, 62, 1, 20'000);
    ASSERT_EQ(first.size(), 186u);
    EXPECT_TRUE(covers_by_brute_force(seven_ternary, first));
    EXPECT_TRUE(closed_under(first, generator, 3));
    EXPECT_EQ(coset_cover(seven_ternary, generator, 62, 1, 20'000), first);
}

TEST(CosetCover, ReachesThePerfectCodesThatAreUnionsOfCosets) {
    // The ternary Hamming code of length 4 holds 1011; the binary one of length 7 holds 1111111.
    const Shape four_ternary = shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7);
    const auto hamming3 = coset_cover(four_ternary, {1, 0, 1, 1}, 3, 5, 10'000);
    EXPECT_EQ(hamming3.size(), 9u);
    EXPECT_TRUE(covers_by_brute_force(four_ternary, hamming3));
    const Shape seven_binary = shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7);
    const auto hamming2 = coset_cover(seven_binary, {1, 1, 1, 1, 1, 1, 1}, 8, 5, 10'000);
    EXPECT_EQ(hamming2.size(), 16u);
    EXPECT_TRUE(covers_by_brute_force(seven_binary, hamming2));
}

TEST(CosetCover, GivesNothingWhenNoCoverOfThatSizeExistsOrTheShapeDoesNotFit) {
    // Below the sphere bound (729 / 15 classes) there is nothing to find, and the search stops.
    EXPECT_TRUE(coset_cover(seven_ternary, {1, 1, 1, 1, 1, 1, 1}, 48, 1, 2'000).empty());
    EXPECT_TRUE(coset_cover(shape_of({3, 3, 3, 2, 1, 1, 1, 1}, 7), {1, 1, 1, 1}, 5, 1, 1'000).empty());
    EXPECT_TRUE(coset_cover(shape_of({3, 3, 3, 3, 3, 1, 1, 1}, 6), {1, 1, 1, 1, 1}, 5, 1, 1'000).empty());
    EXPECT_TRUE(coset_cover(seven_ternary, {2, 2, 2, 2, 2, 2, 2}, 62, 1, 1'000).empty());  // no digit 1
    EXPECT_TRUE(coset_cover(seven_ternary, {1, 1, 1}, 62, 1, 1'000).empty());              // wrong length
    EXPECT_TRUE(coset_cover(seven_ternary, {1, 1, 1, 1, 1, 1, 3}, 62, 1, 1'000).empty());  // digit too large
    EXPECT_TRUE(coset_cover(seven_ternary, {1, 1, 1, 1, 1, 1, 1}, 0, 1, 1'000).empty());
}

}  // namespace
}  // namespace morvalen::briefgen
