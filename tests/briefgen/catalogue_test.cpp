// The catalogue's shapes and its text file: round trip and the lines it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "briefgen/autoformation_cover.h"
#include "briefgen/catalogue.h"
#include "briefgen/coverage_check.h"
#include "briefgen/shipped_catalogue.h"
#include "briefgen/generator.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::shape_of;

TEST(Catalogue, HoldsEveryShapeWithCountsUpToFourForGuaranteesFiveToSeven) {
    const auto shapes = catalogue_shapes();
    // 165 sorted count vectors of 1 to 4, three guarantees; 27 uniform shapes of five and six
    // outcomes in four to eight events whose systems are small, and one block of 6^7·3.
    EXPECT_EQ(shapes.size(), 495u + 27u + 1u);
    EXPECT_EQ(catalogue_shapes(4, 4).size(), 495u);
    EXPECT_EQ(catalogue_shapes(3, 3).size(), 135u);
    std::set<std::int64_t> signatures;
    for (const Shape& shape : shapes) {
        EXPECT_TRUE(shape_problem(shape).empty()) << describe(shape);
        EXPECT_GE(shape.guarantee, 5);
        EXPECT_LE(shape.guarantee, 7);
        signatures.insert(signature_of(shape));
    }
    EXPECT_EQ(signatures.size(), shapes.size());
}

TEST(Catalogue, ARebuildWithoutTimeKeepsEveryShippedSystemAndCoversEverything) {
    const auto shipped = shipped_catalogue();
    ASSERT_EQ(shipped.size(), catalogue_shapes().size());
    // The shapes up to three outcomes keep the run short; the rest take the same road.
    const auto shapes = catalogue_shapes(3, 3);
    std::size_t reported = 0;
    const auto rebuilt = build_catalogue(shapes, std::chrono::milliseconds(0), 1, shipped,
                                         [&](const CatalogueProgress& progress) { reported = progress.done; });
    EXPECT_EQ(reported, shapes.size());
    ASSERT_EQ(rebuilt.size(), shapes.size());
    for (std::size_t i = 0; i < rebuilt.size(); ++i) {
        const auto shape = shape_from_signature(rebuilt[i].signature);
        ASSERT_TRUE(shape.has_value());
        EXPECT_TRUE(check_coverage(*shape, rebuilt[i].records).covers) << describe(*shape);
        const auto before = std::find_if(shipped.begin(), shipped.end(),
                                         [&](const CatalogueEntry& e) { return e.signature == rebuilt[i].signature; });
        ASSERT_NE(before, shipped.end());
        EXPECT_LE(rebuilt[i].records.size(), before->records.size()) << describe(*shape);
    }
}

TEST(Catalogue, NoShippedSystemIsLargerThanAutoformation) {
    // Every seventh shape of up to 4,096 variants keeps the pass quick under the sanitizers.
    std::size_t checked = 0;
    for (const CatalogueEntry& entry : shipped_catalogue()) {
        const Shape shape = *shape_from_signature(entry.signature);
        if (VariantSpace(shape).size() > 4096 || entry.signature % 7 != 0) continue;
        const auto greedy = autoformation_cover(shape, 0);
        ASSERT_TRUE(greedy.has_value());
        EXPECT_LE(entry.records.size(), greedy->size()) << describe(shape);
        ++checked;
    }
    EXPECT_GT(checked, 20u);
}

std::string sample_text() {
    std::vector<CatalogueEntry> entries;
    for (const Shape& shape : {shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7), shape_of({2, 2, 2, 1, 1, 1, 1, 1}, 7)}) {
        GenerateOptions options;
        options.budget = std::chrono::milliseconds(500);
        entries.push_back({signature_of(shape), generate_system(shape, options).records});
    }
    std::ostringstream out;
    write_catalogue(out, entries);
    return out.str();
}

TEST(Catalogue, TextRoundTrips) {
    std::istringstream in(sample_text());
    const auto entries = read_catalogue(in);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].signature, signature_of(shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7)));
    EXPECT_EQ(entries[0].records.size(), 9u);
    EXPECT_EQ(entries[1].records.size(), 2u);
}

void expect_refused(const std::string& text, const std::string& reason) {
    std::istringstream in(text);
    try {
        read_catalogue(in);
        ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
}

TEST(Catalogue, RefusesDamagedLines) {
    const std::int64_t three = signature_of(shape_of({2, 2, 2, 1, 1, 1, 1, 1}, 7));
    const std::string sig = std::to_string(three);
    // {000, 111} covers three binary events with one disagreement; position 0 and 1+17+289 = 307.
    EXPECT_NO_THROW({
        std::istringstream in("# comment\n\n" + sig + " 2 0 307\n");
        EXPECT_EQ(read_catalogue(in).size(), 1u);
    });
    // The same system as variant indices 0 and 7, the second written as its distance from the first.
    EXPECT_NO_THROW({
        std::istringstream in(sig + " 2 v 0 7\n");
        EXPECT_EQ(read_catalogue(in).front().records, (std::vector<Record>{0, 307}));
    });
    expect_refused(sig + " 2 v 0 8\n", "beyond");
    expect_refused(sig + " 2 v 7 0\n", "beyond");
    expect_refused(sig + " 2 v 0 18446744073709551615\n", "beyond");
    expect_refused(sig + " 2 0\n", "count");
    expect_refused(sig + " 1 0\n", "not covered");
    expect_refused(sig + " 2 0 30x\n", "not a number");
    expect_refused(sig + " 2 0 -307\n", "not a number");
    expect_refused(sig + " 2 0 2\n", "line 1");  // position 2 in a binary event
    expect_refused("17 1 0\n", "not a signature");
    expect_refused("x\n", "signature");
    expect_refused(sig + " 99999999999 0\n", "more bets");
}

}  // namespace
}  // namespace morvalen::briefgen
