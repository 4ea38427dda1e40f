// The cost table: convolutions for count conditions, an enumeration of merged outcome classes for the
// rest and the set, and a seeded sample beyond the exact limit.
#include "core/analysis/condition_costs.h"

#include <cmath>
#include <map>
#include <tuple>

#include "core/formats/condition_file.h"
#include "core/formation/condition_space.h"
#include "core/model/random_source.h"

namespace morvalen::core {
namespace {

// Marked outcomes of an event that every condition sees alike: same cells, probability and share.
struct OutcomeClass {
    int column = 0;             // one of them, for the tally
    std::int64_t multiplicity = 0;
};

std::vector<std::vector<OutcomeClass>> merged_classes(const EventTable& table, const ConditionCheck& check) {
    const MarkedColumns marked(table);
    std::vector<std::vector<OutcomeClass>> classes(event_count);
    for (int e = 1; e <= event_count; ++e) {
        std::map<std::tuple<std::uint64_t, double, double>, std::size_t> seen;
        for (int r = 0; r < marked.counts[static_cast<std::size_t>(e - 1)]; ++r) {
            const int c = marked.columns[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(r)];
            std::uint64_t cells = 0;
            for (std::size_t j = 0; j < check.size(); ++j)
                if (check.is_count(j) && check.counts_cell(j, e, c)) cells |= std::uint64_t{1} << j;
            const auto key = std::make_tuple(cells, check.probabilities()[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(c - 1)],
                                             check.pool_shares()[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(c - 1)]);
            auto [at, fresh] = seen.try_emplace(key, classes[static_cast<std::size_t>(e - 1)].size());
            if (fresh) classes[static_cast<std::size_t>(e - 1)].push_back({c, 0});
            ++classes[static_cast<std::size_t>(e - 1)][at->second].multiplicity;
        }
    }
    return classes;
}

struct Sums {
    std::int64_t variants = 0;
    long double mass = 0;
};

// Every combination of classes, weighted by how many variants it stands for.
void enumerate(const ConditionCheck& check, const std::vector<std::vector<OutcomeClass>>& classes, std::vector<Sums>& alone,
               Sums& set) {
    std::array<ConditionCheck::Tally, event_count + 1> tallies{};
    std::array<std::int64_t, event_count + 1> weights{};
    weights[0] = 1;
    const std::uint64_t all = check.size() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << check.size()) - 1;
    const auto walk = [&](auto& self, std::size_t d) -> void {
        if (d == event_count) {
            const std::uint64_t failures = check.failures(tallies[event_count]);
            const std::int64_t w = weights[event_count];
            const long double mass = static_cast<long double>(w) * tallies[event_count].probability;
            for (std::uint64_t kept = all & ~failures; kept != 0; kept &= kept - 1) {
                Sums& row = alone[static_cast<std::size_t>(std::countr_zero(kept))];
                row.variants += w;
                row.mass += mass;
            }
            if (check.passes_mask(failures)) {
                set.variants += w;
                set.mass += mass;
            }
            return;
        }
        for (const OutcomeClass& cls : classes[d]) {
            tallies[d + 1] = tallies[d];
            check.add(tallies[d + 1], static_cast<int>(d) + 1, cls.column);
            weights[d + 1] = weights[d] * cls.multiplicity;
            self(self, d + 1);
        }
    };
    walk(walk, 0);
}

// Events in which the outcome is in condition j's cells, 0 to 8: variants and probability by count.
void convolve(const EventTable& table, const ConditionCheck& check, std::size_t j, std::array<Sums, event_count + 1>& by_count) {
    const MarkedColumns marked(table);
    by_count = {};
    by_count[0] = {1, 1};
    for (int e = 1; e <= event_count; ++e) {
        Sums in, out;
        for (int r = 0; r < marked.counts[static_cast<std::size_t>(e - 1)]; ++r) {
            const int c = marked.columns[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(r)];
            Sums& side = check.counts_cell(j, e, c) ? in : out;
            ++side.variants;
            side.mass += check.probabilities()[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(c - 1)];
        }
        for (int k = e; k >= 0; --k) {
            Sums next{by_count[static_cast<std::size_t>(k)].variants * out.variants, by_count[static_cast<std::size_t>(k)].mass * out.mass};
            if (k > 0) {
                next.variants += by_count[static_cast<std::size_t>(k - 1)].variants * in.variants;
                next.mass += by_count[static_cast<std::size_t>(k - 1)].mass * in.mass;
            }
            by_count[static_cast<std::size_t>(k)] = next;
        }
    }
}

// Fractions of sampled variants that each row keeps: uniform over the marked variants, or drawn by
// the set probabilities within the marked outcomes.
std::vector<std::uint64_t> sample_kept(const EventTable& table, const ConditionCheck& check, bool by_probability,
                                      const CostOptions& options, RandomSource& random) {
    const MarkedColumns marked(table);
    std::vector<std::uint64_t> kept(check.size() + 1, 0);
    std::array<std::vector<double>, event_count> cumulative;
    for (int e = 0; e < event_count; ++e) {
        double sum = 0;
        for (int r = 0; r < marked.counts[static_cast<std::size_t>(e)]; ++r) {
            const int c = marked.columns[static_cast<std::size_t>(e)][static_cast<std::size_t>(r)];
            sum += by_probability ? check.probabilities()[static_cast<std::size_t>(e)][static_cast<std::size_t>(c - 1)] : 1.0;
            cumulative[static_cast<std::size_t>(e)].push_back(sum);
        }
    }
    for (std::uint64_t s = 0; s < options.samples; ++s) {
        ConditionCheck::Tally tally;
        for (int e = 0; e < event_count; ++e) {
            const auto& line = cumulative[static_cast<std::size_t>(e)];
            const double x = random.uniform01() * line.back();
            std::size_t r = 0;
            while (r + 1 < line.size() && !(x < line[r])) ++r;
            check.add(tally, e + 1, marked.columns[static_cast<std::size_t>(e)][r]);
        }
        const std::uint64_t failures = check.failures(tally);
        for (std::size_t j = 0; j < check.size(); ++j) kept[j] += (failures >> j & 1U) == 0 ? 1 : 0;
        kept[check.size()] += check.passes_mask(failures) ? 1 : 0;
    }
    return kept;
}

CostRow exact_row(const Sums& sums) {
    return {static_cast<double>(sums.variants), static_cast<double>(sums.mass * 100), 0, 0, true};
}

}  // namespace

