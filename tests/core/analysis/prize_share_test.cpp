// The expected prize share against the binomial sum in long double, and the pool rules' text form.
#include <gtest/gtest.h>

#include <cmath>

#include "core/model/pool_rules.h"
#include "core/analysis/prize_share.h"

using namespace morvalen::core;

namespace {

// Σ P(W = w) h / (h + w) with the terms from lgamma, over every w where they can matter.
long double literal_share(long double h, long double c, std::int64_t tickets) {
    const auto t = static_cast<long double>(tickets);
    const long double mean = c * t, spread = std::sqrt(mean * (1 - c)) + 1;
    const auto low = static_cast<std::int64_t>(std::max(0.0L, mean - 60 * spread));
    const auto high = static_cast<std::int64_t>(std::min(t, mean + 60 * spread + 60));
    long double sum = 0;
    for (std::int64_t w = low; w <= high; ++w) {
        const auto x = static_cast<long double>(w);
        const long double log_term = std::lgamma(t + 1) - std::lgamma(x + 1) - std::lgamma(t - x + 1) + x * std::log(c) +
                                     (t - x) * std::log1p(-c);
        sum += std::exp(log_term) * h / (h + x);
    }
    return sum;
}

TEST(PrizeShare, AgreesWithTheBinomialSumOverTheWholeRange) {
    const double hs[] = {1, 2, 3, 5, 17, 64, 65, 300, 5000, 1e6};
    const double cs[] = {1e-9, 3e-7, 1e-5, 2.5e-4, 1e-3, 0.01, 0.2, 0.7, 0.999};
    const std::int64_t ts[] = {1, 7, 100, 12345, 1'000'000, 10'000'000};
    for (const double h : hs)
        for (const double c : cs)
            for (const std::int64_t t : ts) {
                const long double expected = literal_share(h, c, t);
                const double got = expected_prize_share(h, c, t);
                EXPECT_NEAR(got / static_cast<double>(expected), 1.0, 1e-9) << "h " << h << " c " << c << " T " << t;
            }
}

TEST(PrizeShare, EdgesNeedNoOtherWinners) {
    EXPECT_EQ(expected_prize_share(3, 0.4, 0), 1.0);
    EXPECT_EQ(expected_prize_share(3, 0.0, 1000), 1.0);
    EXPECT_EQ(expected_prize_share(0, 0.4, 1000), 0.0);
    EXPECT_DOUBLE_EQ(expected_prize_share(2, 1.0, 8), 0.2);
    // Alone against one other ticket that wins half the time: 1/2 · 1 + 1/2 · 1/2.
    EXPECT_DOUBLE_EQ(expected_prize_share(1, 0.5, 1), 0.75);
}

TEST(PrizeShare, MoreOwnBetsTakeMoreButEachLess) {
    double previous = 0, previous_gain = 1;
    for (double h = 1; h <= 200; ++h) {
        const double share = expected_prize_share(h, 2e-4, 500000);
        EXPECT_GT(share, previous);
        EXPECT_LE(share - previous, previous_gain * (1 + 1e-9));
        previous_gain = share - previous;
        previous = share;
    }
}

TEST(PoolRulesText, ReadsTheFullFormAndWritesItBack) {
    const PoolRulesParse parse = parse_pool_rules("tickets=250000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=1000.5");
    ASSERT_TRUE(parse.rules) << parse.error;
    const PoolRules& rules = *parse.rules;
    EXPECT_EQ(rules.tickets, 250000);
    EXPECT_DOUBLE_EQ(rules.payout, 0.65);
    EXPECT_DOUBLE_EQ(rules.tier_share[7], 0.3);
    EXPECT_FALSE(rules.tier_listed[5]);
    EXPECT_EQ(rules.lowest_tier(), 6);
    EXPECT_EQ(rules.jackpot, *Currency::parse("1000.5"));
    EXPECT_EQ(format_pool_rules(rules), "tickets=250000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=1000.5");
    EXPECT_EQ(parse_pool_rules(format_pool_rules(rules)).rules, rules);
    // Keys in any order, blanks around parts, no jackpot.
    const PoolRulesParse loose = parse_pool_rules(" tiers = 2:1 ; payout=1;tickets=0 ");
    ASSERT_TRUE(loose.rules) << loose.error;
    EXPECT_EQ(loose.rules->lowest_tier(), 2);
    EXPECT_EQ(loose.rules->jackpot, Currency());
    EXPECT_EQ(parse_pool_rules("tickets=1;payout=0.5;tiers=").rules->lowest_tier(), 0);
}

TEST(PoolRulesText, RefusesWhatItCannotRead) {
    const char* bad[] = {
        "",
        "tickets=10;payout=0.65",
        "tickets=-1;payout=0.65;tiers=8:1",
        "tickets=1e3;payout=0.65;tiers=8:1",
        "tickets=10;payout=1.5;tiers=8:1",
        "tickets=10;payout=0,65;tiers=8:1",
        "tickets=10;payout=nan;tiers=8:1",
        "tickets=10;payout=0.65;tiers=9:0.5",
        "tickets=10;payout=0.65;tiers=1:0.5",
        "tickets=10;payout=0.65;tiers=8:0.6,7:0.5",
        "tickets=10;payout=0.65;tiers=8:0.5,8:0.1",
        "tickets=10;payout=0.65;tiers=8",
        "tickets=10;payout=0.65;tiers=8:-0.1",
        "tickets=10;payout=0.65;tiers=8:1;jackpot=-5",
        "tickets=10;tickets=11;payout=0.65;tiers=8:1",
        "tickets=10;payout=0.65;tiers=8:1;bonus=3",
        "tickets 10;payout=0.65;tiers=8:1",
    };
    for (const char* text : bad) {
        const PoolRulesParse parse = parse_pool_rules(text);
        EXPECT_FALSE(parse.rules) << text;
        EXPECT_EQ(parse.error.rfind("Правила тотализатора: ", 0), 0U) << text;
    }
}

TEST(PoolRulesText, FundsFollowTheStakesOfEveryoneAndTheJackpot) {
    const PoolRules rules = *parse_pool_rules("tickets=1000;payout=0.5;tiers=8:0.6,6:0.4;jackpot=100").rules;
    const Currency stake = Currency::from_units(2), cost = Currency::from_units(20);
    EXPECT_DOUBLE_EQ(tier_fund(rules, 8, stake, cost), 0.6 * 0.5 * 2020 + 100);
    EXPECT_DOUBLE_EQ(tier_fund(rules, 6, stake, cost), 0.4 * 0.5 * 2020);
    EXPECT_EQ(tier_fund(rules, 7, stake, cost), 0.0);
}

}  // namespace
