// The generator's bets for fixed shapes, options and seeds, pinned by size and checksum, so that a
// change to how the constructions are arranged cannot change what a player is served.
#include <gtest/gtest.h>

#include "briefgen/coverage_check.h"
#include "briefgen/generator.h"
#include "briefgen/shipped_catalogue.h"
#include "brute_force.h"

namespace morvalen::briefgen {
namespace {

using testing::shape_of;

// FNV-1a over the records' bytes: any change of a single bet changes it.
std::uint64_t checksum(const std::vector<Record>& records) {
    std::uint64_t hash = 14695981039346656037ull;
    for (Record record : records)
        for (int byte = 0; byte < 8; ++byte) {
            hash ^= (record >> (8 * byte)) & 0xff;
            hash *= 1099511628211ull;
        }
    return hash;
}

struct Pinned {
    const char* what;
    Shape shape;
    GenerateOptions options;
    std::size_t size;
    std::uint64_t checksum;
    const char* start;
};

GenerateOptions with(std::uint64_t seed, long milliseconds, std::uint64_t max_iterations) {
    GenerateOptions options;
    options.seed = seed;
    options.budget = std::chrono::milliseconds(milliseconds);
    options.max_iterations = max_iterations;
    return options;
}

// Only runs that no clock can change are pinned: a spent budget (every search stops at its first look
// at the clock, the first autoformation pass always runs to its end), shapes that a construction
// settles at the size nothing can beat, shapes that the searches bounded by time do not take, and
// record sizes that no search can undercut, polished by no tabu steps.
std::vector<Pinned> pinned_runs() {
    static const UniformLibrary empty;
    auto bare = [](GenerateOptions options) {
        options.library = &empty;
        return options;
    };
    const Shape seven_ternary = shape_of({3, 3, 3, 3, 3, 3, 3, 1}, 7);
    GenerateOptions bad_starts = with(3, 0, 0);
    bad_starts.starts = {{0}, {}};
    GenerateOptions shipped_start = bare(with(3, 0, 0));
    for (const CatalogueEntry& entry : shipped_catalogue())
        if (entry.signature == signature_of(seven_ternary)) shipped_start.starts.push_back(entry.records);
    return {
        {"one bet", shape_of({17, 17, 1, 1, 1, 1, 1, 1}, 6), with(1, 0, 0), 1, 0xa8c7f832281a39c5ull, "single bet"},
        {"every variant", shape_of({3, 2, 1, 1, 1, 1, 1, 1}, 8), with(1, 0, 0), 6, 0x1e9edddce6638556ull, "structured"},
        {"perfect binary", shape_of({2, 2, 2, 2, 2, 2, 2, 1}, 7), with(4, 60000, 5000), 16, 0x5b70d1b348b835c7ull, "structured"},
        {"perfect ternary, bad starts", shape_of({3, 3, 3, 3, 1, 1, 1, 1}, 7), bad_starts, 9, 0x54476c8dd5c18ac5ull, "structured"},
        {"shipped start", seven_ternary, shipped_start, 186, 0x159c71aae0b1ecd3ull, "given"},
        {"spent budget, ternary", shape_of({3, 3, 3, 3, 3, 3, 1, 1}, 7), with(5, 0, 100000), 73, 0x4a6ba6abbcd98f16ull, "blocks"},
        {"spent budget, autoformation", shape_of({5, 5, 5, 3, 2, 2, 2, 1}, 7), bare(with(6, 0, 100000)), 252, 0x1a9185719aae2253ull, "autoformation"},
        {"no field, polished", shape_of({10, 4, 3, 2, 1, 1, 1, 1}, 7), with(7, 60000, 2000), 24, 0xf89274cd07e2b6b5ull, "structured"},
        {"no field, greedy polished", shape_of({10, 4, 4, 3, 3, 2, 1, 1}, 7), bare(with(1, 60000, 300)), 230, 0x09d45e5ca59ec303ull, "greedy"},
        {"no field, empty library", shape_of({11, 3, 3, 2, 2, 1, 1, 1}, 6), bare(with(2, 60000, 1500)), 6, 0x85d21c7eb2d977a5ull, "blocks"},
        {"spent budget, seven ternary", seven_ternary, bare(with(8, 0, 100000)), 240, 0x005a4911ffcdce8cull, "autoformation"},
    };
}

TEST(GeneratorResults, SameShapeOptionsAndSeedGiveThePinnedBets) {
    for (const Pinned& run : pinned_runs()) {
        const GeneratedSystem system = generate_system(run.shape, run.options);
        const std::uint64_t sum = checksum(system.records);
        EXPECT_EQ(system.records.size(), run.size) << run.what;
        EXPECT_EQ(sum, run.checksum) << run.what << ": 0x" << std::hex << sum;
        EXPECT_EQ(system.start, run.start) << run.what;
        EXPECT_TRUE(check_coverage(run.shape, system.records).covers) << run.what;
    }
}

}  // namespace
}  // namespace morvalen::briefgen
