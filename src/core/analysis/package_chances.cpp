// Exact chances by enumerating merged outcome classes with bit-sliced hit counters over the bets.
#include "core/analysis/package_chances.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <vector>

#include "core/model/random_source.h"

namespace morvalen::core {
namespace {

using Words = std::vector<std::uint64_t>;
constexpr int planes = 4;  // hit counts 0 to 8 need four bits

// Outcomes of an event that the same bets name are one class for every question asked here.
struct OutcomeClass {
    double probability = 0;
    Words bets;  // bit i: bet i names an outcome of this class
    bool none = true;
};

// Per-bet hit counters, bit-sliced: plane b holds bit b of every bet's count.
struct Counters {
    explicit Counters(std::size_t words) : data(planes * words, 0), width(words) {}
    std::vector<std::uint64_t> data;
    std::size_t width;

    void add(const OutcomeClass& cls) {
        if (cls.none) return;
        for (std::size_t w = 0; w < width; ++w) {
            std::uint64_t carry = cls.bets[w];
            for (int b = 0; b < planes && carry != 0; ++b) {
                std::uint64_t& plane = data[b * width + w];
                const std::uint64_t next = plane & carry;
                plane ^= carry;
                carry = next;
            }
        }
    }

    int max_hits(Words& candidates) const {
        std::fill(candidates.begin(), candidates.end(), ~std::uint64_t{0});
        int best = 0;
        for (int b = planes - 1; b >= 0; --b) {
            const std::uint64_t* plane = &data[b * width];
            std::uint64_t any = 0;
            for (std::size_t w = 0; w < width; ++w) any |= candidates[w] & plane[w];
            if (any == 0) continue;
            for (std::size_t w = 0; w < width; ++w) candidates[w] &= plane[w];
            best |= 1 << b;
        }
        return best;
    }
};

}  // namespace

std::optional<std::string> probability_refusal(const EventTable& table, const std::string& consequence) {
    for (int e = 1; e <= event_count; ++e) {
        bool any = false;
        for (int o = 1; o <= outcome_count; ++o) {
            const std::int64_t raw = table.cell(e, o).setting_probability.ten_thousandths();
            if (raw < 0)
                return "Событие " + std::to_string(e) + ": отрицательная вероятность исхода " + std::string(outcome_label(o)) +
                       ", " + consequence;
            any |= raw > 0;
        }
        if (!any)
            return "Событие " + std::to_string(e) + ": вероятности всех исходов равны 0, " + consequence;
    }
    return std::nullopt;
}


namespace {

std::vector<OutcomeClass> event_classes(const std::vector<const BetEntry*>& bets, int e, const std::array<double, outcome_count>& p,
                                        std::size_t words) {
    std::map<Words, double> grouped;
    for (int o = 1; o <= outcome_count; ++o) {
        if (p[o - 1] <= 0) continue;
        Words signature(words, 0);
        for (std::size_t i = 0; i < bets.size(); ++i)
            if (bets[i]->set(e).contains(o)) signature[i / 64] |= std::uint64_t{1} << (i % 64);
        grouped[signature] += p[o - 1];
    }
    std::vector<OutcomeClass> classes;
    for (auto& [signature, probability] : grouped) {
        OutcomeClass cls;
        cls.probability = probability;
        cls.none = std::all_of(signature.begin(), signature.end(), [](std::uint64_t w) { return w == 0; });
        cls.bets = signature;
        classes.push_back(std::move(cls));
    }
    return classes;
}

struct Enumeration {
    const std::vector<std::vector<OutcomeClass>>& classes;
    std::vector<Counters> levels;
    Words candidates;
    std::array<double, event_count + 1> by_max{};

