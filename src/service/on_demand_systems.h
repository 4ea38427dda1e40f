// Brief systems generated when a signature is asked for that the store lacks, on a worker thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace morvalen::service {

class Store;
class BriefService;

struct OnDemandOptions {
    // The generator's own time; its constructions and the autoformation pass come on top.
    std::chrono::milliseconds search_budget{1600};
    // How long a request waits for its system. Should the worker take longer (a queue of new shapes,
    // a loaded machine), the request answers "no system" and the system is stored when it is done.
    std::chrono::milliseconds wait{2900};
    std::uint64_t max_variants = 1'000'000;         // bigger shapes are searched no further
    // Above max_variants only a construction is served: one of the sphere bound's size (the perfect
    // code over GF(7) for eight seven-outcome events) or a direct sum of the shipped uniform codes
    // (six outcomes in eight events at guarantee 5: 1,080 bets), when it is this small and checkable.
    std::uint64_t max_bound_records = 200'000;
    std::uint64_t max_bound_variants = 20'000'000;
    std::size_t max_pending = 16;                   // beyond this, requests are not queued
    // Requests that hold an HTTP thread while they wait; further ones queue their job and answer
    // "no system" at once, so waiting never takes over the server's threads.
    std::size_t max_waiting = 2;
    std::uint64_t seed = 1;
};

// One worker generates the systems one at a time and stores each before it answers, so a request
// that gave up waiting finds its system stored the next time. Requests for the same signature share
// one job. Only the requesting HTTP thread waits; the others keep serving.
class OnDemandSystems {
public:
    OnDemandSystems(Store& store, OnDemandOptions options = {});
    ~OnDemandSystems();
    OnDemandSystems(const OnDemandSystems&) = delete;
    OnDemandSystems& operator=(const OnDemandSystems&) = delete;

    // The gzip payload of the signature's system, or nothing (a bad or too big shape, a full queue,
    // or a system not ready within the wait).
    std::optional<std::string> request(std::int64_t signature);

private:
    void work();

    Store& store_;
    OnDemandOptions options_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::int64_t> queue_;
    std::map<std::int64_t, std::pair<std::shared_ptr<std::promise<std::optional<std::string>>>,
                                     std::shared_future<std::optional<std::string>>>>
        jobs_;
    std::size_t waiting_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

// What a serving store needs for brief systems: the shipped catalogue in a store that has no systems,
// and on-demand generation behind the service. The generator lives as long as the service's source.
void serve_brief_systems(Store& store, BriefService& service, OnDemandOptions options = {});

}  // namespace morvalen::service
