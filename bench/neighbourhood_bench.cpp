// The walks over a neighbourhood as each formation calls them: single bets over the marks, merged
// draws with their probabilities, and the variants of a brief-system shape.
#include <benchmark/benchmark.h>

#include <random>

#include "briefgen/shape.h"
#include "core/model/draw_space.h"
#include "core/model/variant_space.h"
#include "poisson_line.h"

using namespace morvalen;

namespace {

// Arguments: the eight counts, then the changes.
std::array<int, 8> counts_of(const benchmark::State& state) {
    std::array<int, 8> counts{};
    for (int e = 0; e < 8; ++e) counts[static_cast<std::size_t>(e)] = static_cast<int>(state.range(e));
    return counts;
}

core::EventTable marked(const std::array<int, 8>& counts) {
    core::EventTable table;
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= counts[e - 1]; ++c) table.cell(e, c).mark = 1;
    return table;
}

void BM_VariantWalk(benchmark::State& state) {
    const core::VariantSpace space(marked(counts_of(state)));
    const int changes = static_cast<int>(state.range(8));
    std::vector<std::int32_t> gains(static_cast<std::size_t>(space.size()), 0);
    std::mt19937_64 rng(7);
    std::int64_t visits = 0;
    for (auto _ : state) {
        const core::VariantPattern center = space.digits(static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(space.size())));
        core::for_each_variant_within(space, center, changes, [&](std::int64_t i) { ++gains[static_cast<std::size_t>(i)]; });
        visits += 1;
    }
    benchmark::DoNotOptimize(gains.data());
    state.SetItemsProcessed(visits);
}

void BM_DrawWalk(benchmark::State& state) {
    const core::DrawSpace draws(bench::poisson_line(std::vector<int>(counts_of(state).begin(), counts_of(state).end()), 2026));
    const int changes = static_cast<int>(state.range(8));
    std::vector<std::uint16_t> counts(draws.size(), 0);
    std::mt19937_64 rng(7);
    double gained = 0;
    std::int64_t visits = 0;
    for (auto _ : state) {
        core::VariantPattern center{};
        for (int d = 0; d < 8; ++d) center[d] = static_cast<int>(rng() % static_cast<std::uint64_t>(counts_of(state)[d]));
        draws.for_each_draw_within(center, changes, [&](std::uint64_t d, double p) {
            gained += counts[d] == 0 ? p : 0.0;
            ++counts[d];
        });
        visits += 1;
    }
    benchmark::DoNotOptimize(gained);
    state.SetItemsProcessed(visits);
}

void BM_BallWalk(benchmark::State& state) {
    briefgen::Shape shape;
    shape.counts = counts_of(state);
    shape.guarantee = 8 - static_cast<int>(state.range(8));
    const briefgen::VariantSpace space(shape);
    std::vector<std::uint32_t> cover(space.size(), 0);
    std::mt19937_64 rng(7);
    std::int64_t visits = 0;
    for (auto _ : state) {
        const briefgen::Digits center = space.digits_of(rng() % space.size());
        briefgen::for_each_in_ball(space, center, space.radius(), [&](std::uint64_t w) { ++cover[w]; });
        visits += 1;
    }
    benchmark::DoNotOptimize(cover.data());
    state.SetItemsProcessed(visits);
}

void shapes(benchmark::internal::Benchmark* b) {
    b->Args({3, 3, 3, 3, 3, 3, 3, 3, 1})
        ->Args({5, 5, 5, 5, 5, 5, 5, 5, 2})
        ->Args({6, 6, 5, 5, 4, 4, 3, 3, 3})
        ->Args({4, 4, 4, 4, 4, 4, 4, 4, 4});
}
BENCHMARK(BM_VariantWalk)->Apply(shapes);
BENCHMARK(BM_DrawWalk)->Apply(shapes);
BENCHMARK(BM_BallWalk)->Apply(shapes);

}  // namespace
BENCHMARK_MAIN();
