// Reading a large memo and summarising a large list: the work of every keystroke in the memo.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/model/bet.h"
#include "core/analysis/package_stats.h"
#include "core/model/session.h"

using namespace morvalen::core;

namespace {

std::string random_memo(std::size_t lines) {
    std::mt19937_64 rng(42);
    std::string text;
    text.reserve(lines * 80);
    for (std::size_t i = 0; i < lines; ++i) {
        BetEntry entry;
        entry.bet_count = 1;
        entry.amount = Currency::from_ten_thousandths(31000);
        for (OutcomeSet& set : entry.outcome_sets) set = OutcomeSet::of_column(static_cast<int>(rng() % 17) + 1);
        text += format_bet(entry);
        text += "\r\n";
    }
    return text;
}

void BM_ReadMemo(benchmark::State& state) {
    const std::string text = random_memo(static_cast<std::size_t>(state.range(0)));
    BetList list;
    for (auto _ : state) {
        read_memo(text, list);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadMemo)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_StatsOverList(benchmark::State& state) {
    Session session;
    read_memo(random_memo(static_cast<std::size_t>(state.range(0))), session.bets);
    for (int e = 1; e <= 8; ++e) click_outcome(session.events, e, 1, false);
    for (auto _ : state) benchmark::DoNotOptimize(session.stats());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StatsOverList)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One keystroke in a 100,000-line memo: the whole text is read again and summarised.
void BM_ReReadAndStats(benchmark::State& state) {
    const std::string text = random_memo(100000);
    Session session;
    for (auto _ : state) {
        read_memo(text, session.bets);
        benchmark::DoNotOptimize(session.stats());
    }
}
BENCHMARK(BM_ReReadAndStats)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
