// Exact chances of a 1,000-bet package over three marked outcomes in each event, and its hit check.
#include <benchmark/benchmark.h>

#include "core/analysis/package_chances.h"
#include "core/model/random_source.h"
#include "core/analysis/results_check.h"

using namespace morvalen::core;

namespace {

// Quotes-like probabilities over all 17 outcomes, and singles over the outcomes 1:0, 0:0, 0:1.
EventTable line_table() {
    EventTable table;
    RandomSource rng(17);
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) table.cell(e, o).setting_probability = Currency::from_units(1 + rng.uniform_int(0, 15));
    return table;
}

BetList thousand_singles() {
    constexpr int marked[] = {1, 7, 11};
    RandomSource rng(29);
    BetList list;
    for (int i = 0; i < 1000; ++i) {
        BetEntry entry;
        entry.bet_count = 1;
        entry.amount = Currency::from_units(1);
        for (OutcomeSet& set : entry.outcome_sets) set = OutcomeSet::of_column(marked[rng.uniform_int(0, 2)]);
        list.push_back(entry);
    }
    return list;
}

void BM_ExactChances1000Bets(benchmark::State& state) {
    const EventTable table = line_table();
    const BetList list = thousand_singles();
    bool exact = false;
    for (auto _ : state) {
        const auto report = package_chances(list, table);
        exact = report.chances && report.chances->exact;
        benchmark::DoNotOptimize(report.chances);
    }
    if (!exact) state.SkipWithError("the chances were not computed exactly");
}
BENCHMARK(BM_ExactChances1000Bets)->Unit(benchmark::kMillisecond);

void BM_HitsOf1000Bets(benchmark::State& state) {
    const BetList list = thousand_singles();
    const DrawResults results = *parse_results("1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2").results;
    for (auto _ : state) benchmark::DoNotOptimize(package_hits(list, results).totals);
}
BENCHMARK(BM_HitsOf1000Bets)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
