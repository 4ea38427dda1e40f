// The on-demand worker: a queue of signatures, one generation at a time, results stored; every new
// job is paid for from its client's budget, and the generated systems kept are capped.
#include "service/on_demand_systems.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "briefgen/generator.h"
#include "service/brief_catalogue.h"
#include "service/brief_service.h"
#include "service/store.h"
#include "service/system_store.h"

namespace morvalen::service {
namespace {

constexpr int busy_retry_seconds = 5;

SourcedSystem not_now(std::chrono::steady_clock::duration wait, std::string why) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
    return {std::nullopt, static_cast<int>(std::clamp<std::int64_t>(seconds, 1, 24 * 3600)), std::move(why)};
}

}  // namespace

OnDemandSystems::OnDemandSystems(Store& store, OnDemandOptions options) : store_(store), options_(std::move(options)) {
    // What earlier runs generated counts against the cap as well, oldest use first.
    for (const GeneratedUse& use : store_.with_db([](Database& db) { return generated_systems(db); })) {
        generated_[use.signature] = Use{use.used, Clock::time_point::min()};
        by_order_[use.used] = use.signature;
        next_order_ = std::max(next_order_, use.used + 1);
    }
    worker_ = std::thread([this] { work(); });
}

OnDemandSystems::~OnDemandSystems() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

SourcedSystem OnDemandSystems::request(std::int64_t signature, std::string_view client) {
    const auto shape = briefgen::shape_from_signature(signature);
    if (!shape || briefgen::VariantSpace(*shape).size() > std::max(options_.max_variants, options_.max_bound_variants))
        return {};
    std::shared_future<std::optional<std::string>> result;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return {};
        if (auto found = jobs_.find(signature); found != jobs_.end()) {
            result = found->second.second;
        } else {
            if (auto refused = refusal_for_new_job(client, options_.clock())) return *refused;
            auto promise = std::make_shared<std::promise<std::optional<std::string>>>();
            result = promise->get_future().share();
            jobs_[signature] = {promise, result};
            queue_.push_back(signature);
            wake_.notify_one();
        }
        if (waiting_ >= options_.max_waiting) return {};
        ++waiting_;
    }
    const bool ready = result.wait_for(options_.wait) == std::future_status::ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --waiting_;
    }
    if (!ready) return {};
    return {result.get()};
}

std::optional<SourcedSystem> OnDemandSystems::refusal_for_new_job(std::string_view client, Clock::time_point now) {
    if (queue_.size() >= options_.max_pending)
        return not_now(std::chrono::seconds(busy_retry_seconds), "the generator is busy; try again shortly");
    if (!by_order_.empty() && generated_.size() + queue_.size() >= options_.max_generated) {
        const Use& oldest = generated_.at(by_order_.begin()->second);
        if (oldest.served != Clock::time_point::min() && now - oldest.served < options_.keep_recent)
            return not_now(options_.keep_recent - (now - oldest.served),
                           "every generated system kept is in use; try again later");
    }
    if (!options_.ration_clients) return std::nullopt;
    // A new client starts with its whole burst; each job moves its due time one refill on.
    const auto refill = std::chrono::duration_cast<Clock::duration>(options_.client_refill);
    const auto tolerance = refill * static_cast<Clock::rep>(std::max<std::size_t>(options_.client_burst, 1) - 1);
    auto found = client_due_.find(client);
    const Clock::time_point due = found == client_due_.end() ? now : std::max(found->second, now);
    if (due - now > tolerance)
        return not_now(due - now - tolerance, "too many new systems asked for from one address; try again later");
    if (found != client_due_.end()) {
        found->second = due + refill;
        return std::nullopt;
    }
    if (client_due_.size() >= options_.max_clients) {
        std::erase_if(client_due_, [now](const auto& entry) { return entry.second <= now; });
        if (client_due_.size() >= options_.max_clients && !client_due_.empty())
            client_due_.erase(std::min_element(client_due_.begin(), client_due_.end(),
                                               [](const auto& a, const auto& b) { return a.second < b.second; }));
    }
    client_due_.emplace(std::string(client), due + refill);
    return std::nullopt;
}

