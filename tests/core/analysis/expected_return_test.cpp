// The expected return against a literal model on tiny lines: every result enumerated, the coupons
// spelled out, the others' winners summed term by term; and the properties a player relies on.
#include <gtest/gtest.h>

#include <cmath>

#include "core/analysis/expected_return.h"
#include "core/model/random_source.h"

using namespace morvalen::core;

namespace {

struct TinyLine {
    EventTable table;
    // Per event the columns with a set probability or a pool share above 0.
    std::array<std::vector<int>, event_count> columns;
};

// Outcomes 1 to `width` of every event get random probabilities and pool shares (some of them 0).
TinyLine random_line(RandomSource& rng, int width) {
    TinyLine line;
    for (int e = 1; e <= event_count; ++e) {
        for (int o = 1; o <= width; ++o) {
            line.table.cell(e, o).setting_probability = Currency::from_units(rng.uniform_int(0, 60));
            line.table.cell(e, o).pool_probability = Currency::from_units(rng.uniform_int(0, 60));
            line.columns[static_cast<std::size_t>(e - 1)].push_back(o);
        }
        line.table.cell(e, 1).setting_probability = Currency::from_units(7);
        line.table.cell(e, 2).pool_probability = Currency::from_units(9);
    }
    return line;
}

BetEntry bet_on(const std::array<int, event_count>& columns, const char* amount = "3.1") {
    BetEntry bet;
    bet.bet_count = 1;
    bet.amount = *Currency::parse(amount);
    for (int e = 0; e < event_count; ++e) bet.outcome_sets[static_cast<std::size_t>(e)].add(columns[static_cast<std::size_t>(e)]);
    return bet;
}

double share_of(const EventTable& table, int e, int o, bool pool) {
    double sum = 0;
    for (int c = 1; c <= outcome_count; ++c)
        sum += static_cast<double>((pool ? table.cell(e, c).pool_probability : table.cell(e, c).setting_probability).ten_thousandths());
    return static_cast<double>((pool ? table.cell(e, o).pool_probability : table.cell(e, o).setting_probability).ten_thousandths()) / sum;
}

template <typename F>
void for_each_combination(const std::array<std::vector<int>, event_count>& columns, F&& f) {
    std::array<int, event_count> at{};
    const auto walk = [&](auto& self, int e) -> void {
        if (e == event_count) return f(at);
        for (const int o : columns[static_cast<std::size_t>(e)]) {
            at[static_cast<std::size_t>(e)] = o;
            self(self, e + 1);
        }
    };
    walk(walk, 0);
}

long double binomial_share(long double h, long double c, std::int64_t tickets) {
    long double sum = 0, choose = 1;
    for (std::int64_t w = 0; w <= tickets; ++w) {
        if (w > 0) choose = choose * static_cast<long double>(tickets - w + 1) / static_cast<long double>(w);
        sum += choose * std::pow(c, static_cast<long double>(w)) * std::pow(1 - c, static_cast<long double>(tickets - w)) * h / (h + static_cast<long double>(w));
    }
    return sum;
}

struct LiteralReturn {
    long double total = 0;
    long double any = 0;
    std::array<long double, event_count + 1> chance{}, amount{};
};

LiteralReturn literal_return(const BetList& list, const TinyLine& line, const PoolRules& rules, Currency stake) {
    long double cost = 0;
    for (const BetEntry& bet : list) cost += bet.amount.to_floating();
    // The package's single bets, coupons spelled out.
    std::vector<std::array<int, event_count>> singles;
    for (const BetEntry& bet : list) {
        if (bet.bet_count == 0) continue;
        std::array<std::vector<int>, event_count> sets;
        for (int e = 0; e < event_count; ++e) bet.outcome_sets[static_cast<std::size_t>(e)].for_each_column([&](int c) { sets[static_cast<std::size_t>(e)].push_back(c); });
        for_each_combination(sets, [&](const std::array<int, event_count>& s) { singles.push_back(s); });
    }
    LiteralReturn out;
    for_each_combination(line.columns, [&](const std::array<int, event_count>& result) {
        long double p = 1;
        for (int e = 0; e < event_count; ++e) p *= share_of(line.table, e + 1, result[static_cast<std::size_t>(e)], false);
        if (p == 0) return;
        // A crowd ticket hits event e with the pool share of the result's outcome, events apart.
        std::array<long double, event_count + 1> crowd{};
        crowd[0] = 1;
        for (int e = 0; e < event_count; ++e) {
            const long double q = share_of(line.table, e + 1, result[static_cast<std::size_t>(e)], true);
            for (int j = event_count; j >= 0; --j)
                crowd[static_cast<std::size_t>(j)] = crowd[static_cast<std::size_t>(j)] * (1 - q) + (j > 0 ? crowd[static_cast<std::size_t>(j - 1)] * q : 0);
        }
        std::array<int, event_count + 1> mine{};
        for (const auto& single : singles) {
            int hits = 0;
            for (int e = 0; e < event_count; ++e) hits += single[static_cast<std::size_t>(e)] == result[static_cast<std::size_t>(e)] ? 1 : 0;
            ++mine[static_cast<std::size_t>(hits)];
        }
        bool any = false;
        for (int k = 2; k <= event_count; ++k) {
            const auto at = static_cast<std::size_t>(k);
            if (!rules.tier_listed[at] || mine[at] == 0) continue;
            long double fund = rules.tier_share[at] * rules.payout * (stake.to_floating() * rules.tickets + cost);
            if (k == 8) fund += rules.jackpot.to_floating();
            const long double amount = fund * binomial_share(mine[at], crowd[at], rules.tickets);
            out.chance[at] += p;
            out.amount[at] += p * amount;
            out.total += p * amount;
            any = true;
        }
        if (any) out.any += p;
    });
    return out;
}

std::array<int, event_count> random_columns(RandomSource& rng, int width) {
    std::array<int, event_count> columns{};
    for (int& c : columns) c = static_cast<int>(rng.uniform_int(1, width));
    return columns;
}

void expect_close(double got, long double expected, const std::string& what) {
    EXPECT_NEAR(got, static_cast<double>(expected), 1e-12 * static_cast<double>(std::max(1.0L, std::fabs(expected)))) << what;
}

TEST(ExpectedReturn, AgreesWithTheLiteralModelOnTinyLines) {
    RandomSource rng(24);
    const char* rules_texts[] = {
        "tickets=0;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=0",
        "tickets=13;payout=0.65;tiers=8:0.5,7:0.3,6:0.2;jackpot=250",
        "tickets=40;payout=0.8;tiers=8:0.4,5:0.35,3:0.25",
        "tickets=7;payout=1;tiers=2:1",
    };
    for (int round = 0; round < 12; ++round) {
        const TinyLine line = random_line(rng, round % 3 == 0 ? 2 : 3);
        const PoolRules rules = *parse_pool_rules(rules_texts[round % 4]).rules;
        BetList list;
        const int bets = 1 + static_cast<int>(rng.uniform_int(0, 5));
        for (int b = 0; b < bets; ++b) list.push_back(bet_on(random_columns(rng, 3)));
        if (round % 2 == 1) list.push_back(list.front());  // a repeat shares with its twin
        if (round % 3 == 1) {
            BetEntry coupon = bet_on(random_columns(rng, 3), "12.4");
            coupon.set(2).add(coupon.set(2).contains(1) ? 2 : 1);
            coupon.set(6).add(3);
            coupon.bet_count = coupon.set(2).size() * coupon.set(6).size();
            list.push_back(coupon);
        }
        const Currency stake = *Currency::parse("2.5");
        const ReturnReport report = expected_return(list, line.table, rules, stake);
        ASSERT_TRUE(report.value) << report.refusal;
        const PackageReturn& value = *report.value;
        const LiteralReturn expected = literal_return(list, line, rules, stake);
        const std::string where = "round " + std::to_string(round);
        EXPECT_TRUE(value.exact);
        expect_close(value.expected_return, expected.total, where + " return");
        expect_close(value.any_prize, expected.any, where + " any prize");
        for (int k = 2; k <= event_count; ++k) {
            expect_close(value.tier_chance[static_cast<std::size_t>(k)], expected.chance[static_cast<std::size_t>(k)], where + " chance " + std::to_string(k));
            expect_close(value.tier_amount[static_cast<std::size_t>(k)], expected.amount[static_cast<std::size_t>(k)], where + " amount " + std::to_string(k));
        }
        long double cost = 0;
        for (const BetEntry& bet : list) cost += bet.amount.to_floating();
        EXPECT_NEAR(value.return_ratio, static_cast<double>(expected.total / cost), 1e-12);
    }
}

// Every outcome of the first `width` columns is possible and played.
EventTable even_line(int width) {
    EventTable table;
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= width; ++o) {
            table.cell(e, o).setting_probability = Currency::from_units(10 + o);
            table.cell(e, o).pool_probability = Currency::from_units(30 - o);
        }
    return table;
}

