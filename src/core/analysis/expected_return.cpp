// The expected return summed exactly over the results within reach of some bet, slab by slab of the
// first two events' outcomes so that the (result, bet) pairs held at once stay few; else sampled.
#include "core/analysis/expected_return.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/analysis/package_chances.h"
#include "core/analysis/package_stats.h"
#include "core/analysis/prize_share.h"
#include "core/model/random_source.h"

namespace morvalen::core {
namespace {

constexpr int entry_bits = 39;
constexpr std::uint64_t entry_mask = (std::uint64_t{1} << entry_bits) - 1;

struct Entry {
    std::array<OutcomeSet, event_count> sets{};
    std::array<double, event_count> sizes{};
    bool single = true;
};

struct Outcome {
    int column = 0;        // 1 to 17
    double probability = 0;
    double crowd = 0;
};

using Tiers = std::array<double, event_count + 1>;

// Single bets of the entry with exactly k hits on `result` (columns per event), by k.
void add_hits(const Entry& entry, const std::array<int, event_count>& result, Tiers& h) {
    if (entry.single) {
        int hits = 0;
        for (int e = 0; e < event_count; ++e) hits += entry.sets[static_cast<std::size_t>(e)].contains(result[static_cast<std::size_t>(e)]) ? 1 : 0;
        h[static_cast<std::size_t>(hits)] += 1;
        return;
    }
    Tiers ways{};
    ways[0] = 1;
    int top = 0;
    for (int e = 0; e < event_count; ++e) {
        const auto at = static_cast<std::size_t>(e);
        const double size = entry.sizes[at];
        if (entry.sets[at].contains(result[at])) {
            for (int j = ++top; j >= 0; --j)
                ways[static_cast<std::size_t>(j)] = ways[static_cast<std::size_t>(j)] * (size - 1) + (j > 0 ? ways[static_cast<std::size_t>(j - 1)] : 0);
        } else {
            for (int j = 0; j <= top; ++j) ways[static_cast<std::size_t>(j)] *= size;
        }
    }
    for (std::size_t j = 0; j < ways.size(); ++j) h[j] += ways[j];
}

class Summation {
public:
    Summation(const PoolRules& rules, const Tiers& funds, PackageReturn& out) : rules_(rules), funds_(funds), out_(out) {}

    // One result of probability p, the crowd's hit chances c and the package's winners h: returns
    // the package's expected prize there.
    double add(double p, const Tiers& c, const Tiers& h) {
        double prize = 0;
        bool any = false;
        for (int k = rules_.lowest_tier(); k <= event_count; ++k) {
            const auto at = static_cast<std::size_t>(k);
            if (!rules_.tier_listed[at] || !(h[at] > 0)) continue;
            const double amount = funds_[at] * expected_prize_share(h[at], c[at], rules_.tickets);
            amount_[at] = amount;
            prize += amount;
            any = true;
            out_.tier_chance[at] += p;
            out_.tier_amount[at] += p * amount;
        }
        if (any) out_.any_prize += p;
        out_.expected_return += p * prize;
        return prize;
    }
    // The prize of tier k at the last result added, when the package won there.
    double last_amount(int k) const { return amount_[static_cast<std::size_t>(k)]; }

private:
    const PoolRules& rules_;
    const Tiers& funds_;
    PackageReturn& out_;
    Tiers amount_{};
};

Tiers times(const Tiers& poly, double hit) {
    Tiers next{};
    for (int j = event_count; j >= 0; --j)
        next[static_cast<std::size_t>(j)] = poly[static_cast<std::size_t>(j)] * (1 - hit) + (j > 0 ? poly[static_cast<std::size_t>(j - 1)] * hit : 0);
    return next;
}

struct Problem {
    const PoolRules& rules;
    const ReturnOptions& options;
    std::vector<Entry> entries;
    std::array<std::vector<Outcome>, event_count> outcomes;  // those with positive probability
    Tiers funds{};
    int radius = 0;
    // By event and column (1 to 17): the set probability and the crowd's share.
    std::array<std::array<double, outcome_count + 1>, event_count> probability_at{};
    std::array<std::array<double, outcome_count + 1>, event_count> crowd_at{};

