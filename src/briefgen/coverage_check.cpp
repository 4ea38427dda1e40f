// Bitset coverage check over all variants of a shape.
#include "briefgen/coverage_check.h"

#include <vector>

namespace morvalen::briefgen {

CoverageReport check_coverage(const Shape& shape, std::span<const Record> records) {
    CoverageReport report;
    if (const std::string problem = shape_problem(shape); !problem.empty()) {
        report.problem = problem;
        return report;
    }
    const VariantSpace space(shape);
    report.uncovered = space.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!space.digits_of_record(records[i])) {
            report.problem = "record " + std::to_string(i + 1) + " (" + std::to_string(records[i]) +
                             ") has a position beyond its event's count";
            return report;
        }
    }
    std::vector<std::uint64_t> seen((space.size() + 63) / 64, 0);
    std::uint64_t covered = 0;
    for (Record record : records) {
        const Digits center = *space.digits_of_record(record);
        for_each_in_ball(space, center, space.radius(), [&](std::uint64_t index) {
            std::uint64_t& word = seen[index >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (index & 63);
            if ((word & bit) == 0) {
                word |= bit;
                ++covered;
            }
        });
        if (covered == space.size()) break;
    }
    report.uncovered = space.size() - covered;
    report.covers = report.uncovered == 0;
    if (!report.covers) {
        report.problem = std::to_string(report.uncovered) + " of " + std::to_string(space.size()) +
                         " variants are not covered";
    }
    return report;
}

void require_coverage(const Shape& shape, std::span<const Record> records) {
    const CoverageReport report = check_coverage(shape, records);
    if (!report.covers) throw CoverageError("brief system " + describe(shape) + " refused: " + report.problem);
}

}  // namespace morvalen::briefgen
