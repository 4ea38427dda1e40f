// The exact search: known least sizes, proofs that the shipped ties cannot lose a bet, and its limit.
#include <gtest/gtest.h>

#include <algorithm>

#include "briefgen/exact_cover.h"
#include "briefgen/shipped_catalogue.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::covers_by_brute_force;
using testing::shape_of;

std::size_t shipped_size(const Shape& shape) {
    const auto catalogue = shipped_catalogue();
    const auto entry = std::find_if(catalogue.begin(), catalogue.end(),
                                    [&](const CatalogueEntry& e) { return e.signature == signature_of(shape); });
    return entry == catalogue.end() ? 0 : entry->records.size();
}

// Sizes the literature proves least: ternary K(3,1) = 5, binary K(5,1) = 7, the Hamming code of length 7.
TEST(ExactCover, ReachesKnownLeastSizesAndProvesOneFewerImpossible) {
    struct Case {
        Shape shape;
        int least;
    };
    for (const Case& c : {Case{shape_of({3, 3, 3, 1, 1, 1, 1, 1}, 7), 5}, Case{shape_of({2, 2, 2, 2, 2, 1, 1, 1}, 7), 7},
                          Case{shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7), 16}}) {
        SCOPED_TRACE(describe(c.shape));
        const auto found = exact_cover(c.shape, c.least);
        ASSERT_EQ(found.outcome, ExactOutcome::found);
        EXPECT_LE(found.records.size(), static_cast<std::size_t>(c.least));
        EXPECT_TRUE(covers_by_brute_force(c.shape, found.records));
        EXPECT_EQ(exact_cover(c.shape, c.least - 1).outcome, ExactOutcome::none);
    }
}

// Shipped systems that tie autoformation: each is least, so no generator can beat autoformation there.
TEST(ExactCover, ShippedTiesAreLeast) {
    for (const Shape& shape : {
             shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7), shape_of({3, 3, 3, 3, 2, 1, 1, 1}, 6),
             shape_of({3, 3, 3, 2, 2, 1, 1, 1}, 5), shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 5),
             shape_of({3, 3, 2, 2, 2, 2, 1, 1}, 5), shape_of({3, 3, 3, 3, 2, 1, 1, 1}, 5),
             shape_of({3, 2, 2, 2, 2, 2, 2, 1}, 5), shape_of({3, 3, 3, 2, 2, 2, 1, 1}, 5),
             shape_of({3, 3, 3, 3, 3, 1, 1, 1}, 5), shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 5),
             shape_of({3, 3, 2, 2, 2, 2, 2, 1}, 5), shape_of({3, 3, 3, 3, 2, 2, 1, 1}, 5),
             shape_of({3, 3, 3, 3, 3, 2, 1, 1}, 5)}) {
        SCOPED_TRACE(describe(shape));
        const auto size = shipped_size(shape);
        ASSERT_GT(size, 1u);
        EXPECT_EQ(exact_cover(shape, static_cast<int>(size) - 1).outcome, ExactOutcome::none);
    }
}

TEST(ExactCover, GivesUpAtTheNodeLimitAndRefusesBadShapes) {
    const Shape binary = shape_of({2, 2, 2, 2, 2, 2, 2, 2}, 6);
    EXPECT_EQ(exact_cover(binary, 11, 50).outcome, ExactOutcome::gave_up);
    Shape unsorted = shape_of({2, 3, 1, 1, 1, 1, 1, 1}, 7);
    EXPECT_EQ(exact_cover(unsorted, 3).outcome, ExactOutcome::gave_up);
    const Shape single = shape_of({1, 1, 1, 1, 1, 1, 1, 1}, 8);
    EXPECT_EQ(exact_cover(single, 1).outcome, ExactOutcome::found);
    EXPECT_EQ(exact_cover(single, 0).outcome, ExactOutcome::none);
}

}  // namespace
}  // namespace morvalen::briefgen