    // Returns false when the pairs exceed a limit, leaving `out` to be filled by sampling.
    bool sum_exactly(PackageReturn& out) {
        Summation sum(rules, funds, out);
        std::vector<std::uint64_t> pairs;
        std::uint64_t total = 0;
        std::array<int, event_count> result{};
        for (const Outcome& first : outcomes[0])
            for (const Outcome& second : outcomes[1]) {
                pairs.clear();
                result[0] = first.column;
                result[1] = second.column;
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    const Entry& entry = entries[i];
                    const int misses = (entry.sets[0].contains(first.column) ? 0 : 1) + (entry.sets[1].contains(second.column) ? 0 : 1);
                    if (misses > radius) continue;
                    const std::uint64_t tag = i;
                    const auto walk = [&](auto& self, int e, std::uint64_t rest, int left) -> void {
                        if (e == event_count) {
                            pairs.push_back(rest << entry_bits | tag);
                            return;
                        }
                        const OutcomeSet set = entry.sets[static_cast<std::size_t>(e)];
                        for (const Outcome& o : outcomes[static_cast<std::size_t>(e)]) {
                            const bool hit = set.contains(o.column);
                            if (!hit && left == 0) continue;
                            self(self, e + 1, rest * outcome_count + static_cast<std::uint64_t>(o.column - 1), hit ? left : left - 1);
                        }
                    };
                    walk(walk, 2, 0, radius - misses);
                    if (pairs.size() > options.held_pair_limit || total + pairs.size() > options.exact_pair_limit) return false;
                }
                total += pairs.size();
                std::sort(pairs.begin(), pairs.end());
                const double slab_probability = first.probability * second.probability;
                const Tiers slab_crowd = times(times(Tiers{1}, first.crowd), second.crowd);
                for (std::size_t at = 0; at < pairs.size();) {
                    const std::uint64_t rest = pairs[at] >> entry_bits;
                    double p = slab_probability;
                    Tiers crowd = slab_crowd;
                    std::uint64_t digits = rest;
                    for (int e = event_count - 1; e >= 2; --e) {
                        const auto column = static_cast<int>(digits % outcome_count) + 1;
                        digits /= outcome_count;
                        result[static_cast<std::size_t>(e)] = column;
                        p *= probability_at[static_cast<std::size_t>(e)][static_cast<std::size_t>(column)];
                        crowd = times(crowd, crowd_at[static_cast<std::size_t>(e)][static_cast<std::size_t>(column)]);
                    }
                    Tiers h{};
                    for (; at < pairs.size() && pairs[at] >> entry_bits == rest; ++at) add_hits(entries[pairs[at] & entry_mask], result, h);
                    sum.add(p, crowd, h);
                }
            }
        out.pairs = total;
        return true;
    }

    void estimate(PackageReturn& out) {
        PackageReturn fresh;
        fresh.cost = out.cost;
        fresh.tier_fund = out.tier_fund;
        out = fresh;
        out.exact = false;
        out.seed = options.seed;
        const std::uint64_t by_work = options.sample_work_limit / std::max<std::uint64_t>(1, entries.size());
        const std::uint64_t draws = std::max<std::uint64_t>(std::min(options.samples, by_work), options.min_samples);
        out.samples = draws;
        RandomSource rng(options.seed);
        PackageReturn sums = out, squares = out;  // running sums of the per-draw figures and their squares
        Summation sum(rules, funds, sums);
        std::array<int, event_count> result{};
        std::array<double, event_count> crowd_hit{};
        for (std::uint64_t draw = 0; draw < draws; ++draw) {
            for (int e = 0; e < event_count; ++e) {
                const auto& list = outcomes[static_cast<std::size_t>(e)];
                double x = rng.uniform01();
                std::size_t j = 0;
                while (j + 1 < list.size() && (x -= list[j].probability) >= 0) ++j;
                result[static_cast<std::size_t>(e)] = list[j].column;
                crowd_hit[static_cast<std::size_t>(e)] = list[j].crowd;
            }
            Tiers h{};
            for (const Entry& entry : entries) add_hits(entry, result, h);
            const double before_any = sums.any_prize;
            const double prize = sum.add(1, crowd_hit_chances(crowd_hit), h);
            squares.expected_return += prize * prize;
            squares.any_prize += sums.any_prize - before_any;
            for (int k = rules.lowest_tier(); k <= event_count && k > 0; ++k) {
                const auto at = static_cast<std::size_t>(k);
                if (!rules.tier_listed[at] || !(h[at] > 0)) continue;
                const double amount = sum.last_amount(k);
                squares.tier_amount[at] += amount * amount;
                squares.tier_chance[at] += 1;
            }
        }
        const auto n = static_cast<double>(draws);
        const auto mean_and_error = [n](double s, double s2, double& error) {
            const double mean = s / n;
            error = n > 1 ? std::sqrt(std::max(0.0, s2 / n - mean * mean) / (n - 1)) : 0;
            return mean;
        };
        out.expected_return = mean_and_error(sums.expected_return, squares.expected_return, out.return_error);
        out.any_prize = mean_and_error(sums.any_prize, squares.any_prize, out.any_prize_error);
        for (std::size_t k = 0; k < out.tier_chance.size(); ++k) {
            out.tier_chance[k] = mean_and_error(sums.tier_chance[k], squares.tier_chance[k], out.tier_chance_error[k]);
            out.tier_amount[k] = mean_and_error(sums.tier_amount[k], squares.tier_amount[k], out.tier_amount_error[k]);
        }
    }
};

}  // namespace

