// Reading and writing the rules of the pool in their one-line text form.
#include "core/model/pool_rules.h"

#include "core/formats/decimal_text.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "core/model/bet.h"

namespace morvalen::core {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts = split_at(text, separator);
    for (std::string_view& part : parts) part = trim_blanks(part);
    return parts;
}

// A plain decimal with "." as the point; a sign, "inf" and "nan" are not numbers here.
std::optional<double> read_share(std::string_view text) {
    if (text.empty() || !(text.front() >= '0' && text.front() <= '9')) return std::nullopt;
    // Fixed notation only: no exponent.
    if (text.find_first_of("eE") != std::string_view::npos) return std::nullopt;
    const std::optional<double> value = read_decimal(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::string share_text(double value) {
    return std::isfinite(value) ? write_shortest_fixed(value) : std::string("0");
}

PoolRulesParse failure(std::string text) {
    PoolRulesParse parse;
    parse.error = "Правила тотализатора: " + std::move(text);
    return parse;
}

}  // namespace

int PoolRules::lowest_tier() const {
    for (int k = lowest_paying_tier; k <= event_count; ++k)
        if (tier_listed[static_cast<std::size_t>(k)]) return k;
    return 0;
}

PoolRulesParse parse_pool_rules(std::string_view text) {
    PoolRules rules;
    bool has_tickets = false, has_payout = false, has_tiers = false, has_jackpot = false;
    for (const std::string_view part : split(text, ';')) {
        if (part.empty()) continue;
        const auto eq = part.find('=');
        if (eq == std::string_view::npos) return failure("ожидается ключ=значение, получено \"" + std::string(part) + "\"");
        const std::string_view key = trim_blanks(part.substr(0, eq));
        const std::string_view value = trim_blanks(part.substr(eq + 1));
        const std::string shown(value);
        if (key == "tickets") {
            if (has_tickets) return failure("tickets указано дважды");
            has_tickets = true;
            std::int64_t tickets = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), tickets);
            if (value.empty() || error != std::errc() || end != value.data() + value.size() || tickets < 0 || tickets > pool_tickets_limit)
                return failure("tickets: ожидается целое число от 0 до " + std::to_string(pool_tickets_limit) + ", получено \"" + shown + "\"");
            rules.tickets = tickets;
        } else if (key == "payout") {
            if (has_payout) return failure("payout указано дважды");
            has_payout = true;
            const auto payout = read_share(value);
            if (!payout || *payout > 1) return failure("payout: ожидается доля от 0 до 1 с точкой, получено \"" + shown + "\"");
            rules.payout = *payout;
        } else if (key == "tiers") {
            if (has_tiers) return failure("tiers указано дважды");
            has_tiers = true;
            double total = 0;
            for (const std::string_view tier : split(value, ',')) {
                if (tier.empty() && value.empty()) break;
                const auto colon = tier.find(':');
                const std::string shown_tier(tier);
                if (colon == std::string_view::npos) return failure("tiers: ожидается совпадения:доля, получено \"" + shown_tier + "\"");
                const std::string_view hits = trim_blanks(tier.substr(0, colon));
                int k = 0;
                const auto [end, error] = std::from_chars(hits.data(), hits.data() + hits.size(), k);
                if (hits.empty() || error != std::errc() || end != hits.data() + hits.size() || k < lowest_paying_tier || k > event_count)
                    return failure("tiers: число совпадений от 2 до 8, получено \"" + shown_tier + "\"");
                if (rules.tier_listed[static_cast<std::size_t>(k)]) return failure("tiers: разряд " + std::to_string(k) + " указан дважды");
                const auto share = read_share(trim_blanks(tier.substr(colon + 1)));
                if (!share || *share > 1) return failure("tiers: доля разряда " + std::to_string(k) + " от 0 до 1 с точкой, получено \"" + shown_tier + "\"");
                rules.tier_listed[static_cast<std::size_t>(k)] = true;
                rules.tier_share[static_cast<std::size_t>(k)] = *share;
                total += *share;
            }
            // Shares written with a few decimals may add up to 1 only within rounding.
            if (total > 1 + 1e-9) return failure("доли разрядов в сумме больше 1");
        } else if (key == "jackpot") {
            if (has_jackpot) return failure("jackpot указано дважды");
            has_jackpot = true;
            const auto jackpot = Currency::parse(value);
            if (value.empty() || !jackpot || jackpot->ten_thousandths() < 0)
                return failure("jackpot: ожидается неотрицательная сумма с точкой, получено \"" + shown + "\"");
            rules.jackpot = *jackpot;
        } else {
            return failure("неизвестный ключ \"" + std::string(key) + "\" (допустимы tickets, payout, tiers, jackpot)");
        }
    }
    if (!has_tickets) return failure("нет tickets (число ставок остальных игроков)");
    if (!has_payout) return failure("нет payout (доля ставок на выигрыши)");
    if (!has_tiers) return failure("нет tiers (разряды выигрышей, например 8:0.5,7:0.3,6:0.2)");
    PoolRulesParse parse;
    parse.rules = rules;
    return parse;
}

std::string format_pool_rules(const PoolRules& rules) {
    std::string tiers;
    for (int k = event_count; k >= lowest_paying_tier; --k) {
        const auto at = static_cast<std::size_t>(k);
        if (!rules.tier_listed[at]) continue;
        if (!tiers.empty()) tiers += ',';
        tiers += std::to_string(k) + ":" + share_text(rules.tier_share[at]);
    }
    return "tickets=" + std::to_string(rules.tickets) + ";payout=" + share_text(rules.payout) + ";tiers=" + tiers +
           ";jackpot=" + rules.jackpot.to_string();
}

double tier_fund(const PoolRules& rules, int k, Currency stake, Currency package_cost) {
    const auto at = static_cast<std::size_t>(k);
    if (k < lowest_paying_tier || k > event_count || !rules.tier_listed[at]) return 0;
    const long double stakes = stake.to_floating() * static_cast<long double>(rules.tickets) + package_cost.to_floating();
    long double fund = static_cast<long double>(rules.tier_share[at]) * static_cast<long double>(rules.payout) * stakes;
    if (k == event_count) fund += rules.jackpot.to_floating();
    return static_cast<double>(fund);
}

}  // namespace morvalen::core
