// Autoformation inside conditions against the same pass without them, and against a plain greedy
// cover of the passing variants (the bet counts are the counters).
#include <benchmark/benchmark.h>

#include <queue>

#include "core/formation/autoformation.h"
#include "core/formats/condition_file.h"
#include "core/formation/condition_space.h"
#include "core/model/session.h"
#include "core/model/variant_space.h"

using namespace morvalen::core;

namespace {

// Five outcomes in every event, two of them away wins; at most three away wins and at least one draw
// keeps 58 % of the 390,625 variants.
constexpr std::array<int, 5> marked_columns = {1, 7, 8, 11, 13};
constexpr const char* half_of_them = "count 0 3 away\ncount 1 * draws\n";

Session five_marks(int guarantee, bool with_conditions) {
    Session session(1);
    for (int e = 1; e <= 8; ++e)
        for (const int c : marked_columns) {
            session.events.cell(e, c).mark = 1;
            session.events.cell(e, c).setting_probability = Currency::from_units(1);
        }
    session.settings.guarantee = guarantee;
    if (with_conditions) session.conditions = *read_condition_file(half_of_them).set;
    return session;
}

void BM_AutoformationFiveMarks(benchmark::State& state) {
    const bool with_conditions = state.range(1) != 0;
    std::int64_t bets = 0;
    std::int64_t covered = 0;
    for (auto _ : state) {
        Session session = five_marks(static_cast<int>(state.range(0)), with_conditions);
        autoform(session, 100000000, {}, 0);
        if (session.uncovered_variants != 0) state.SkipWithError("not fully covered");
        bets = static_cast<std::int64_t>(session.bets.size());
        covered = with_conditions ? passing_count(session.events, session.conditions).variants : variant_total(session.events);
    }
    state.counters["bets"] = static_cast<double>(bets);
    state.counters["variants"] = static_cast<double>(covered);
}
BENCHMARK(BM_AutoformationFiveMarks)->Args({6, 0})->Args({6, 1})->Args({7, 0})->Args({7, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(1);

// The greedy that always takes the passing variant covering the most uncovered passing ones (the
// lowest index among equals), lazily: a gain only falls, so a recomputed gain still on top is best.
void BM_PlainGreedyOfPassingVariants(benchmark::State& state) {
    std::int64_t bets = 0;
    for (auto _ : state) {
        Session session = five_marks(static_cast<int>(state.range(0)), true);
        const VariantSpace space(session.events);
        const ConditionCheck check(session.conditions, session.events);
        std::vector<std::uint8_t> uncovered = passing_flags(session.events, check, [] {});
        const int changes = event_count - session.settings.guarantee;
        const auto gain = [&](std::int64_t i) {
            std::int32_t g = 0;
            for_each_variant_within(space, space.digits(i), changes, [&](std::int64_t v) { g += uncovered[static_cast<std::size_t>(v)]; });
            return g;
        };
        std::priority_queue<std::pair<std::int32_t, std::int64_t>> queue;  // (gain, −index)
        const std::vector<std::uint8_t> passing = uncovered;
        for (std::int64_t i = 0; i < space.size(); ++i)
            if (passing[static_cast<std::size_t>(i)]) queue.emplace(gain(i), -i);
        bets = 0;
        while (!queue.empty()) {
            const auto [stale, negative] = queue.top();
            queue.pop();
            const std::int32_t fresh = gain(-negative);
            if (fresh == 0) continue;
            if (!queue.empty() && std::pair{fresh, negative} < queue.top()) {
                queue.emplace(fresh, negative);
                continue;
            }
            ++bets;
            for_each_variant_within(space, space.digits(-negative), changes, [&](std::int64_t v) { uncovered[static_cast<std::size_t>(v)] = 0; });
        }
    }
    state.counters["bets"] = static_cast<double>(bets);
}
BENCHMARK(BM_PlainGreedyOfPassingVariants)->Arg(6)->Arg(7)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
