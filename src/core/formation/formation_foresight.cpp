// Counts of what a method will form, from the marks and the settings alone.
#include "core/formation/formation_foresight.h"

#include <algorithm>
#include <array>
#include <functional>

#include "core/formation/autoformation.h"
#include "core/analysis/package_stats.h"
#include "core/model/signature.h"

namespace morvalen::core {
namespace {

std::int64_t saturating_add(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? INT64_MAX : sum;
}

std::int64_t saturating_mul(std::int64_t a, std::int64_t b) {
    std::int64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? INT64_MAX : product;
}

std::string money(const Stake& stake, std::int64_t bets) {
    return Currency::from_floating(stake.value * static_cast<long double>(bets)).to_string();
}

std::string bets_at_stake(std::int64_t bets, const Stake& stake) {
    return std::to_string(bets) + " × " + stake.currency().to_string() + " = " + money(stake, bets);
}

}  // namespace

SensationsCount count_sensations(const EventTable& table, int yellow_min, int yellow_max) {
    // By the number of yellow outcomes chosen so far: the entries and the single bets they hold.
    std::array<SensationsCount, event_count + 1> by_yellow{};
    by_yellow[0] = {1, 1};
    for (int e = 1; e <= event_count; ++e) {
        int yellow = 0, ordinary = 0;
        for (int c = 1; c <= outcome_count; ++c) {
            const OutcomeCell& cell = table.cell(e, c);
            if (cell.yellow_mark != 0) ++yellow;
            else if (cell.mark != 0) ++ordinary;
        }
        std::array<SensationsCount, event_count + 1> next{};
        for (int y = 0; y <= event_count; ++y) {
            const SensationsCount& at = by_yellow[static_cast<std::size_t>(y)];
            if (at.coupons == 0) continue;
            if (ordinary > 0) {
                SensationsCount& stay = next[static_cast<std::size_t>(y)];
                stay.coupons = saturating_add(stay.coupons, at.coupons);
                stay.bets = saturating_add(stay.bets, saturating_mul(at.bets, ordinary));
            }
            if (yellow > 0 && y + 1 <= std::min(yellow_max, event_count)) {
                SensationsCount& up = next[static_cast<std::size_t>(y + 1)];
                up.coupons = saturating_add(up.coupons, saturating_mul(at.coupons, yellow));
                up.bets = saturating_add(up.bets, saturating_mul(at.bets, yellow));
            }
        }
        by_yellow = next;
    }
    SensationsCount total;
    for (int y = std::max(yellow_min, 0); y <= std::min(yellow_max, event_count); ++y) {
        total.coupons = saturating_add(total.coupons, by_yellow[static_cast<std::size_t>(y)].coupons);
        total.bets = saturating_add(total.bets, by_yellow[static_cast<std::size_t>(y)].bets);
    }
    return total;
}

std::optional<std::int32_t> listed_system_size(const BriefSystemList& list, const EventTable& table) {
    MarkedCounts counts = marked_counts(table);
    std::sort(counts.begin(), counts.end(), std::greater<>());
    std::optional<std::int32_t> smallest;
    for (const BriefSystemInfo& system : list)
        if (system.counts == counts && (!smallest || system.bets < *smallest)) smallest = system.bets;
    return smallest;
}

std::string formation_foresight(const ForesightInput& input) {
    const std::int64_t variants = variant_total(input.events);
    if (variants <= 0) return {};
    const FormationSettings& s = input.settings;
    switch (s.method) {
    case FormationMethod::brief_systems:
        if (input.brief_bets)
            return "Бриф-система: ставок " + bets_at_stake(*input.brief_bets, s.stake);
        return "Размер бриф-системы станет известен после загрузки";
    case FormationMethod::sensations: {
        const SensationsCount count = count_sensations(input.events, s.yellow_min, s.yellow_max);
        if (count.coupons == 0) return "Нет вариантов с таким числом сенсаций";
        return "Купонов " + std::to_string(count.coupons) + ", ставок " + bets_at_stake(count.bets, s.stake);
    }
    case FormationMethod::random_distribution:
    case FormationMethod::best_chances:
    case FormationMethod::return_maximising: return "Будет ставок " + bets_at_stake(s.repeat_count, s.stake);
    case FormationMethod::autoformation: {
        const std::int64_t uncovered = input.uncovered.value_or(variants);
        if (uncovered <= 0) return "Список уже покрывает все варианты с гарантией " + std::to_string(s.guarantee);
        const std::int64_t neighbourhood = neighbourhood_size(marked_counts(input.events), s.guarantee);
        if (neighbourhood <= 0) return {};
        const std::int64_t least = uncovered / neighbourhood + (uncovered % neighbourhood > 0 ? 1 : 0);
        return "Для полного покрытия нужно не менее " + std::to_string(least) + " ставок; за проход — до " +
               std::to_string(s.repeat_count);
    }
    }
    return {};
}

std::string guarantee_shortfall(std::int64_t uncovered, std::int64_t variant_total, int guarantee) {
    if (uncovered <= 0 || variant_total <= 0) return {};
    return "Гарантия " + std::to_string(guarantee) + " не достигнута: не покрыто " + std::to_string(uncovered) +
           " вариантов (" + coverage_percent(uncovered, variant_total).to_string() + "%)";
}

}  // namespace morvalen::core
