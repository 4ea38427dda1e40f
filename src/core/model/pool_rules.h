// The rules of the pool: how many others bet, what share of the stakes is paid out, which tiers pay.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/model/currency.h"
#include "core/model/outcomes.h"

namespace morvalen::core {

inline constexpr std::int64_t pool_tickets_limit = 1'000'000'000;
inline constexpr int lowest_paying_tier = 2;

struct PoolRules {
    std::int64_t tickets = 0;   // T: single bets placed by everyone else
    double payout = 0.65;       // share of all stakes paid out as prizes, 0 to 1
    // tier_share[k]: share of the prize fund paid to the bets with exactly k hits; a tier pays only
    // when listed, k from 2 to 8, shares at most 1 in all.
    std::array<double, event_count + 1> tier_share{};
    std::array<bool, event_count + 1> tier_listed{};
    Currency jackpot;           // carried into the 8-hit tier

    // The lowest listed tier, or 0 when none is listed.
    int lowest_tier() const;
    bool operator==(const PoolRules&) const = default;
};

struct PoolRulesParse {
    std::optional<PoolRules> rules;
    std::string error;  // the player's message when the text cannot be read
};

// "tickets=T;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=0": tickets, payout and tiers are required,
// each key at most once, in any order; jackpot is 0 when absent. Blanks around parts are allowed.
PoolRulesParse parse_pool_rules(std::string_view text);

// The text parse_pool_rules reads back to the same rules; tiers from the highest.
std::string format_pool_rules(const PoolRules& rules);

// The fund of tier k: its share × payout × (stake × T + the package's cost), plus the jackpot at 8.
double tier_fund(const PoolRules& rules, int k, Currency stake, Currency package_cost);

}  // namespace morvalen::core