const PoolRules top_three = *parse_pool_rules("tickets=5000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2").rules;

TEST(ExpectedReturn, TwoBetsOnOneVariantShareTheirPrize) {
    const EventTable table = even_line(5);
    const BetEntry bet = bet_on({1, 2, 3, 4, 5, 1, 2, 3});
    const BetEntry free_twin = bet_on({1, 2, 3, 4, 5, 1, 2, 3}, "0");
    const PoolRules alone = *parse_pool_rules("tickets=0;payout=0.65;tiers=8:0.5,7:0.3,6:0.2").rules;
    const double one = expected_return({bet}, table, alone, Currency::from_units(3)).value->expected_return;
    // With no one else in the pool the twin takes only what its first bet would have had.
    EXPECT_NEAR(expected_return({bet, free_twin}, table, alone, Currency::from_units(3)).value->expected_return, one, 1e-12 * one);
    // With others in it the twin wins back part of what they would take, never a second prize.
    const double single = expected_return({bet}, table, top_three, Currency::from_units(3)).value->expected_return;
    const double twins = expected_return({bet, free_twin}, table, top_three, Currency::from_units(3)).value->expected_return;
    EXPECT_GT(twins, single);
    EXPECT_LT(twins, 2 * single);
}

TEST(ExpectedReturn, AVariantNobodyElsePlaysWinsTheWholeTier) {
    EventTable table = even_line(4);
    table.cell(1, 3).pool_probability = Currency();  // no other ticket names this outcome
    const BetEntry bet = bet_on({3, 1, 2, 4, 1, 2, 3, 4});
    const PoolRules rules = *parse_pool_rules("tickets=100000;payout=0.7;tiers=8:0.6,7:0.4;jackpot=5000").rules;
    const PackageReturn value = *expected_return({bet}, table, rules, Currency::from_units(2)).value;
    double p = 1;
    for (int e = 1; e <= event_count; ++e) p *= share_of(table, e, bet.set(e).first_column(), false);
    EXPECT_NEAR(value.tier_chance[8], p, 1e-15);
    EXPECT_NEAR(value.tier_amount[8], p * value.tier_fund[8], 1e-12 * p * value.tier_fund[8]);
    EXPECT_DOUBLE_EQ(value.tier_fund[8], 0.6 * 0.7 * (2 * 100000 + 3.1) + 5000);
    // The 7-hit tier is shared: the crowd reaches it through the other events.
    EXPECT_LT(value.tier_amount[7], value.tier_chance[7] * value.tier_fund[7]);
}

