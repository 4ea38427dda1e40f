// Proves a brief system size least or finds a smaller one: brief_exact COUNTS G SIZE [NODE-LIMIT],
// COUNTS as "3,3,2,2,2,1,1,1"; searches for a cover with SIZE bets and prints it when one exists.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "briefgen/coverage_check.h"
#include "briefgen/exact_cover.h"

int main(int argc, char** argv) {
    using namespace morvalen::briefgen;
    if (argc < 4) {
        std::fprintf(stderr, "usage: brief_exact COUNTS G SIZE [NODE-LIMIT]\n");
        return 2;
    }
    Shape shape;
    std::istringstream counts(argv[1]);
    std::string part;
    for (int k = 0; k < events && std::getline(counts, part, ','); ++k) shape.counts[k] = std::atoi(part.c_str());
    shape.guarantee = std::atoi(argv[2]);
    if (const auto problem = shape_problem(shape); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }
    const int size = std::atoi(argv[3]);
    const std::uint64_t limit = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 0;
    const auto start = std::chrono::steady_clock::now();
    const auto result = exact_cover(shape, size, limit);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const char* verdict = result.outcome == ExactOutcome::found  ? "found"
                          : result.outcome == ExactOutcome::none ? "none"
                                                                 : "gave-up";
    std::printf("%s %d bets: %s nodes=%llu %.2fs\n", describe(shape).c_str(), size, verdict,
                static_cast<unsigned long long>(result.nodes), seconds);
    if (result.outcome == ExactOutcome::found) {
        require_coverage(shape, result.records);
        std::printf("%lld %zu", static_cast<long long>(signature_of(shape)), result.records.size());
        for (const Record r : result.records) std::printf(" %llu", static_cast<unsigned long long>(r));
        std::printf("\n");
    }
    return 0;
}
