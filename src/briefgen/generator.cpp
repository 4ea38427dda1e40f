// Start from the best fast construction, shrink it by tabu search, check it exhaustively.
#include "briefgen/generator.h"

#include <algorithm>
#include <future>

#include "briefgen/autoformation_cover.h"
#include "briefgen/block_construction.h"
#include "briefgen/coset_cover.h"
#include "briefgen/coverage_check.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/known_codes.h"
#include "briefgen/local_search.h"
#include "briefgen/matrix_codes.h"
#include "core/model/random_source.h"

namespace morvalen::briefgen {

namespace {

// Lazy greedy costs about one ball per variant and per bet taken; beyond this it is left out.
constexpr std::uint64_t greedy_work_limit = 400'000'000;
// Autoformation costs about one ball per variant; up to this it runs before the search, not beside it.
constexpr std::uint64_t autoformation_inline_work = 30'000'000;

std::vector<Record> normalized(std::vector<Record> records) {
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

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

    GeneratedSystem result{shape, {}, {}};
    if (space.radius() >= space.active()) {
        result.records = {0};
        result.start = "single bet";
    } else {
        auto consider = [&](std::vector<Record> records, const char* name) {
            records = normalized(std::move(records));
            if (records.empty() || (!result.records.empty() && records.size() >= result.records.size())) return;
            if (!check_coverage(shape, records).covers) return;
            result.records = std::move(records);
            result.start = name;
        };
        for (const auto& start : options.starts) consider(start, "given");
        const std::uint64_t floor = good_enough_size(shape);
        if (result.records.empty() || result.records.size() > floor) {
            consider(structured_cover(shape), "structured");
            consider(block_cover(shape, space.size(), options.library ? *options.library : shipped_uniform_codes()), "blocks");
        }
        // The player's own greedy pass is always a candidate, so nothing served is ever larger. It
        // runs beside the search; on the largest shapes it may outlast the budget, and it is
        // waited for all the same.
        // Small shapes run it at once, so that a seed gives one result; large ones beside the search.
        std::future<std::optional<std::vector<Record>>> autoformation;
        if (result.records.empty() || result.records.size() > floor) {
            const bool small = space.size() * space.ball_size() <= autoformation_inline_work;
            autoformation = std::async(small ? std::launch::deferred : std::launch::async,
                                       [shape, seed = options.seed, deadline] {
                                           return best_autoformation_cover(shape, seed, deadline);
                                       });
            if (small) autoformation.wait();
        }
        auto take_autoformation = [&](bool wait) {
            if (!autoformation.valid()) return;
            if (!wait && autoformation.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
            if (auto cover = autoformation.get()) consider(std::move(*cover), "autoformation");
        };
        std::vector<Record> greedy;
        if (space.size() * space.ball_size() / 4 <= greedy_work_limit) {
            const auto now = std::chrono::steady_clock::now();
            greedy = normalized(lazy_greedy_cover(shape, now < deadline ? now + (deadline - now) / 2 : deadline));
            consider(greedy, "greedy");
        }

        core::RandomSource random(options.seed);
        // At one disagreement, cosets of the all-ones word and of its neighbour with one digit 0
        // give the record sizes (186 for seven ternary events) that random check matrices miss.
        if (space.radius() == 1 && result.records.size() > good_enough_size(shape)) {
            const int n = space.active();
            const auto q = static_cast<std::size_t>(space.count(0));
            const auto now = std::chrono::steady_clock::now();
            const auto until = now < deadline ? now + (deadline - now) / 2 : deadline;
            for (const int weight : {n - 1, n}) {
                if (weight < 2) continue;
                std::vector<int> generator(static_cast<std::size_t>(n), 0);
                std::fill_n(generator.begin(), weight, 1);
                // The search is erratic in the count (it may miss 68 classes and find 62 at once), so a
                // size the literature reaches with whole cosets is tried first, then one class fewer
                // at a time until a count is missed.
                if (const auto known = best_known_size(shape); known && known->size % q == 0)
                    consider(coset_cover(shape, generator, known->size / q, options.seed, 50'000, until), "cosets");
                for (std::size_t cosets = (result.records.size() - 1) / q; cosets > 0; --cosets) {
                    auto found = coset_cover(shape, generator, cosets, options.seed, 50'000, until);
                    if (found.empty()) break;
                    consider(std::move(found), "cosets");
                }
            }
        }
        // A share of the budget goes to unions of cosets, which reach the record sizes of the
        // larger uniform shapes; the search over single bets then polishes whichever start is best.
        if (result.records.size() > good_enough_size(shape)) {
            const auto now = std::chrono::steady_clock::now();
            const auto share = now < deadline ? (deadline - now) * 2 / 5 : std::chrono::steady_clock::duration::zero();
            consider(matrix_cover(shape, result.records.size(), random, now + share), "cosets");
        }
        take_autoformation(false);
        SearchLimits limits;
        limits.deadline = deadline;
        limits.max_iterations = options.max_iterations;
        limits.stop_at = good_enough_size(shape);
        // The best construction can be a rigid local optimum (a perfect code times whole events)
        // from which moving single bets never closes the gap, so half of the time goes to the
        // looser greedy cover first.
        if (!greedy.empty() && greedy.size() > result.records.size() && result.records.size() > limits.stop_at) {
            SearchLimits first = limits;
            const auto now = std::chrono::steady_clock::now();
            first.deadline = now < deadline ? now + (deadline - now) / 2 : deadline;
            first.max_iterations = limits.max_iterations / 2;
            consider(shrink_cover(shape, std::move(greedy), random, first), "greedy");
        }
        result.records = normalized(shrink_cover(shape, std::move(result.records), random, limits));
        take_autoformation(true);
    }
    require_coverage(shape, result.records);
    return result;
}

std::optional<GeneratedSystem> bound_reaching_system(const Shape& shape, std::uint64_t max_records,
                                                    std::uint64_t max_variants) {
    if (!shape_problem(shape).empty()) return std::nullopt;
    const VariantSpace space(shape);
    if (space.size() > max_variants) return std::nullopt;
    GeneratedSystem system{shape, {}, {}};
    if (space.radius() >= space.active()) {
        system.records = {0};
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