TEST(ExpectedReturn, MoreBetsNeverLowerTheExpectedPrizeOfAFund) {
    RandomSource rng(7);
    const EventTable table = even_line(6);
    BetList list;
    PackageReturn before = *expected_return(list, table, top_three, Currency::from_units(3)).value;
    for (int b = 0; b < 12; ++b) {
        list.push_back(bet_on(random_columns(rng, 6), "0"));  // free, so the funds stay as they are
        const PackageReturn after = *expected_return(list, table, top_three, Currency::from_units(3)).value;
        for (int k = 6; k <= 8; ++k) {
            EXPECT_GE(after.tier_amount[static_cast<std::size_t>(k)], before.tier_amount[static_cast<std::size_t>(k)]);
            EXPECT_GE(after.tier_chance[static_cast<std::size_t>(k)], before.tier_chance[static_cast<std::size_t>(k)]);
        }
        before = after;
    }
}

TEST(ExpectedReturn, WithNoOtherTicketsThePlayerTakesEveryFundHeHits) {
    RandomSource rng(3);
    const EventTable table = even_line(4);
    BetList list;
    for (int b = 0; b < 30; ++b) list.push_back(bet_on(random_columns(rng, 4)));
    const PoolRules rules = *parse_pool_rules("tickets=0;payout=0.9;tiers=8:0.4,7:0.3,6:0.2,5:0.1;jackpot=77").rules;
    const PackageReturn value = *expected_return(list, table, rules, Currency::from_units(3)).value;
    double sum = 0;
    for (int k = 5; k <= 8; ++k) {
        const auto at = static_cast<std::size_t>(k);
        EXPECT_NEAR(value.tier_amount[at], value.tier_chance[at] * value.tier_fund[at], 1e-12 * value.tier_fund[at]);
        sum += value.tier_amount[at];
    }
    EXPECT_NEAR(value.expected_return, sum, 1e-12 * sum);
    EXPECT_NEAR(value.return_ratio, value.expected_return / 93, 1e-15);
}

