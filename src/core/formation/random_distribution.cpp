// Random distribution with a duplicate test that looks up single bets instead of scanning the list.
#include "core/formation/random_distribution.h"

#include <algorithm>
#include <bit>

#include "core/model/conditions.h"
#include "core/model/session.h"

namespace morvalen::core {

std::optional<std::string> normalised_shares(const EventTable& table, ShareTable& shares) {
    for (int e = 1; e <= event_count; ++e) {
        double sum = 0;
        for (int c = 1; c <= outcome_count; ++c) {
            const OutcomeCell& cell = table.cell(e, c);
            shares[e - 1][c - 1] =
                cell.mark == 1 ? static_cast<double>(cell.setting_probability.ten_thousandths()) / 10000.0 : 0.0;
            sum += shares[e - 1][c - 1];
        }
        if (!(sum > 0))
            return "Событие " + std::to_string(e) +
                   ": у всех отмеченных исходов вероятность 0 или меньше, случайное распределение невозможно. "
                   "Задайте вероятности в окне \"Редактирование вероятностей\".";
        for (double& share : shares[e - 1]) share = share * 100 / sum;
    }
    return std::nullopt;
}

int walk_column(const std::array<double, outcome_count>& shares, double x) {
    int c = 1;
    while (true) {
        x -= shares[c - 1];
        if (c == outcome_count || !(x > 0.01)) return c;
        ++c;
    }
}

bool contains_variant(const BetList& list, const BetEntry& bet, int k) {
    for (const BetEntry& entry : list) {
        int common = 0;
        for (int e = 0; e < event_count; ++e) common += entry.outcome_sets[e].intersects(bet.outcome_sets[e]) ? 1 : 0;
        if (common >= k) return true;
    }
    return false;
}

SingleBetIndex::SingleBetIndex(const BetList& list) : slots_(1024, 0) {
    for (const BetEntry& entry : list) add(entry);
}

std::uint64_t SingleBetIndex::key_of(const BetEntry& single) {
    std::uint64_t key = 0;
    for (const OutcomeSet& set : single.outcome_sets) key = key << 5 | static_cast<std::uint64_t>(set.first_column());
    return key;
}

bool SingleBetIndex::contains_key(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = (key * 0x9E3779B97F4A7C15ULL) >> 20 & mask;; at = (at + 1) & mask) {
        if (slots_[at] == key) return true;
        if (slots_[at] == 0) return false;
    }
}

void SingleBetIndex::insert_key(std::uint64_t key) {
    if ((used_ + 1) * 2 > slots_.size()) {
        std::vector<std::uint64_t> old(slots_.size() * 2, 0);
        old.swap(slots_);
        used_ = 0;
        for (const std::uint64_t k : old)
            if (k != 0) insert_key(k);
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = (key * 0x9E3779B97F4A7C15ULL) >> 20 & mask;; at = (at + 1) & mask) {
        if (slots_[at] == key) return;
        if (slots_[at] == 0) {
            slots_[at] = key;
            ++used_;
            return;
        }
    }
}

void SingleBetIndex::add(const BetEntry& entry) {
    bool single = true;
    for (const OutcomeSet& set : entry.outcome_sets) {
        // An entry with an empty set meets no bet in all 8 events.
        if (set.empty()) return;
        single = single && std::has_single_bit(set.bits());
    }
    if (single)
        insert_key(key_of(entry));
    else
        coupons_.push_back(entry);
}

bool SingleBetIndex::covers(const BetEntry& single) const {
    if (contains_key(key_of(single))) return true;
    for (const BetEntry& coupon : coupons_) {
        bool all = true;
        for (int e = 0; e < event_count && all; ++e) all = coupon.outcome_sets[e].intersects(single.outcome_sets[e]);
        if (all) return true;
    }
    return false;
}

RandomBets random_bets(const EventTable& table, const BetList& earlier, const RandomBetsSettings& settings,
                       RandomSource& rng, const StopToken& stop) {
    RandomBets result;
    ShareTable shares{};
    if (auto refused = normalised_shares(table, shares)) {
        result.refusal = std::move(refused);
        return result;
    }
    // While conditions act a drawn bet that fails them is dropped like a repeat: it spends its draw.
    std::optional<ConditionCheck> check;
    if (conditions_in_force(settings.conditions)) {
        check.emplace(settings.conditions, table);
        if (!check->refusal().empty()) {
            result.refusal = check->refusal();
            return result;
        }
    }
    const std::int64_t repeat = settings.repeat_count;
    SingleBetIndex index(earlier);
    // Most runs add close to R bets; growing the list once saves copying it at every doubling.
    result.bets.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(repeat, 0, 1 << 22)));
    std::int64_t budget = 10 * repeat;
    std::int64_t added = 0;
    while (!stop.stop_requested()) {
        BetEntry bet;
        for (int e = 1; e <= event_count; ++e)
            bet.set(e) = OutcomeSet::of_column(walk_column(shares[e - 1], rng.uniform01() * 100));
        const auto passes = [&] {
            VariantColumns columns{};
            for (int e = 0; e < event_count; ++e) columns[static_cast<std::size_t>(e)] = bet.outcome_sets[static_cast<std::size_t>(e)].first_column();
            return check->passes(columns);
        };
        if (!index.covers(bet) && (!check || passes())) {
            bet.amount = settings.stake;
            bet.bet_count = 1;
            ++added;
            result.bets.push_back(bet);
            index.add(bet);
        }
        if (--budget <= 0) break;
        if (added == repeat) break;
    }
    return result;
}

std::optional<std::string> random_distribution(Session& session) {
    const RandomBetsSettings settings{session.settings.stake.currency(), session.settings.repeat_count, session.conditions};
    RandomBets result = random_bets(session.events, session.bets, settings, session.rng);
    if (result.refusal) return result.refusal;
    session.bets.reserve(session.bets.size() + result.bets.size());
    for (const BetEntry& bet : result.bets) session.append_bet(bet);
    return std::nullopt;
}

}  // namespace morvalen::core
