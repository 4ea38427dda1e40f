// The on-demand worker: a queue of signatures, one generation at a time, results stored.
#include "service/on_demand_systems.h"

#include <algorithm>
#include <cstdio>

#include "briefgen/generator.h"
#include "service/brief_catalogue.h"
#include "service/brief_service.h"
#include "service/store.h"
#include "service/system_store.h"

namespace morvalen::service {

OnDemandSystems::OnDemandSystems(Store& store, OnDemandOptions options)
    : store_(store), options_(options), worker_([this] { work(); }) {}

OnDemandSystems::~OnDemandSystems() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

std::optional<std::string> OnDemandSystems::request(std::int64_t signature) {
    const auto shape = briefgen::shape_from_signature(signature);
    if (!shape || briefgen::VariantSpace(*shape).size() > std::max(options_.max_variants, options_.max_bound_variants))
        return std::nullopt;
    std::shared_future<std::optional<std::string>> result;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return std::nullopt;
        if (auto found = jobs_.find(signature); found != jobs_.end()) {
            result = found->second.second;
        } else {
            if (queue_.size() >= options_.max_pending) return std::nullopt;
            auto promise = std::make_shared<std::promise<std::optional<std::string>>>();
            result = promise->get_future().share();
            jobs_[signature] = {promise, result};
            queue_.push_back(signature);
            wake_.notify_one();
        }
        if (waiting_ >= options_.max_waiting) return std::nullopt;
        ++waiting_;
    }
    const bool ready = result.wait_for(options_.wait) == std::future_status::ready;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --waiting_;
    }
    if (!ready) return std::nullopt;
    return result.get();
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
                    store_.with_db([&](Database& db) {
                        put_system(db, signature, static_cast<std::int32_t>(system->records.size()), *payload);
                    });
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
    auto on_demand = std::make_shared<OnDemandSystems>(store, options);
    service.set_system_source([on_demand](std::int64_t signature) { return on_demand->request(signature); });
}

}  // namespace morvalen::service
