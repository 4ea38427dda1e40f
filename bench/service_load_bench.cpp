// Load on the service as morvalen_service runs it, over the loopback: line-page requests with 8 and
// 64 concurrent keep-alive clients, a burst of 200 concurrent malformed requests after which the service must still answer,
// and line pages on fresh connections while 1,000 clients trickle request heads.
// Bounded: a fixed number of requests per thread, fixed run times and client timeouts on every request.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "service/brief_service.h"
#include "service/http_server.h"
#include "service/open_file_limit.h"
#include "service/store.h"
#include "slow_client_swarm.h"

namespace {

// The service as morvalen_service runs it (default options), on an in-memory store with the
// demonstration line, serving from its own threads.
class StandaloneService {
public:
    StandaloneService() : service_(store_), server_(service_, loopback_options()) {
        morvalen::service::raise_open_file_limit();
        port_ = server_.bind();
        if (port_ <= 0) std::abort();
        base_url_ = "http://127.0.0.1:" + std::to_string(port_);
        thread_ = std::thread([this] { server_.run(); });
    }
    ~StandaloneService() {
        server_.stop();
        thread_.join();
    }
    int port() const { return port_; }
    const std::string& base_url() const { return base_url_; }

private:
    static morvalen::service::ServerOptions loopback_options() {
        morvalen::service::ServerOptions options;
        options.host = "127.0.0.1";
        options.port = 0;
        return options;
    }

    morvalen::service::Store store_{""};
    morvalen::service::BriefService service_;
    morvalen::service::HttpServer server_;
    int port_ = 0;
    std::string base_url_;
    std::thread thread_;
};

StandaloneService& service() {
    static StandaloneService running;
    return running;
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
BENCHMARK(BM_LinePage)->Threads(8)->Iterations(5000)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LinePage)->Threads(64)->Iterations(400)->UseRealTime()->Unit(benchmark::kMicrosecond);

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

// A player's program starting up: one line page on a fresh connection, every 20 ms for 15 s, while
// 1,000 clients hold connections by sending 4 bytes a second of a head that never ends.
void BM_LinePageUnderSlowClients(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr std::size_t slow_clients = 1000;
    constexpr auto run_time = std::chrono::seconds(15);
    std::vector<double> latencies_ms;
    std::int64_t failures = 0;
    std::int64_t served_after = 0;
    std::size_t least_connected = slow_clients;
    double connected_sum = 0;
    std::size_t cut_off = 0;
    for (auto _ : state) {
        {
            morvalen::bench::SlowClientSwarm swarm(service().port(), slow_clients, std::chrono::milliseconds(250));
            // Let the swarm take its seats before the first probe.
            const auto settle_until = Clock::now() + std::chrono::seconds(2);
            while (swarm.connected() < slow_clients && Clock::now() < settle_until)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const auto started = Clock::now();
            while (Clock::now() - started < run_time) {
                httplib::Client client(service().base_url());
                client.set_connection_timeout(std::chrono::seconds(1));
                client.set_read_timeout(std::chrono::seconds(2));
                const auto asked = Clock::now();
                const auto result = client.Get("/sttot/getbrief.ashx?line=1&dt=46364.25");
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - asked).count();
                if (!result || result->status != 200 || result->body.empty()) ++failures;
                latencies_ms.push_back(ms);
                least_connected = std::min(least_connected, swarm.connected());
                connected_sum += static_cast<double>(swarm.connected());
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            cut_off += swarm.cut_off();
        }
        httplib::Client after = make_client();
        const auto line = after.Get("/sttot/getbrief.ashx?line=1&dt=1");
        if (line && line->status == 200) ++served_after;
    }
    std::sort(latencies_ms.begin(), latencies_ms.end());
    const auto at = [&](double fraction) {
        return latencies_ms.empty() ? 0.0
                                    : latencies_ms[std::min(latencies_ms.size() - 1,
                                                            static_cast<std::size_t>(fraction * static_cast<double>(latencies_ms.size())))];
    };
    state.counters["probes"] = benchmark::Counter(static_cast<double>(latencies_ms.size()));
    state.counters["failures"] = benchmark::Counter(static_cast<double>(failures));
    state.counters["median_ms"] = benchmark::Counter(at(0.5));
    state.counters["p99_ms"] = benchmark::Counter(at(0.99));
    state.counters["max_ms"] = benchmark::Counter(latencies_ms.empty() ? 0.0 : latencies_ms.back());
    state.counters["slow_connected_mean"] =
        benchmark::Counter(latencies_ms.empty() ? 0.0 : connected_sum / static_cast<double>(latencies_ms.size()));
    state.counters["slow_connected_min"] = benchmark::Counter(static_cast<double>(least_connected));
    state.counters["slow_cut_off"] = benchmark::Counter(static_cast<double>(cut_off));
    state.counters["served_after"] = benchmark::Counter(static_cast<double>(served_after));
    if (failures > 0 || served_after != static_cast<std::int64_t>(state.iterations()) ||
        (!latencies_ms.empty() && latencies_ms.back() >= 1000.0))
        state.SkipWithError("a line page failed or took a second or more under the slow clients");
}
BENCHMARK(BM_LinePageUnderSlowClients)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
