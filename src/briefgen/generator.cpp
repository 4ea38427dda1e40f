// Try the constructions in their order, keep the smallest verified cover, polish it by tabu search.
#include "briefgen/generator.h"

#include <algorithm>
#include <future>
#include <string_view>

#include "briefgen/block_construction.h"
#include "briefgen/constructions.h"
#include "briefgen/coverage_check.h"
#include "briefgen/known_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

namespace {

// Autoformation costs about one ball per variant; up to this it runs before the search, not beside it.
constexpr std::uint64_t autoformation_inline_work = 30'000'000;

// One run of the generator: the smallest verified cover so far and the covers still being built.
class Walk {
public:
    Walk(const Shape& shape, const GenerateOptions& options, std::chrono::steady_clock::time_point deadline)
        : shape_(shape), options_(options), deadline_(deadline), random_(options.seed),
          good_enough_(good_enough_size(shape)), system_{shape, {}, {}} {}

    void try_constructions() {
        for (const Construction& construction : generator_constructions()) {
            if (good_enough()) break;
            if (construction.offer == Offer::after_the_others) {
                start_beside(construction);
                continue;
            }
            Cover cover = construction.build(shape_, current_budget());
            if (!cover) continue;
            std::vector<Record> records = normalized(std::move(*cover));
            if (construction.offer == Offer::at_once_and_polished_first) loose_.push_back({construction.name, records});
            offer(std::move(records), construction.name);
        }
        take_beside(false);
    }

    // The best construction can be a rigid local optimum (a perfect code times whole events) from
    // which moving single bets never closes the gap, so half of the time goes to a looser cover first.
    void polish() {
        for (const Loose& loose : loose_) {
            Budget first = current_budget();
            first.cover = &loose.records;
            if (Cover polished = polish_first(shape_, first)) offer(normalized(std::move(*polished)), loose.name);
        }
        Budget last = current_budget();
        last.cover = &system_.records;
        // The polish returns a cover it has checked step by step, never a larger one; the system
        // keeps the name of the construction it started from.
        if (Cover polished = tabu_polish(shape_, last)) system_.records = normalized(std::move(*polished));
        take_beside(true);
    }

    GeneratedSystem take() && { return std::move(system_); }

private:
    struct Beside {
        std::string_view name;
        std::future<Cover> cover;
    };
    struct Loose {
        std::string_view name;
        std::vector<Record> records;
    };

    bool good_enough() const { return !system_.records.empty() && system_.records.size() <= good_enough_; }

    Budget current_budget() {
        Budget budget;
        budget.deadline = deadline_;
        budget.seed = options_.seed;
        budget.max_iterations = options_.max_iterations;
        budget.library = options_.library;
        budget.starts = &options_.starts;
        budget.random = &random_;
        budget.good_enough = good_enough_;
        budget.best_size = system_.records.size();
        return budget;
    }

    void offer(std::vector<Record> records, std::string_view name) {
        if (records.empty() || (!system_.records.empty() && records.size() >= system_.records.size())) return;
        if (!check_coverage(shape_, records).covers) return;
        system_.records = std::move(records);
        system_.start = name;
    }

    // The player's own autoformation is always a candidate, so nothing served is ever larger; on the
    // largest shapes it runs beside the others and may outlast the budget, and it is waited for all
    // the same. Small shapes run it at once, so that a seed gives one result.
    void start_beside(const Construction& construction) {
        const VariantSpace space(shape_);
        const bool small = space.size() * space.ball_size() <= autoformation_inline_work;
        auto cover = std::async(small ? std::launch::deferred : std::launch::async,
                                [build = construction.build, shape = shape_, budget = current_budget()] { return build(shape, budget); });
        if (small) cover.wait();
        beside_.push_back({construction.name, std::move(cover)});
    }

    void take_beside(bool wait) {
        for (Beside& beside : beside_) {
            if (!beside.cover.valid()) continue;
            if (!wait && beside.cover.wait_for(std::chrono::seconds(0)) != std::future_status::ready) continue;
            if (Cover cover = beside.cover.get()) offer(normalized(std::move(*cover)), beside.name);
        }
    }

    const Shape& shape_;
    const GenerateOptions& options_;
    std::chrono::steady_clock::time_point deadline_;
    core::RandomSource random_;
    std::uint64_t good_enough_;
    GeneratedSystem system_;
    std::vector<Loose> loose_;
    std::vector<Beside> beside_;  // last, so that it is waited for before what its builds read goes
};

}  // namespace

std::uint64_t good_enough_size(const Shape& shape) {
    std::uint64_t floor = sphere_bound(shape);
    if (const auto known = best_known_size(shape); known && known->optimal) floor = std::max(floor, known->size);
    return floor;
}

GeneratedSystem generate_system(const Shape& shape, const GenerateOptions& options) {
    const auto deadline = std::chrono::steady_clock::now() + options.budget;
    if (const std::string problem = shape_problem(shape); !problem.empty()) throw ShapeError(problem);
    const VariantSpace space(shape);
    if (space.size() > options.max_variants)
        throw ShapeError(describe(shape) + " has " + std::to_string(space.size()) + " variants, more than " +
                         std::to_string(options.max_variants));
    Walk walk(shape, options, deadline);
    walk.try_constructions();
    walk.polish();
    GeneratedSystem system = std::move(walk).take();
    require_coverage(shape, system.records);
    return system;
}

std::optional<GeneratedSystem> bound_reaching_system(const Shape& shape, std::uint64_t max_records,
                                                    std::uint64_t max_variants) {
    if (!shape_problem(shape).empty()) return std::nullopt;
    const VariantSpace space(shape);
    if (space.size() > max_variants) return std::nullopt;
    GeneratedSystem system{shape, {}, {}};
    if (Cover one = single_bet(shape, {})) {
        system.records = std::move(*one);
        system.start = "single bet";
    } else {
        const std::uint64_t least = sphere_bound(shape);
        if (least > max_records || block_plan(shape).size != least) return std::nullopt;
        system.records = block_cover(shape, least);
        system.start = "perfect code";
    }
    require_coverage(shape, system.records);
    return system;
}

std::optional<GeneratedSystem> constructed_system(const Shape& shape, std::uint64_t max_records, std::uint64_t max_variants,
                                                  const UniformLibrary& library) {
    if (auto perfect = bound_reaching_system(shape, max_records, max_variants)) return perfect;
    if (!shape_problem(shape).empty() || VariantSpace(shape).size() > max_variants) return std::nullopt;
    const BlockPlan plan = block_plan(shape, library);
    if (plan.size > max_records) return std::nullopt;
    GeneratedSystem system{shape, block_cover(shape, plan.size, library), plan.text};
    if (system.records.empty()) return std::nullopt;
    require_coverage(shape, system.records);
    return system;
}

}  // namespace morvalen::briefgen