    void descend(std::size_t e, double probability) {
        if (e == classes.size()) {
            by_max[static_cast<std::size_t>(levels[e].max_hits(candidates))] += probability;
            return;
        }
        for (const OutcomeClass& cls : classes[e]) {
            levels[e + 1].data = levels[e].data;
            levels[e + 1].add(cls);
            descend(e + 1, probability * cls.probability);
        }
    }
};

}  // namespace

OutcomeShares normalised_over_outcomes(const EventTable& table, Currency OutcomeCell::*field) {
    OutcomeShares p{};
    for (int e = 1; e <= event_count; ++e) {
        long double sum = 0;
        for (int o = 1; o <= outcome_count; ++o) sum += static_cast<long double>((table.cell(e, o).*field).ten_thousandths());
        if (!(sum > 0)) continue;
        for (int o = 1; o <= outcome_count; ++o)
            p[e - 1][o - 1] = static_cast<double>(static_cast<long double>((table.cell(e, o).*field).ten_thousandths()) / sum);
    }
    return p;
}

ChancesReport package_chances(const BetList& list, const EventTable& table, const ChanceOptions& options) {
    ChancesReport report;
    if (auto refusal = probability_refusal(table, "шансы пакета не рассчитываются")) {
        report.refusal = std::move(*refusal);
        return report;
    }
    const Probabilities p = normalised_over_outcomes(table);

    std::vector<const BetEntry*> bets;
    for (const BetEntry& entry : list) {
        if (entry.bet_count == 0) continue;
        if (std::any_of(entry.outcome_sets.begin(), entry.outcome_sets.end(), [](OutcomeSet s) { return s.empty(); })) continue;
        bets.push_back(&entry);
    }
    PackageChances chances;
    chances.bets_considered = static_cast<std::int64_t>(bets.size());
    for (const BetEntry* entry : bets) {
        double full = 1;
        for (int e = 1; e <= event_count; ++e) {
            double in_set = 0;
            entry->set(e).for_each_column([&](int c) { in_set += p[e - 1][c - 1]; });
            full *= in_set;
        }
        chances.expected_full_hits += full;
    }
    if (bets.empty()) {
        report.chances = chances;
        return report;
    }

    const std::size_t words = (bets.size() + 63) / 64;
    std::vector<std::vector<OutcomeClass>> classes;
    std::uint64_t space = 1;
    for (int e = 1; e <= event_count; ++e) {
        classes.push_back(event_classes(bets, e, p[e - 1], words));
        if (__builtin_mul_overflow(space, classes.back().size(), &space)) space = UINT64_MAX;
    }
    chances.merged_space = space;
    std::uint64_t work = 0;
    if (__builtin_mul_overflow(space, words + 4, &work)) work = UINT64_MAX;

    std::array<double, event_count + 1> by_max{};
    if (work <= options.exact_work_limit) {
        Enumeration walk{classes, std::vector<Counters>(event_count + 1, Counters(words)), Words(words), {}};
        walk.descend(0, 1.0);
        by_max = walk.by_max;
    } else {
        chances.exact = false;
        const std::uint64_t affordable = std::max<std::uint64_t>(options.sample_work_limit / words, options.min_samples);
        chances.samples = std::max<std::uint64_t>(std::min(options.samples, affordable), 1);
        chances.seed = options.seed;
        RandomSource rng(options.seed);
        Counters counters(words);
        Words candidates(words);
        std::array<std::uint64_t, event_count + 1> counts{};
        for (std::uint64_t s = 0; s < chances.samples; ++s) {
            std::fill(counters.data.begin(), counters.data.end(), 0);
            for (const auto& event : classes) {
                double draw = rng.uniform01();
                std::size_t pick = 0;
                while (pick + 1 < event.size() && draw >= event[pick].probability) draw -= event[pick++].probability;
                counters.add(event[pick]);
            }
            ++counts[static_cast<std::size_t>(counters.max_hits(candidates))];
        }
        for (std::size_t m = 0; m <= event_count; ++m)
            by_max[m] = static_cast<double>(counts[m]) / static_cast<double>(chances.samples);
    }
    double tail = 0;
    for (int k = event_count; k >= 0; --k) {
        tail += by_max[static_cast<std::size_t>(k)];
        chances.at_least[static_cast<std::size_t>(k)] = std::min(tail, 1.0);
        if (!chances.exact) {
            const double q = chances.at_least[static_cast<std::size_t>(k)];
            chances.standard_error[static_cast<std::size_t>(k)] = std::sqrt(q * (1 - q) / static_cast<double>(chances.samples));
        }
    }
    report.chances = chances;
    return report;
}

}  // namespace morvalen::core
