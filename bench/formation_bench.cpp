// The formation methods on the markings players really use: autoformation to full coverage, the check
// of a long list, a million random bets and a million-record brief system.
#include <benchmark/benchmark.h>

#include <random>

#include "../tests/core/literal_autoformation.h"
#include "core/formation/autoformation.h"
#include "core/formation/brief_expansion.h"
#include "core/formats/payload.h"
#include "core/formation/random_distribution.h"
#include "core/model/session.h"

using namespace morvalen::core;

namespace {

struct Lines : MemoSink {
    std::vector<std::string> lines;
    void append_line(const std::string& line) override { lines.push_back(line); }
    void replace_all(const std::vector<std::string>& all) override { lines = all; }
    void remove_line(std::size_t index) override { lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(index)); }
};

void mark_first(Session& session, std::array<int, 8> counts) {
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= counts[e - 1]; ++c) session.events.cell(e, c).mark = 1;
}

std::array<int, 8> counts_of(const benchmark::State& state) {
    std::array<int, 8> counts{};
    for (int e = 0; e < 8; ++e) counts[e] = static_cast<int>(state.range(0) >> (4 * (7 - e)) & 15);
    return counts;
}

constexpr std::int64_t shape(std::array<int, 8> counts) {
    std::int64_t packed = 0;
    for (int count : counts) packed = packed << 4 | count;
    return packed;
}

// Autoformation from an empty list until every variant is covered.
void BM_AutoformationToFullCoverage(benchmark::State& state) {
    std::int64_t bets = 0;
    for (auto _ : state) {
        Session session(1);
        Lines memo;
        session.memo = &memo;
        mark_first(session, counts_of(state));
        session.settings.guarantee = static_cast<int>(state.range(1));
        autoform(session, 100000000, {}, 0);
        if (session.uncovered_variants != 0) state.SkipWithError("not fully covered");
        bets = static_cast<std::int64_t>(session.bets.size());
    }
    state.counters["bets"] = static_cast<double>(bets);
}
BENCHMARK(BM_AutoformationToFullCoverage)
    ->Args({shape({3, 3, 3, 3, 3, 3, 3, 3}), 7})
    ->Args({shape({4, 4, 4, 4, 4, 4, 4, 4}), 7})
    ->Args({shape({4, 4, 3, 3, 3, 3, 2, 2}), 6})
    ->Args({shape({5, 5, 5, 5, 5, 5, 5, 5}), 6})
    ->Args({shape({5, 5, 5, 5, 5, 5, 5, 5}), 5})
    ->Args({shape({6, 6, 5, 5, 4, 4, 3, 3}), 5})
    ->Args({shape({6, 6, 6, 6, 6, 6, 6, 3}), 5})
    ->Args({shape({5, 5, 5, 5, 5, 5, 5, 5}), 2})
    ->Unit(benchmark::kMillisecond);

// The literal pass on the same markings, for the ratio; it must append the very same bets.
void BM_LiteralAutoformationToFullCoverage(benchmark::State& state) {
    std::int64_t bets = 0;
    Session fast(1);
    mark_first(fast, counts_of(state));
    fast.settings.guarantee = static_cast<int>(state.range(1));
    autoform(fast, 100000000, {}, 0);
    for (auto _ : state) {
        Session session(1);
        mark_first(session, counts_of(state));
        session.settings.guarantee = static_cast<int>(state.range(1));
        morvalen::test::LiteralAutoformation(session).run(100000000, 0);
        bets = static_cast<std::int64_t>(session.bets.size());
        if (session.bets != fast.bets) state.SkipWithError("the fast pass appended other bets");
    }
    state.counters["bets"] = static_cast<double>(bets);
}
BENCHMARK(BM_LiteralAutoformationToFullCoverage)
    ->Args({shape({4, 4, 3, 3, 3, 3, 2, 2}), 6})
    ->Args({shape({3, 3, 3, 3, 3, 3, 3, 3}), 7})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The check alone: 5,000 single bets over 65,536 variants, guarantee 7.
void BM_CheckOf5000Singles(benchmark::State& state) {
    Session proto(1);
    mark_first(proto, {4, 4, 4, 4, 4, 4, 4, 4});
    std::mt19937_64 rng(3);
    for (int i = 0; i < 5000; ++i) {
        BetEntry bet;
        for (int e = 1; e <= 8; ++e) bet.set(e) = OutcomeSet::of_column(1 + static_cast<int>(rng() % 4));
        bet.amount = Currency::from_units(3);
        bet.bet_count = 1;
        proto.bets.push_back(bet);
    }
    for (auto _ : state) {
        Session session = proto;
        autoform(session, 0);
        benchmark::DoNotOptimize(session.uncovered_variants);
    }
}
BENCHMARK(BM_CheckOf5000Singles)->Unit(benchmark::kMillisecond);

// A million random bets over 8^8 = 16,777,216 variants, with the memo lines written.
void BM_RandomMillionBets(benchmark::State& state) {
    for (auto _ : state) {
        Session session(5);
        Lines memo;
        session.memo = &memo;
        mark_first(session, {8, 8, 8, 8, 8, 8, 8, 8});
        for (int e = 1; e <= 8; ++e)
            for (int c = 1; c <= 8; ++c) session.events.cell(e, c).setting_probability = Currency::from_units(c);
        session.settings.repeat_count = 1000000;
        random_distribution(session);
        if (session.bets.size() != 1000000) state.SkipWithError("fewer bets than asked");
    }
}
BENCHMARK(BM_RandomMillionBets)->Unit(benchmark::kMillisecond);

// A brief system of a million records over all 17 outcomes: the gzip decoding and the expansion.
void BM_BriefSystemMillionRecords(benchmark::State& state) {
    std::mt19937_64 rng(8);
    std::vector<std::uint64_t> records(1000000);
    for (auto& record : records) record = rng() % 6975757441ULL;
    const std::string body = encode_payload(records);
    for (auto _ : state) {
        Session session(2);
        Lines memo;
        session.memo = &memo;
        mark_first(session, {17, 17, 17, 17, 17, 17, 17, 17});
        session.expansion_order = order_events(session.events, false, session.rng);
        const PayloadResult payload = decode_payload(body, std::size_t{1} << 30);
        expand_brief_system(session, payload.records, payload.content_size);
        if (memo.lines.size() != records.size()) state.SkipWithError("records lost");
    }
}
BENCHMARK(BM_BriefSystemMillionRecords)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
