// The matrix method inside one search: random check matrices, symbols merged for narrower events.
#include "briefgen/matrix_codes.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "briefgen/galois_field.h"
#include "briefgen/record_codes.h"
#include "briefgen/syndrome_cover.h"

namespace morvalen::briefgen {

namespace {

// The code over the field is written out whole before its symbols are merged.
constexpr std::uint64_t lifted_variant_limit = 2'000'000;
constexpr int largest_syndrome_space = 4096;

// The shape with every active event widened to the field, and how much merging shrinks a system:
// about as much as the variants shrink, so limits on the merged cover are scaled up by that much.
struct Lift {
    int q = 0;
    int n = 0;
    int radius = 0;
    std::uint64_t variants = 0;  // of the widened shape
    double shrink = 1;
    std::size_t lifted(std::size_t size) const { return static_cast<std::size_t>(std::ceil(static_cast<double>(size) * shrink)); }
};

std::optional<Lift> lift_of(const Shape& shape) {
    const VariantSpace space(shape);
    Lift lift{smallest_field_order(space.count(0)), space.active(), space.radius()};
    if (lift.n < 2 || lift.radius < 1 || lift.radius >= lift.n || lift.q == 0 || lift.q > 9) return std::nullopt;
    lift.variants = 1;
    for (int k = 0; k < lift.n; ++k) lift.variants *= static_cast<std::uint64_t>(lift.q);
    if (lift.variants > lifted_variant_limit) return std::nullopt;
    lift.shrink = static_cast<double>(lift.variants) / static_cast<double>(space.size());
    return lift;
}

// A bet's ball when every disagreement moves the syndrome apart: no set of syndromes smaller than
// the space over this can cover.
std::uint64_t ball_bound(const Lift& lift) {
    std::uint64_t bound = 1;
    for (std::uint64_t j = 1, term = 1; j <= static_cast<std::uint64_t>(lift.radius); ++j) {
        term = term * (static_cast<std::uint64_t>(lift.n) - j + 1) / j * static_cast<std::uint64_t>(lift.q - 1);
        bound += term;
    }
    return bound;
}

struct Plan {
    int rows = 1;
    std::size_t syndromes = 0;  // the most worth looking for
};

// Row counts whose syndrome space is small and whose cosets leave room below the limit.
std::vector<Plan> plans_of(const Lift& lift, std::size_t below) {
    std::vector<Plan> plans;
    if (below == 0) return plans;
    std::uint64_t size = 1;
    for (int rows = 1; rows <= lift.n; ++rows) {
        size *= static_cast<std::uint64_t>(lift.q);
        if (size > largest_syndrome_space) break;
        const std::uint64_t coset = lift.variants / size;
        const std::size_t most = (lift.lifted(below) - 1) / coset;
        const std::uint64_t least = (size + ball_bound(lift) - 1) / ball_bound(lift);
        if (most > 0 && least <= most) plans.push_back({rows, most});
    }
    return plans;
}

// Looks for covering sets ever smaller on fresh check matrices until the deadline or zero.
std::vector<Record> search_plan(const Shape& shape, const Lift& lift, const Plan& plan, std::size_t below,
                                core::RandomSource& random, std::chrono::steady_clock::time_point deadline) {
    const SyndromeSpace space(lift.q, plan.rows);
    const std::uint64_t coset = lift.variants / static_cast<std::uint64_t>(space.size());
    std::size_t most = std::min(plan.syndromes, (lift.lifted(below) - 1) / coset);
    std::vector<Record> best;
    while (most > 0 && std::chrono::steady_clock::now() < deadline) {
        MatrixCode code{lift.q, plan.rows, false, random_check_columns(space, lift.n, random), {}, 0};
        const auto ball = syndrome_ball(space, code.columns, lift.radius);
        if (ball.size() * most < static_cast<std::size_t>(space.size())) continue;
        SyndromeTabuOptions tabu;
        tabu.deadline = deadline;
        tabu.max_steps = space.size() <= 81 ? 2000 : 20000;
        auto found = cover_syndromes(space, ball, static_cast<int>(most), random, tabu);
        if (found.uncovered > 0) continue;
        std::sort(found.syndromes.begin(), found.syndromes.end());
        found.syndromes.erase(std::unique(found.syndromes.begin(), found.syndromes.end()), found.syndromes.end());
        code.syndromes = found.syndromes;
        auto records = merged_cover(shape, matrix_code_words(code));
        if (!records.empty() && records.size() < (best.empty() ? below : best.size())) {
            best = std::move(records);
            most = code.syndromes.size() - 1;  // then look for one syndrome fewer
        } else {
            --most;
        }
    }
    return best;
}

}  // namespace

std::vector<Record> matrix_cover(const Shape& shape, std::size_t below, core::RandomSource& random,
                                 std::chrono::steady_clock::time_point deadline) {
    const auto lift = lift_of(shape);
    if (!lift) return {};
    const std::vector<Plan> plans = plans_of(*lift, below);
    std::vector<Record> best;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) break;
        const auto plan_deadline = now + (deadline - now) / static_cast<int>(plans.size() - p);
        auto found = search_plan(shape, *lift, plans[p], best.empty() ? below : best.size(), random, plan_deadline);
        if (!found.empty()) best = std::move(found);
    }
    return best;
}

}  // namespace morvalen::briefgen
