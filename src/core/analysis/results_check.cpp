// Hit counts by events: a coupon's single bets are counted by the product of its hit and missed choices.
#include "core/analysis/results_check.h"

namespace morvalen::core {

ResultsParse parse_results(std::string_view text) {
    ResultsParse parse;
    const auto parts = split_at(text, ';');
    if (parts.size() != static_cast<std::size_t>(event_count)) {
        parse.error = "нужны результаты всех 8 событий через \";\", получено " + std::to_string(parts.size());
        return parse;
    }
    DrawResults results;
    for (int e = 1; e <= event_count; ++e) {
        const std::string_view label = trim_blanks(parts[e - 1]);
        const int column = outcome_column(label);
        if (column == 0) {
            parse.error = "событие " + std::to_string(e) + ": \"" + std::string(label) +
                          "\" не является исходом (1:0 … 2:3 или ЛД)";
            return parse;
        }
        results.columns[e - 1] = column;
    }
    parse.results = results;
    return parse;
}

std::int64_t HitCounts::total() const {
    std::int64_t sum = 0;
    for (const std::int64_t n : by_hits) sum += n;
    return sum;
}

HitCounts& HitCounts::operator+=(const HitCounts& other) {
    for (std::size_t k = 0; k < by_hits.size(); ++k) by_hits[k] += other.by_hits[k];
    return *this;
}

HitCounts entry_hits(const BetEntry& entry, const DrawResults& results) {
    HitCounts counts;
    if (entry.bet_count == 0) return counts;
    // Polynomial in the number of hits: each event multiplies by (missed + hit·x).
    counts.by_hits[0] = 1;
    for (int e = 1; e <= event_count; ++e) {
        const OutcomeSet set = entry.set(e);
        if (set.empty()) return HitCounts{};
        const std::int64_t hit = set.contains(results.column(e)) ? 1 : 0;
        const std::int64_t missed = set.size() - hit;
        for (int k = e; k >= 0; --k)
            counts.by_hits[k] = counts.by_hits[k] * missed + (k > 0 ? counts.by_hits[k - 1] * hit : 0);
    }
    return counts;
}

double PackageHits::share(int k) const {
    const std::int64_t all = totals.total();
    return all == 0 ? 0.0 : static_cast<double>(totals.by_hits[k]) / static_cast<double>(all);
}

std::int64_t PackageHits::at_most(int k) const {
    std::int64_t sum = 0;
    for (int j = 0; j <= k; ++j) sum += totals.by_hits[j];
    return sum;
}

double PackageHits::share_at_most(int k) const {
    const std::int64_t all = totals.total();
    return all == 0 ? 0.0 : static_cast<double>(at_most(k)) / static_cast<double>(all);
}

PackageHits package_hits(const BetList& list, const DrawResults& results) {
    PackageHits hits;
    hits.per_entry.reserve(list.size());
    for (const BetEntry& entry : list) {
        hits.per_entry.push_back(entry_hits(entry, results));
        hits.totals += hits.per_entry.back();
    }
    return hits;
}

}  // namespace morvalen::core
