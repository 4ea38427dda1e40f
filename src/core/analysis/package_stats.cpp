// The three summary texts, exactly as the player reads them.
#include "core/analysis/package_stats.h"

#include <cstdint>

#include "core/model/wide_int.h"

namespace morvalen::core {

PackageTotals package_totals(const BetList& list) {
    PackageTotals totals;
    // Typed lines can carry absurd amounts; the sums saturate instead of wrapping.
    std::int64_t amount = 0;
    for (const BetEntry& entry : list) {
        if (__builtin_add_overflow(totals.package_bets, entry.bet_count, &totals.package_bets))
            totals.package_bets = entry.bet_count > 0 ? INT64_MAX : INT64_MIN;
        if (__builtin_add_overflow(amount, entry.amount.ten_thousandths(), &amount))
            amount = entry.amount.ten_thousandths() > 0 ? INT64_MAX : INT64_MIN;
    }
    totals.package_amount = Currency::from_ten_thousandths(amount);
    return totals;
}

Currency coverage_percent(std::int64_t covered, std::int64_t total) {
    const int128 scaled = static_cast<int128>(covered) * 10000;
    int128 quotient = scaled / total;
    const int128 remainder = scaled % total;
    const int128 twice = remainder * 2;
    if (twice > total || (twice == total && (quotient & 1))) ++quotient;
    return Currency::from_ten_thousandths(static_cast<std::int64_t>(quotient) * 100);
}

StatsView compute_stats(const StatsInput& input) {
    StatsView view;
    view.totals = package_totals(input.list);
    view.package_line = "Ставок  " + std::to_string(view.totals.package_bets) + " (На сумму " +
                        view.totals.package_amount.to_string() + ")";
    view.variant_total = variant_total(input.table);
    if (view.variant_total > 0) {
        const Currency money = Currency::from_floating(input.stake.value * static_cast<long double>(view.variant_total));
        view.variants_line = "Всего вариантов по отмеченным исходам " + std::to_string(view.variant_total) +
                             " (На сумму " + money.to_string() + ")";
        const std::int64_t to_cover = input.passing ? input.passing->variants : view.variant_total;
        if (input.passing)
            view.variants_line += " (по условиям " + std::string(input.passing->exact ? "" : "≈") +
                                  std::to_string(input.passing->variants) + ")";
        if (input.with_coverage && to_cover > 0) {
            const std::int64_t covered = to_cover - input.uncovered_variants;
            view.coverage_line = "Покрыто ставками " + std::to_string(covered) + " вариантов (" +
                                 coverage_percent(covered, to_cover).to_string() + "%) с гарантией " +
                                 std::to_string(input.guarantee) + " событий";
        }
    }
    const bool has_bets = view.totals.package_bets > 0;
    view.enabled.forming_link = view.variant_total > 0;
    view.enabled.add_coupon = view.variant_total > 0;
    view.enabled.remove_variants = view.variant_total > 0 && has_bets;
    view.enabled.list_commands = has_bets;
    return view;
}

}  // namespace morvalen::core
