// Load on the service over the loopback: line-page requests with 8 concurrent keep-alive clients,
// and a burst of 200 concurrent malformed requests after which the service must still answer.
// Bounded: a fixed number of requests per thread and client timeouts on every request.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <atomic>
#include <thread>
#include <vector>

#include "service/embedded_service.h"

namespace {

using morvalen::service::EmbeddedService;

EmbeddedService& service() {
    static const std::unique_ptr<EmbeddedService> embedded = EmbeddedService::start("");
    if (!embedded) std::abort();
    return *embedded;
}

httplib::Client make_client() {
    httplib::Client client(service().base_url());
    client.set_keep_alive(true);
    client.set_connection_timeout(std::chrono::seconds(5));
    client.set_read_timeout(std::chrono::seconds(10));
    return client;
}

void BM_LinePage(benchmark::State& state) {
    httplib::Client client = make_client();
    std::int64_t errors = 0;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const auto result = client.Get("/sttot/getbrief.ashx?line=1&dt=46364.25");
        if (!result || result->status != 200 || result->body.empty()) {
            ++errors;
        } else {
            bytes += static_cast<std::int64_t>(result->body.size());
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(bytes);
    state.counters["errors"] = benchmark::Counter(static_cast<double>(errors), benchmark::Counter::kAvgThreads);
    if (errors > 0) state.SkipWithError("line page requests failed");
}
BENCHMARK(BM_LinePage)->Threads(8)->Iterations(2500)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_MalformedBurst(benchmark::State& state) {
    std::int64_t refused_total = 0;
    std::int64_t served_after = 0;
    for (auto _ : state) {
        std::atomic<int> refused{0};
        std::vector<std::thread> clients;
        clients.reserve(200);
        for (int i = 0; i < 200; ++i) {
            clients.emplace_back([&refused, i] {
                httplib::Client client(service().base_url());
                client.set_connection_timeout(std::chrono::seconds(10));
                client.set_read_timeout(std::chrono::seconds(30));
                const char* forms[] = {"signat=abc", "grant=99_ZZ", "line=1&line=2", "evil=../../etc/passwd"};
                const auto result = client.Get(std::string("/sttot/getbrief.ashx?") + forms[i % 4]);
                if (result && result->status == 400) ++refused;
            });
        }
        for (auto& c : clients) c.join();
        refused_total += refused.load();
        httplib::Client after = make_client();
        const auto line = after.Get("/sttot/getbrief.ashx?line=1&dt=1");
        if (line && line->status == 200) ++served_after;
    }
    state.counters["refused_per_burst"] =
        benchmark::Counter(static_cast<double>(refused_total) / static_cast<double>(state.iterations()));
    state.counters["served_after"] = benchmark::Counter(static_cast<double>(served_after));
    if (refused_total != 200 * static_cast<std::int64_t>(state.iterations()) ||
        served_after != static_cast<std::int64_t>(state.iterations()))
        state.SkipWithError("the burst was not answered in full or the service stopped serving");
}
BENCHMARK(BM_MalformedBurst)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