CostTable condition_costs(const EventTable& table, const ConditionSet& set, const CostOptions& options) {
    CostTable result;
    result.marked_variants = variant_total(table);
    if (result.marked_variants <= 0) return result;
    ConditionSet all_on = set;
    for (Condition& condition : all_on.conditions) condition.on = true;
    const ConditionCheck check(all_on, table);
    if (!check.refusal().empty()) {
        result.refusal = check.refusal();
        return result;
    }
    // The set's own check: only the conditions that are on count towards its errors.
    ConditionSet as_set = set;
    as_set.conditions.resize(check.size());
    const ConditionCheck set_check(as_set, table);
    const MarkedColumns marked(table);
    long double marked_mass = 1;
    for (int e = 0; e < event_count; ++e) {
        long double sum = 0;
        for (int r = 0; r < marked.counts[static_cast<std::size_t>(e)]; ++r)
            sum += check.probabilities()[static_cast<std::size_t>(e)][static_cast<std::size_t>(marked.columns[static_cast<std::size_t>(e)][static_cast<std::size_t>(r)] - 1)];
        marked_mass *= sum;
    }
    result.marked_percent = static_cast<double>(marked_mass * 100);
    result.conditions.resize(check.size());

    const auto classes = merged_classes(table, check);
    long double combinations = 1;
    for (const auto& event_classes : classes) combinations *= static_cast<long double>(event_classes.size());
    const bool exact = combinations <= static_cast<long double>(options.exact_limit);
    if (exact) {
        std::vector<Sums> alone(check.size());
        Sums kept;
        enumerate(check, classes, alone, kept);
        for (std::size_t j = 0; j < check.size(); ++j) result.conditions[j] = exact_row(alone[j]);
        // The set's errors are counted over its own switches; enumerate again only when they differ.
        if (set_check.on_mask() != check.on_mask()) {
            std::vector<Sums> unused(check.size());
            kept = {};
            enumerate(set_check, classes, unused, kept);
        }
        result.set = exact_row(kept);
    } else {
        RandomSource random(options.seed);
        const std::vector<std::uint64_t> uniform = sample_kept(table, set_check, false, options, random);
        const std::vector<std::uint64_t> weighted = sample_kept(table, set_check, true, options, random);
        const double n = static_cast<double>(options.samples);
        const auto estimate = [&](std::uint64_t by_count, std::uint64_t by_mass) {
            const double f = static_cast<double>(by_count) / n;
            const double g = static_cast<double>(by_mass) / n;
            return CostRow{f * static_cast<double>(result.marked_variants), g * result.marked_percent,
                           std::sqrt(f * (1 - f) / n) * static_cast<double>(result.marked_variants),
                           std::sqrt(g * (1 - g) / n) * result.marked_percent, false};
        };
        // The per-condition fractions do not depend on the switches, so the set's samples serve.
        for (std::size_t j = 0; j < check.size(); ++j) result.conditions[j] = estimate(uniform[j], weighted[j]);
        result.set = estimate(uniform[check.size()], weighted[check.size()]);
        result.samples = options.samples;
    }
    for (std::size_t j = 0; j < check.size(); ++j) {
        if (!check.is_count(j)) continue;
        std::array<Sums, event_count + 1> by_count{};
        convolve(table, check, j, by_count);
        const Condition& condition = set.conditions[j];
        Sums kept;
        for (int k = condition.count_low; k <= condition.count_high.value_or(event_count); ++k) {
            kept.variants += by_count[static_cast<std::size_t>(k)].variants;
            kept.mass += by_count[static_cast<std::size_t>(k)].mass;
        }
        result.conditions[j] = exact_row(kept);
    }
    if (set_check.on_mask() == 0) result.set = {static_cast<double>(result.marked_variants), result.marked_percent, 0, 0, true};
    return result;
}

PassingCount passing_count(const EventTable& table, const ConditionSet& set) {
    ConditionSet only_on;
    only_on.enabled = true;
    only_on.allowed_errors = set.allowed_errors;
    for (const Condition& condition : set.conditions)
        if (condition.on) only_on.conditions.push_back(condition);
    const CostTable costs = condition_costs(table, only_on);
    if (!costs.refusal.empty()) return {0, true};
    return {static_cast<std::int64_t>(std::llround(costs.set.kept_variants)), costs.set.exact};
}

PassingCount PassingCountCache::get(const EventTable& table, const ConditionSet& set) {
    std::string key = write_condition_file(set);
    for (int e = 1; e <= event_count; ++e)
        for (int c = 1; c <= outcome_count; ++c) {
            const OutcomeCell& cell = table.cell(e, c);
            key += std::to_string(cell.mark) + std::to_string(cell.yellow_mark) + ":" +
                   std::to_string(cell.setting_probability.ten_thousandths()) + ":" +
                   std::to_string(cell.pool_probability.ten_thousandths()) + ",";
        }
    if (key != key_) {
        value_ = passing_count(table, set);
        key_ = std::move(key);
    }
    return value_;
}

}  // namespace morvalen::core