TEST(ExpectedReturn, ACouponIsWorthItsSingleBets) {
    const EventTable table = even_line(5);
    BetEntry coupon = bet_on({1, 2, 3, 4, 5, 1, 2, 3}, "12.4");
    coupon.set(2).add(4);
    coupon.set(7).add(5);
    coupon.bet_count = 4;
    const BetList singles = {bet_on({1, 2, 3, 4, 5, 1, 2, 3}), bet_on({1, 4, 3, 4, 5, 1, 2, 3}), bet_on({1, 2, 3, 4, 5, 1, 5, 3}),
                             bet_on({1, 4, 3, 4, 5, 1, 5, 3})};
    const PackageReturn a = *expected_return({coupon}, table, top_three, Currency::from_units(3)).value;
    const PackageReturn b = *expected_return(singles, table, top_three, Currency::from_units(3)).value;
    EXPECT_EQ(a.cost, b.cost);
    EXPECT_NEAR(a.expected_return, b.expected_return, 1e-12 * b.expected_return);
    EXPECT_NEAR(a.any_prize, b.any_prize, 1e-15);
}

TEST(ExpectedReturn, TheEstimateBeyondTheLimitsAgreesWithTheSum) {
    RandomSource rng(11);
    const EventTable table = even_line(3);
    BetList list;
    for (int b = 0; b < 40; ++b) list.push_back(bet_on(random_columns(rng, 3)));
    const PoolRules rules = *parse_pool_rules("tickets=2000;payout=0.65;tiers=8:0.4,7:0.3,6:0.2,5:0.1").rules;
    const PackageReturn exact = *expected_return(list, table, rules, Currency::from_units(3)).value;
    ReturnOptions options;
    options.held_pair_limit = 100;
    options.samples = 40000;
    const PackageReturn estimate = *expected_return(list, table, rules, Currency::from_units(3), options).value;
    ASSERT_TRUE(exact.exact);
    ASSERT_FALSE(estimate.exact);
    EXPECT_EQ(estimate.samples, 40000U);
    EXPECT_GT(estimate.return_error, 0);
    EXPECT_NEAR(estimate.expected_return, exact.expected_return, 5 * estimate.return_error);
    EXPECT_NEAR(estimate.any_prize, exact.any_prize, 5 * estimate.any_prize_error);
    for (int k = 5; k <= 8; ++k)
        EXPECT_NEAR(estimate.tier_chance[static_cast<std::size_t>(k)], exact.tier_chance[static_cast<std::size_t>(k)],
                    5 * estimate.tier_chance_error[static_cast<std::size_t>(k)] + 1e-12);
}

TEST(ExpectedReturn, RefusesSharesItCannotUseAndPaysNothingWithoutTiers) {
    EventTable table = even_line(3);
    const BetList list = {bet_on({1, 1, 1, 1, 1, 1, 1, 1})};
    EXPECT_EQ(expected_return(list, table, *parse_pool_rules("tickets=5;payout=0.5;tiers=").rules, Currency::from_units(3)).value->expected_return, 0);
    for (int o = 1; o <= outcome_count; ++o) table.cell(4, o).pool_probability = Currency();
    const ReturnReport no_pool = expected_return(list, table, top_three, Currency::from_units(3));
    EXPECT_FALSE(no_pool.value);
    EXPECT_EQ(no_pool.refusal, "Событие 4: доли пула всех исходов равны 0, ожидаемый возврат не рассчитывается");
    table = even_line(3);
    for (int o = 1; o <= outcome_count; ++o) table.cell(2, o).setting_probability = Currency();
    EXPECT_EQ(expected_return(list, table, top_three, Currency::from_units(3)).refusal,
              "Событие 2: вероятности всех исходов равны 0, ожидаемый возврат не рассчитывается");
}

}  // namespace