void OnDemandSystems::served(std::int64_t signature) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (generated_.count(signature)) touch(signature, options_.clock());
}

std::size_t OnDemandSystems::generated_count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return generated_.size();
}

void OnDemandSystems::touch(std::int64_t signature, Clock::time_point now) {
    Use& use = generated_[signature];
    by_order_.erase(use.order);
    use.order = next_order_++;
    use.served = now;
    by_order_[use.order] = signature;
    unsaved_uses_.insert(signature);
}

void OnDemandSystems::store_generated(std::int64_t signature, std::int32_t bets, const std::string& payload) {
    std::vector<GeneratedUse> uses;
    std::vector<std::int64_t> dropped;
    std::int64_t order = 0;
    {
        // The uses since the last store are written with it, so serving a system never writes the
        // database (a write would also make the line page's cache rebuild).
        std::lock_guard<std::mutex> lock(mutex_);
        touch(signature, options_.clock());
        order = generated_[signature].order;
        unsaved_uses_.erase(signature);
        for (const std::int64_t used : unsaved_uses_) uses.push_back({used, generated_[used].order});
        unsaved_uses_.clear();
        while (generated_.size() > std::max<std::size_t>(options_.max_generated, 1)) {
            const auto oldest = by_order_.begin();
            dropped.push_back(oldest->second);
            generated_.erase(oldest->second);
            by_order_.erase(oldest);
        }
    }
    store_.with_db([&](Database& db) {
        Transaction transaction(db);
        put_generated_system(db, signature, bets, payload, order);
        for (const GeneratedUse& use : uses) note_generated_use(db, use.signature, use.used);
        for (const std::int64_t gone : dropped) drop_generated_system(db, gone);
        transaction.commit();
    });
}

void OnDemandSystems::work() {
    for (;;) {
        std::int64_t signature = 0;
        std::shared_ptr<std::promise<std::optional<std::string>>> promise;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                for (auto& [pending, job] : jobs_) job.first->set_value(std::nullopt);
                jobs_.clear();
                return;
            }
            signature = queue_.front();
            queue_.pop_front();
            promise = jobs_[signature].first;
        }
        std::optional<std::string> payload;
        try {
            // Another request may have been answered from the store meanwhile.
            payload = store_.with_db([&](Database& db) { return system_payload(db, signature); });
            if (!payload) {
                const briefgen::Shape shape = *briefgen::shape_from_signature(signature);
                std::optional<briefgen::GeneratedSystem> system;
                if (briefgen::VariantSpace(shape).size() > options_.max_variants) {
                    system = briefgen::constructed_system(shape, options_.max_bound_records, options_.max_bound_variants);
                } else {
                    briefgen::GenerateOptions generate;
                    generate.budget = options_.search_budget;
                    generate.seed = options_.seed + static_cast<std::uint64_t>(signature);
                    generate.max_variants = options_.max_variants;
                    system = briefgen::generate_system(shape, generate);
                }
                if (system) {
                    payload = system_payload_of(system->records);
                    store_generated(signature, static_cast<std::int32_t>(system->records.size()), *payload);
                }
            }
        } catch (const std::exception& error) {
            // A generated system that fails its check, or a store that cannot be written: the
            // player is told there is no system rather than given a wrong one.
            std::fprintf(stderr, "morvalen_service: no system for %lld: %s\n", static_cast<long long>(signature),
                         error.what());
            payload.reset();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        promise->set_value(payload);
        jobs_.erase(signature);
    }
}

void serve_brief_systems(Store& store, BriefService& service, OnDemandOptions options) {
    store.with_db([](Database& db) { load_shipped_catalogue(db); });
    auto on_demand = std::make_shared<OnDemandSystems>(store, std::move(options));
    service.set_system_source(
        [on_demand](std::int64_t signature, std::string_view client) { return on_demand->request(signature, client); },
        [on_demand](std::int64_t signature) { on_demand->served(signature); });
}

}  // namespace morvalen::service
