// Report, not a benchmark: chances of the best-chances package against the N likeliest variants and
// autoformation with N bets, over lines priced like a bookmaker's.
#include <cstdio>
#include <vector>

#include "core/formation/best_chances.h"
#include "core/analysis/package_chances.h"
#include "poisson_line.h"

using namespace morvalen::core;

namespace {

struct Case {
    std::vector<int> marks;
    int guarantee;
    std::int64_t bets;
    std::uint64_t line_seed;
};

double exact_chance(const BetList& bets, const EventTable& table, int k) {
    ChanceOptions options;
    options.exact_work_limit = UINT64_MAX;
    return package_chances(bets, table, options).chances->at_least[static_cast<std::size_t>(k)];
}

}  // namespace

int main() {
    const std::vector<Case> cases = {
        {{3, 3, 3, 3, 3, 3, 3, 3}, 7, 100, 1}, {{3, 3, 3, 3, 3, 3, 3, 3}, 6, 50, 2},  {{4, 4, 4, 4, 4, 4, 4, 4}, 7, 100, 3},
        {{4, 4, 4, 4, 4, 4, 4, 4}, 6, 100, 4}, {{4, 4, 4, 4, 4, 4, 4, 4}, 5, 30, 5},  {{5, 5, 5, 5, 5, 5, 5, 5}, 7, 250, 6},
        {{5, 5, 5, 5, 5, 5, 5, 5}, 6, 250, 7}, {{5, 5, 5, 5, 5, 5, 5, 5}, 8, 250, 8}, {{5, 5, 4, 4, 3, 3, 2, 2}, 7, 100, 9},
        {{5, 5, 4, 4, 3, 3, 2, 2}, 6, 60, 10}, {{6, 6, 5, 5, 4, 4, 3, 3}, 7, 500, 11}, {{6, 6, 6, 6, 6, 6, 6, 6}, 6, 1000, 12},
    };
    std::printf("marks\tK\tN\tbest %%\tlikeliest %%\tautoformation %%\tgain over the better %%\tswaps\n");
    double gain_sum = 0;
    for (const Case& c : cases) {
        const EventTable table = morvalen::bench::poisson_line(c.marks, c.line_seed);
        BestChancesSettings settings;
        settings.guarantee = c.guarantee;
        settings.bets = c.bets;
        settings.generator = RandomSource(c.line_seed);
        const BestChancesPackage package = best_chances_package(table, {}, settings);
        const double chance = exact_chance(package.bets, table, c.guarantee);
        const double rival = std::max(package.likeliest_chance, package.autoformation_chance);
        const double gain = rival > 0 ? (chance / rival - 1) * 100 : 0;
        gain_sum += gain;
        std::string marks;
        for (int m : c.marks) marks += std::to_string(m);
        std::printf("%s\t%d\t%lld\t%.4f\t%.4f\t%.4f\t%+.2f\t%lld\n", marks.c_str(), c.guarantee, static_cast<long long>(c.bets), chance * 100,
                    package.likeliest_chance * 100, package.autoformation_chance * 100, gain, static_cast<long long>(package.swaps));
    }
    std::printf("average gain over the better of the two: %+.2f %%\n", gain_sum / static_cast<double>(cases.size()));
    return 0;
}
