// Brief systems generated when a signature is asked for that the store lacks, on a worker thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "service/brief_service.h"

namespace morvalen::service {

class Store;

struct OnDemandOptions {
    using Clock = std::chrono::steady_clock;

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
    std::size_t max_pending = 16;                   // beyond this, requests are refused for now
    // Requests that hold an HTTP thread while they wait; further ones queue their job and answer
    // "no system" at once, so waiting never takes over the server's threads.
    std::size_t max_waiting = 2;
    std::uint64_t seed = 1;

    // Each client's new systems: client_burst at once, then one more every client_refill. A player
    // trying shapes through an evening stays well inside it; a script sweeping signatures does not.
    // Asking for a system already being generated costs nothing.
    std::size_t client_burst = 6;
    std::chrono::seconds client_refill{60};
    bool ration_clients = true;  // false: no budget (the desktop's own service, one player)
    // Clients whose budget is remembered; beyond them the one closest to a full budget is forgotten.
    std::size_t max_clients = 10'000;
    // Generated systems kept in the store; beyond it the least recently served is dropped, unless
    // even that one was served within keep_recent: then new ones wait, so a sweep cannot flush out
    // the systems players are using.
    std::size_t max_generated = 5'000;
    std::chrono::seconds keep_recent{900};
    std::function<Clock::time_point()> clock = [] { return Clock::now(); };
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

    // The gzip payload of the signature's system; nothing for a bad or too big shape or a system not
    // ready within the wait; a refusal for now when the client's budget is spent, the queue is full
    // or the store holds its fill of generated systems, all in use.
    SourcedSystem request(std::int64_t signature, std::string_view client = {});
    // A stored system was served; a generated one is kept the longer for it.
    void served(std::int64_t signature);

    std::size_t generated_count() const;

private:
    using Clock = OnDemandOptions::Clock;
    struct Use {
        std::int64_t order = 0;                 // higher: served later
        Clock::time_point served = Clock::time_point::min();
    };

    void work();
    // Under mutex_: a refusal, or nothing when the client may start a new job.
    std::optional<SourcedSystem> refusal_for_new_job(std::string_view client, Clock::time_point now);
    void touch(std::int64_t signature, Clock::time_point now);
    void store_generated(std::int64_t signature, std::int32_t bets, const std::string& payload);

    Store& store_;
    OnDemandOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::int64_t> queue_;
    std::map<std::int64_t, std::pair<std::shared_ptr<std::promise<std::optional<std::string>>>,
                                     std::shared_future<std::optional<std::string>>>>
        jobs_;
    std::size_t waiting_ = 0;
    // Each client's budget as the time its next new job becomes free of the burst (a GCRA): a
    // client whose time has passed is as good as new and need not be remembered.
    std::map<std::string, Clock::time_point, std::less<>> client_due_;
    std::map<std::int64_t, Use> generated_;
    std::map<std::int64_t, std::int64_t> by_order_;  // order -> signature, least recently served first
    std::set<std::int64_t> unsaved_uses_;
    std::int64_t next_order_ = 1;
    bool stopping_ = false;
    std::thread worker_;
};

// What a serving store needs for brief systems: the shipped catalogue in a store that has no systems,
// and on-demand generation behind the service. The generator lives as long as the service's source.
void serve_brief_systems(Store& store, BriefService& service, OnDemandOptions options = {});

}  // namespace morvalen::service
