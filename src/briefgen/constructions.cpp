// Thin wrappers that give every construction of a cover the generator's one signature.
#include "briefgen/constructions.h"

#include <algorithm>

#include "briefgen/autoformation_cover.h"
#include "briefgen/block_construction.h"
#include "briefgen/coset_cover.h"
#include "briefgen/coverage_check.h"
#include "briefgen/greedy_cover.h"
#include "briefgen/known_codes.h"
#include "briefgen/local_search.h"
#include "briefgen/matrix_codes.h"

namespace morvalen::briefgen {

namespace {

// Lazy greedy costs about one ball per variant and per bet taken; beyond this it is left out.
constexpr std::uint64_t greedy_work_limit = 400'000'000;
// Steps of one search for a count of coset classes.
constexpr std::uint64_t coset_steps = 50'000;

using Clock = std::chrono::steady_clock;

Clock::time_point halfway_to(Clock::time_point deadline) {
    const auto now = Clock::now();
    return now < deadline ? now + (deadline - now) / 2 : deadline;
}

Cover unless_empty(std::vector<Record> records) {
    if (records.empty()) return std::nullopt;
    return records;
}

// The smallest of a construction's own candidates: each must be smaller than all before it.
class Smallest {
public:
    explicit Smallest(std::size_t below) : below_(below) {}
    std::size_t size() const { return below_; }
    void offer(std::vector<Record> records) {
        if (records.empty() || records.size() >= below_) return;
        below_ = records.size();
        best_ = std::move(records);
    }
    Cover take() { return best_.empty() ? std::nullopt : Cover(std::move(best_)); }

private:
    std::size_t below_;
    std::vector<Record> best_;
};

// The generators of the two one-dimensional codes: n − 1 ones then a 0, and n ones.
std::vector<std::vector<int>> coset_generators(int n) {
    std::vector<std::vector<int>> generators;
    for (const int weight : {n - 1, n}) {
        if (weight < 2) continue;
        std::vector<int> generator(static_cast<std::size_t>(n), 0);
        std::fill_n(generator.begin(), weight, 1);
        generators.push_back(std::move(generator));
    }
    return generators;
}

}  // namespace

std::vector<Record> normalized(std::vector<Record> records) {
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

Cover single_bet(const Shape& shape, const Budget&) {
    const VariantSpace space(shape);
    if (space.radius() < space.active()) return std::nullopt;
    return std::vector<Record>{0};
}

Cover given_starts(const Shape& shape, const Budget& budget) {
    if (budget.starts == nullptr) return std::nullopt;
    std::vector<Record> best;
    for (const std::vector<Record>& given : *budget.starts) {
        std::vector<Record> start = normalized(given);
        if (start.empty() || (!best.empty() && start.size() >= best.size())) continue;
        if (check_coverage(shape, start).covers) best = std::move(start);
    }
    return unless_empty(std::move(best));
}

Cover known_code_product(const Shape& shape, const Budget&) { return unless_empty(structured_cover(shape)); }

Cover direct_sum_blocks(const Shape& shape, const Budget& budget) {
    const UniformLibrary& library = budget.library != nullptr ? *budget.library : shipped_uniform_codes();
    return unless_empty(block_cover(shape, VariantSpace(shape).size(), library));
}

Cover autoformation_passes(const Shape& shape, const Budget& budget) {
    return best_autoformation_cover(shape, budget.seed, budget.deadline);
}

Cover lazy_greedy(const Shape& shape, const Budget& budget) {
    const VariantSpace space(shape);
    if (space.size() * space.ball_size() / 4 > greedy_work_limit) return std::nullopt;
    return unless_empty(lazy_greedy_cover(shape, halfway_to(budget.deadline)));
}

Cover coset_classes(const Shape& shape, const Budget& budget) {
    // At one disagreement, cosets of the all-ones word and of its neighbour with one digit 0
    // give the record sizes (186 for seven ternary events) that random check matrices miss.
    const VariantSpace space(shape);
    if (space.radius() != 1 || budget.best_size == 0 || budget.best_size <= budget.good_enough) return std::nullopt;
    const auto q = static_cast<std::size_t>(space.count(0));
    const auto until = halfway_to(budget.deadline);
    const auto known = best_known_size(shape);
    Smallest smallest(budget.best_size);
    for (const std::vector<int>& generator : coset_generators(space.active())) {
        auto search = [&](std::size_t cosets) {
            return coset_cover(shape, generator, cosets, budget.seed, coset_steps, until);
        };
        // The search is erratic in the count (it may miss 68 classes and find 62 at once), so a
        // size the literature reaches with whole cosets is tried first, then one class fewer
        // at a time until a count is missed.
        if (known && known->size % q == 0) smallest.offer(search(known->size / q));
        for (std::size_t cosets = (smallest.size() - 1) / q; cosets > 0; --cosets) {
            auto found = search(cosets);
            if (found.empty()) break;
            smallest.offer(std::move(found));
        }
    }
    return smallest.take();
}

Cover matrix_cosets(const Shape& shape, const Budget& budget) {
    // A share of the budget goes to unions of cosets, which reach the record sizes of the larger
    // uniform shapes; the polish then has the rest.
    if (budget.best_size == 0 || budget.best_size <= budget.good_enough || budget.random == nullptr) return std::nullopt;
    const auto now = Clock::now();
    const auto share = now < budget.deadline ? (budget.deadline - now) * 2 / 5 : Clock::duration::zero();
    return unless_empty(matrix_cover(shape, budget.best_size, *budget.random, now + share));
}

Cover polish_first(const Shape& shape, const Budget& budget) {
    if (budget.cover == nullptr || budget.cover->empty() || budget.random == nullptr) return std::nullopt;
    if (budget.cover->size() <= budget.best_size || budget.best_size <= budget.good_enough) return std::nullopt;
    SearchLimits limits;
    limits.deadline = halfway_to(budget.deadline);
    limits.max_iterations = budget.max_iterations / 2;
    limits.stop_at = budget.good_enough;
    return shrink_cover(shape, *budget.cover, *budget.random, limits);
}

Cover tabu_polish(const Shape& shape, const Budget& budget) {
    if (budget.cover == nullptr || budget.random == nullptr) return std::nullopt;
    SearchLimits limits;
    limits.deadline = budget.deadline;
    limits.max_iterations = budget.max_iterations;
    limits.stop_at = budget.good_enough;
    return shrink_cover(shape, *budget.cover, *budget.random, limits);
}

namespace {

// In the order they are tried; the generator stops once a cover is good enough.
constexpr Construction constructions[] = {
    {"single bet", Offer::at_once, single_bet},
    {"given", Offer::at_once, given_starts},
    {"structured", Offer::at_once, known_code_product},
    {"blocks", Offer::at_once, direct_sum_blocks},
    {"autoformation", Offer::after_the_others, autoformation_passes},
    {"greedy", Offer::at_once_and_polished_first, lazy_greedy},
    {"coset classes", Offer::at_once, coset_classes},
    {"matrix cosets", Offer::at_once, matrix_cosets},
};

}  // namespace

std::span<const Construction> generator_constructions() { return constructions; }

}  // namespace morvalen::briefgen
