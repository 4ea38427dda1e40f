// On-demand brief systems: the first request for a shape the store lacks (generation with the
// autoformation pass, constructions and search) and a repeated one, served from the store.
// Counters: answered (1 when the first request carried a system), bets, repeat_ms, and stored_s,
// when the worker had stored the system (it goes on after a first request that gave up waiting).
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "briefgen/shape.h"
#include "core/formats/payload.h"
#include "service/on_demand_systems.h"
#include "service/store.h"
#include "service/system_store.h"

namespace {

using namespace morvalen;
using clock_type = std::chrono::steady_clock;

std::int64_t signature_of(std::initializer_list<int> counts, int guarantee) {
    briefgen::Shape shape;
    shape.guarantee = guarantee;
    int k = 0;
    for (int count : counts) shape.counts[static_cast<std::size_t>(k++)] = count;
    return briefgen::signature_of(shape);
}

void run_request(benchmark::State& state, std::int64_t signature) {
    for (auto _ : state) {
        service::Store store("");
        service::OnDemandSystems on_demand(store);
        const auto start = clock_type::now();
        const auto first = on_demand.request(signature).payload;
        const double first_s = std::chrono::duration<double>(clock_type::now() - start).count();
        state.SetIterationTime(first_s);
        std::optional<std::string> stored;
        while (!(stored = store.with_db([&](service::Database& db) { return service::system_payload(db, signature); })) &&
               clock_type::now() - start < std::chrono::seconds(120))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        state.counters["stored_s"] = std::chrono::duration<double>(clock_type::now() - start).count();
        const auto again = clock_type::now();
        const auto repeat = on_demand.request(signature).payload;
        state.counters["repeat_ms"] = std::chrono::duration<double, std::milli>(clock_type::now() - again).count();
        state.counters["answered"] = first.has_value() ? 1 : 0;
        if (repeat) state.counters["bets"] = static_cast<double>(core::decode_payload(*repeat, 64 << 20).records.size());
    }
}

#define ON_DEMAND(name, guarantee, ...)                                                             \
    void BM_##name(benchmark::State& state) { run_request(state, signature_of({__VA_ARGS__}, guarantee)); } \
    BENCHMARK(BM_##name)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond)

ON_DEMAND(Five6_G7, 7, 5, 5, 5, 5, 5, 5, 1, 1);
ON_DEMAND(Five8_G7, 7, 5, 5, 5, 5, 5, 5, 5, 5);
ON_DEMAND(Six6_G7, 7, 6, 6, 6, 6, 6, 6, 1, 1);
ON_DEMAND(Mixed5443_G6, 6, 5, 5, 5, 5, 4, 4, 4, 3);
ON_DEMAND(Mixed665544_G6, 6, 6, 6, 5, 5, 4, 4, 3, 3);
ON_DEMAND(Mixed665544_G5, 5, 6, 6, 5, 5, 4, 4, 3, 3);
ON_DEMAND(Five8_G6, 6, 5, 5, 5, 5, 5, 5, 5, 5);
ON_DEMAND(Five8_G5, 5, 5, 5, 5, 5, 5, 5, 5, 5);
ON_DEMAND(Four8_G5, 5, 4, 4, 4, 4, 4, 4, 4, 4);
ON_DEMAND(Six7Three_G6, 6, 6, 6, 6, 6, 6, 6, 6, 3);
ON_DEMAND(Six7Three_G5, 5, 6, 6, 6, 6, 6, 6, 6, 3);
ON_DEMAND(Six6Five4_G5, 5, 6, 6, 6, 6, 6, 6, 5, 4);
ON_DEMAND(Six7Three_G4, 4, 6, 6, 6, 6, 6, 6, 6, 3);
ON_DEMAND(Five8_G3, 3, 5, 5, 5, 5, 5, 5, 5, 5);
ON_DEMAND(Wide4_G5, 5, 17, 17, 17, 17, 3, 2, 1, 1);
ON_DEMAND(Seven8_G7_AboveTheLimit, 7, 7, 7, 7, 7, 7, 7, 7, 7);
// Above 10^6 variants the shipped uniform codes make the system: a direct sum, symbols merged.
ON_DEMAND(Six8_G5_AboveTheLimit, 5, 6, 6, 6, 6, 6, 6, 6, 6);
ON_DEMAND(Six8_G6_AboveTheLimit, 6, 6, 6, 6, 6, 6, 6, 6, 6);
ON_DEMAND(Six7Five_G5_AboveTheLimit, 5, 6, 6, 6, 6, 6, 6, 6, 5);
// Below it, merged codes and sums over blocks are candidates beside the search.
ON_DEMAND(Five7Four_G6, 6, 5, 5, 5, 5, 5, 5, 5, 4);
ON_DEMAND(Six6_G6_Uniform, 6, 6, 6, 6, 6, 6, 6, 1, 1);

}  // namespace

BENCHMARK_MAIN();
