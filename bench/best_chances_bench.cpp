// The best-chances package: 250 bets over 5 marks in every event at guarantee 7, whole run.
#include <benchmark/benchmark.h>

#include "core/formation/best_chances.h"
#include "poisson_line.h"

using namespace morvalen::core;

namespace {

void BM_BestChances250BetsFiveMarksGuarantee7(benchmark::State& state) {
    const EventTable table = morvalen::bench::poisson_line({5, 5, 5, 5, 5, 5, 5, 5}, 2026);
    BestChancesSettings settings;
    settings.guarantee = 7;
    settings.bets = 250;
    BestChancesPackage package;
    for (auto _ : state) {
        package = best_chances_package(table, {}, settings);
        benchmark::DoNotOptimize(package.bets.data());
    }
    if (package.bets.size() != 250) state.SkipWithError("fewer than 250 bets");
    state.counters["chance_pct"] = package.chance * 100;
    state.counters["likeliest_pct"] = package.likeliest_chance * 100;
    state.counters["autoformation_pct"] = package.autoformation_chance * 100;
    state.counters["swaps"] = static_cast<double>(package.swaps);
}
BENCHMARK(BM_BestChances250BetsFiveMarksGuarantee7)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
BENCHMARK_MAIN();