std::optional<std::string> pool_share_refusal(const EventTable& table) {
    for (int e = 1; e <= event_count; ++e) {
        bool any = false;
        for (int o = 1; o <= outcome_count; ++o) {
            const std::int64_t raw = table.cell(e, o).pool_probability.ten_thousandths();
            if (raw < 0)
                return "Событие " + std::to_string(e) + ": отрицательная доля пула у исхода " + std::string(outcome_label(o)) +
                       ", ожидаемый возврат не рассчитывается";
            any |= raw > 0;
        }
        if (!any) return "Событие " + std::to_string(e) + ": доли пула всех исходов равны 0, ожидаемый возврат не рассчитывается";
    }
    return std::nullopt;
}

std::string return_summary_line(const ReturnReport& report) {
    if (!report.value) return "Ожидаемый возврат: " + report.refusal;
    const PackageReturn& value = *report.value;
    const auto percent = round_half_even(static_cast<long double>(value.return_ratio) * 10000).value_or(0);
    std::string amount = Currency::from_floating(value.expected_return).to_string();
    if (!value.exact) amount = "≈" + amount + " ± " + Currency::from_floating(value.return_error).to_string();
    return "Ожидаемый возврат: " + amount + " (" + Currency::from_ten_thousandths(percent * 100).to_string() + " % стоимости)";
}

CrowdShares crowd_shares(const EventTable& table) {
    CrowdShares shares{};
    for (int e = 1; e <= event_count; ++e) {
        long double sum = 0;
        for (int o = 1; o <= outcome_count; ++o) sum += static_cast<long double>(table.cell(e, o).pool_probability.ten_thousandths());
        for (int o = 1; o <= outcome_count; ++o)
            shares[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(o - 1)] =
                sum > 0 ? static_cast<double>(static_cast<long double>(table.cell(e, o).pool_probability.ten_thousandths()) / sum) : 0;
    }
    return shares;
}

std::array<double, event_count + 1> crowd_hit_chances(const std::array<double, event_count>& hit) {
    Tiers poly{1};
    for (const double p : hit) poly = times(poly, p);
    return poly;
}

ReturnReport expected_return(const BetList& list, const EventTable& table, const PoolRules& rules, Currency stake,
                             const ReturnOptions& options) {
    ReturnReport report;
    if (auto refusal = probability_refusal(table, "ожидаемый возврат не рассчитывается")) {
        report.refusal = std::move(*refusal);
        return report;
    }
    if (auto refusal = pool_share_refusal(table)) {
        report.refusal = std::move(*refusal);
        return report;
    }
    PackageReturn out;
    out.cost = package_totals(list).package_amount;
    Problem problem{rules, options, {}, {}, {}, 0, {}, {}};
    for (int k = lowest_paying_tier; k <= event_count; ++k) {
        problem.funds[static_cast<std::size_t>(k)] = tier_fund(rules, k, stake, out.cost);
        out.tier_fund[static_cast<std::size_t>(k)] = problem.funds[static_cast<std::size_t>(k)];
    }
    const Probabilities p = normalised_over_outcomes(table);
    const CrowdShares crowd = crowd_shares(table);
    for (int e = 0; e < event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) {
            const double probability = p[static_cast<std::size_t>(e)][static_cast<std::size_t>(o - 1)];
            problem.probability_at[static_cast<std::size_t>(e)][static_cast<std::size_t>(o)] = probability;
            problem.crowd_at[static_cast<std::size_t>(e)][static_cast<std::size_t>(o)] = crowd[static_cast<std::size_t>(e)][static_cast<std::size_t>(o - 1)];
            if (probability > 0) problem.outcomes[static_cast<std::size_t>(e)].push_back({o, probability, crowd[static_cast<std::size_t>(e)][static_cast<std::size_t>(o - 1)]});
        }
    for (const BetEntry& bet : list) {
        if (bet.bet_count == 0) continue;
        if (std::any_of(bet.outcome_sets.begin(), bet.outcome_sets.end(), [](OutcomeSet s) { return s.empty(); })) continue;
        Entry entry;
        entry.sets = bet.outcome_sets;
        for (std::size_t e = 0; e < entry.sizes.size(); ++e) {
            entry.sizes[e] = entry.sets[e].size();
            entry.single = entry.single && entry.sets[e].size() == 1;
        }
        problem.entries.push_back(entry);
    }
    if (rules.lowest_tier() > 0 && !problem.entries.empty() && static_cast<std::uint64_t>(problem.entries.size()) <= entry_mask) {
        problem.radius = event_count - rules.lowest_tier();
        out.seed = options.seed;
        PackageReturn exact = out;
        if (problem.sum_exactly(exact)) out = exact;
        else problem.estimate(out);
    }
    const long double cost = out.cost.to_floating();
    out.return_ratio = cost > 0 ? static_cast<double>(static_cast<long double>(out.expected_return) / cost) : 0;
    report.value = out;
    return report;
}

ReturnOptions summary_return_options() {
    ReturnOptions quick;
    quick.exact_pair_limit = 4'000'000;
    quick.samples = 20000;
    quick.sample_work_limit = std::uint64_t{1} << 22;
    return quick;
}

}  // namespace morvalen::core
