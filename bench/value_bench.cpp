// The expected return of a 1,000-bet package with tiers 6 to 8 paying, and the return-maximising run.
#include <benchmark/benchmark.h>

#include "core/analysis/expected_return.h"
#include "core/model/random_source.h"
#include "core/formation/return_maximising_package.h"

using namespace morvalen::core;

namespace {

// Every outcome possible and played, the crowd's shares apart from the set probabilities.
EventTable line_table(int marks) {
    EventTable table;
    RandomSource rng(17);
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) {
            table.cell(e, o).setting_probability = Currency::from_units(1 + rng.uniform_int(0, 15));
            table.cell(e, o).pool_probability = Currency::from_units(1 + rng.uniform_int(0, 15));
            table.cell(e, o).mark = o <= marks ? 1 : 0;
        }
    return table;
}

BetList thousand_singles() {
    RandomSource rng(29);
    BetList list;
    for (int i = 0; i < 1000; ++i) {
        BetEntry entry;
        entry.bet_count = 1;
        entry.amount = Currency::from_units(3);
        for (OutcomeSet& set : entry.outcome_sets) set = OutcomeSet::of_column(static_cast<int>(rng.uniform_int(1, 5)));
        list.push_back(entry);
    }
    return list;
}

const PoolRules rules = *parse_pool_rules("tickets=1000000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=0").rules;

void BM_ExpectedReturn1000Bets(benchmark::State& state) {
    const EventTable table = line_table(0);
    const BetList list = thousand_singles();
    bool exact = false;
    for (auto _ : state) {
        const auto report = expected_return(list, table, rules, Currency::from_units(3));
        exact = report.value && report.value->exact;
        benchmark::DoNotOptimize(report.value);
    }
    if (!exact) state.SkipWithError("the return was not summed exactly");
}
BENCHMARK(BM_ExpectedReturn1000Bets)->Unit(benchmark::kMillisecond);

// 200 bets over three marked outcomes in each event, the search ended by its work limit.
void BM_ReturnMaximising200Bets(benchmark::State& state) {
    const EventTable table = line_table(3);
    ReturnMaximisingSettings settings;
    settings.bets = 200;
    settings.stake = Currency::from_units(3);
    settings.time_budget = std::chrono::milliseconds(60000);
    settings.search_work_limit = 50'000'000;
    for (auto _ : state) {
        const auto package = return_maximising_package(table, {}, rules, settings, {}, {});
        benchmark::DoNotOptimize(package.bets.data());
        state.counters["gain_over_start_percent"] =
            100 * (package.expected_return / std::max(package.best_alone_return, package.likeliest_return) - 1);
    }
}
BENCHMARK(BM_ReturnMaximising200Bets)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
