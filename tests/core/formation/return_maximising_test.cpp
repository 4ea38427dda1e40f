// The return-maximising package: never below its starts, its figure the exact expected return,
// the same bets for a seed, and a stop that keeps a whole package.
#include <gtest/gtest.h>

#include "core/formation/condition_space.h"
#include "core/analysis/expected_return.h"
#include "core/formation/return_maximising_package.h"
#include "core/model/session.h"

using namespace morvalen::core;

namespace {

// `marks` outcomes marked in each event; probabilities and pool shares drawn so that some outcomes
// are underrated by the crowd and some overrated.
EventTable random_line(RandomSource& rng, int marks) {
    EventTable table;
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) {
            OutcomeCell& cell = table.cell(e, o);
            cell.setting_probability = Currency::from_units(rng.uniform_int(1, 30));
            cell.pool_probability = Currency::from_units(rng.uniform_int(1, 30));
            cell.mark = o <= marks ? 1 : 0;
        }
    return table;
}

ReturnMaximisingSettings settings_for(std::int64_t bets, std::uint64_t seed) {
    ReturnMaximisingSettings settings;
    settings.bets = bets;
    settings.stake = Currency::from_units(3);
    settings.generator.seed(seed);
    settings.time_budget = std::chrono::milliseconds(600000);
    settings.search_work_limit = 1'500'000;
    // A clock that never moves: the work limit alone ends the search.
    settings.clock = [] { return std::chrono::steady_clock::time_point{}; };
    return settings;
}

BetList staked(BetList bets) {
    for (BetEntry& bet : bets) bet.amount = Currency::from_units(3);
    return bets;
}

const std::function<void(const std::string&)> quiet;

TEST(ReturnMaximising, NeverBelowItsStartsAndItsFigureIsTheExactReturn) {
    RandomSource rng(24);
    const char* rules_texts[] = {"tickets=200000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2", "tickets=5000;payout=0.7;tiers=8:0.7,6:0.3;jackpot=20000",
                                 "tickets=0;payout=0.5;tiers=7:1"};
    for (int round = 0; round < 6; ++round) {
        const EventTable table = random_line(rng, 2);
        const PoolRules rules = *parse_pool_rules(rules_texts[round % 3]).rules;
        const ReturnMaximisingPackage package = return_maximising_package(table, {}, rules, settings_for(10 + 5 * round, 5), quiet, {});
        ASSERT_EQ(package.refusal, "");
        ASSERT_EQ(package.bets.size(), static_cast<std::size_t>(10 + 5 * round));
        EXPECT_GE(package.expected_return, package.best_alone_return * (1 - 1e-12)) << round;
        EXPECT_GE(package.expected_return, package.likeliest_return * (1 - 1e-12)) << round;
        const PackageReturn exact = *expected_return(staked(package.bets), table, rules, Currency::from_units(3)).value;
        EXPECT_NEAR(exact.expected_return, package.expected_return, 1e-9 * exact.expected_return) << round;
    }
}

TEST(ReturnMaximising, TheSameSeedGivesTheSameBets) {
    RandomSource rng(5);
    const EventTable table = random_line(rng, 2);
    const PoolRules rules = *parse_pool_rules("tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2").rules;
    const auto first = return_maximising_package(table, {}, rules, settings_for(20, 9), quiet, {});
    const auto second = return_maximising_package(table, {}, rules, settings_for(20, 9), quiet, {});
    EXPECT_EQ(first.bets, second.bets);
    EXPECT_EQ(first.exchanges, second.exchanges);
}

TEST(ReturnMaximising, AnUnderratedVariantIsWorthASecondBet) {
    // One variant marked: with many others in the pool a second bet on it nearly doubles the take.
    EventTable table;
    for (int e = 1; e <= event_count; ++e) {
        table.cell(e, 1).mark = 1;
        table.cell(e, 1).setting_probability = Currency::from_units(60);
        table.cell(e, 2).setting_probability = Currency::from_units(40);
        table.cell(e, 1).pool_probability = Currency::from_units(50);
        table.cell(e, 2).pool_probability = Currency::from_units(50);
    }
    const PoolRules rules = *parse_pool_rules("tickets=100000;payout=0.65;tiers=8:1").rules;
    const ReturnMaximisingPackage package = return_maximising_package(table, {}, rules, settings_for(3, 1), quiet, {});
    ASSERT_EQ(package.bets.size(), 3U);
    EXPECT_EQ(package.bets[0], package.bets[2]);
}

TEST(ReturnMaximising, EarlierSingleBetsShareTheirPrizes) {
    RandomSource rng(8);
    const EventTable table = random_line(rng, 2);
    const PoolRules rules = *parse_pool_rules("tickets=1000;payout=0.65;tiers=8:0.5,7:0.5").rules;
    const auto first = return_maximising_package(table, {}, rules, settings_for(10, 2), quiet, {});
    BetList earlier = staked(first.bets);
    const auto more = return_maximising_package(table, earlier, rules, settings_for(10, 2), quiet, {});
    BetList all = earlier;
    for (const BetEntry& bet : staked(more.bets)) all.push_back(bet);
    const PackageReturn exact = *expected_return(all, table, rules, Currency::from_units(3)).value;
    EXPECT_NEAR(exact.expected_return, more.expected_return, 1e-9 * exact.expected_return);
}

TEST(ReturnMaximising, AStopKeepsAWholePackage) {
    RandomSource rng(3);
    const EventTable table = random_line(rng, 3);
    const PoolRules rules = *parse_pool_rules("tickets=100000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2").rules;
    std::stop_source stop;
    int captions = 0;
    auto settings = settings_for(60, 4);
    std::chrono::steady_clock::time_point now{};
    settings.clock = [&] { return now += std::chrono::milliseconds(50); };
    const std::function<void(const std::string&)> progress = [&](const std::string& caption) {
        EXPECT_EQ(caption.rfind("Максимум выигрыша: ", 0), 0U);
        if (++captions == 3) stop.request_stop();
    };
    const auto package = return_maximising_package(table, {}, rules, settings, progress, stop.get_token());
    EXPECT_TRUE(package.stopped);
    EXPECT_EQ(captions, 3);
    EXPECT_TRUE(package.bets.empty() || package.bets.size() == 60U);
}

TEST(ReturnMaximising, RefusesWhatItCannotForm) {
    RandomSource rng(1);
    EventTable table = random_line(rng, 2);
    const PoolRules rules = *parse_pool_rules("tickets=10;payout=0.65;tiers=8:1").rules;
    EXPECT_EQ(return_maximising_package(table, {}, rules, settings_for(0, 1), quiet, {}).refusal,
              "Повторять: для максимума выигрыша ожидается число от 1 до 100000");
    const PoolRules low = *parse_pool_rules("tickets=10;payout=0.65;tiers=2:1").rules;
    EXPECT_NE(return_maximising_package(table, {}, low, settings_for(5, 1), quiet, {}).refusal.find("в пределах выигрыша"), std::string::npos);
    for (int o = 1; o <= outcome_count; ++o) table.cell(3, o).pool_probability = Currency();
    EXPECT_EQ(return_maximising_package(table, {}, rules, settings_for(5, 1), quiet, {}).refusal,
              "Событие 3: доли пула всех исходов равны 0, ожидаемый возврат не рассчитывается");
}

TEST(ReturnMaximising, TheSessionAppendsTheBetsAtTheStake) {
    RandomSource rng(2);
    Session session(7);
    session.events = random_line(rng, 2);
    session.settings.repeat_count = 12;
    const PoolRules rules = *parse_pool_rules("tickets=1000;payout=0.65;tiers=8:0.5,7:0.5").rules;
    EXPECT_EQ(form_return_maximising_package(session, rules, {}, std::chrono::milliseconds(60000)), std::nullopt);
    ASSERT_EQ(session.bets.size(), 12U);
    EXPECT_EQ(session.bets[0].amount, session.settings.stake.currency());
}

// Home wins in two to four events, or a draw in none; a yet narrower set passes nothing.
ConditionSet home_wins(int low, int high) {
    ConditionSet set;
    set.enabled = true;
    Condition home;
    home.count_low = low;
    home.count_high = high;
    set.conditions = {home};
    return set;
}

VariantColumns columns_of(const BetEntry& bet) {
    VariantColumns columns{};
    for (int e = 1; e <= event_count; ++e) bet.set(e).for_each_column([&](int c) { columns[static_cast<std::size_t>(e - 1)] = c; });
    return columns;
}

TEST(ReturnMaximising, WithConditionsInForceOnlyPassingVariantsAreChosen) {
    RandomSource rng(31);
    EventTable table = random_line(rng, 0);
    // "1:0" and "0:0" marked in every event: a variant's home wins are its "1:0"s.
    for (int e = 1; e <= event_count; ++e)
        for (int c : {1, 7}) table.cell(e, c).mark = 1;
    const PoolRules rules = *parse_pool_rules("tickets=200000;payout=0.65;tiers=8:0.5,7:0.3,6:0.2").rules;
    ReturnMaximisingSettings settings = settings_for(25, 3);
    settings.search_work_limit = 300'000;
    const ReturnMaximisingPackage free = return_maximising_package(table, {}, rules, settings, quiet, {});
    ASSERT_EQ(free.refusal, "");
    settings.conditions = home_wins(2, 4);
    const ConditionCheck check(settings.conditions, table);
    std::size_t passing_in_free = 0;
    for (const BetEntry& bet : free.bets) passing_in_free += check.passes(columns_of(bet)) ? 1 : 0;
    ASSERT_LT(passing_in_free, free.bets.size()) << "the conditions must bite for the case to say anything";

    const ReturnMaximisingPackage held = return_maximising_package(table, {}, rules, settings, quiet, {});
    ASSERT_EQ(held.refusal, "");
    ASSERT_EQ(held.bets.size(), 25U);
    for (const BetEntry& bet : held.bets) EXPECT_TRUE(check.passes(columns_of(bet))) << format_bet(bet);
    // Its starts are passing packages too, and it is not below them; the free run can only do better.
    EXPECT_GE(held.expected_return, held.best_alone_return * (1 - 1e-12));
    EXPECT_GE(held.expected_return, held.likeliest_return * (1 - 1e-12));
    EXPECT_LE(held.best_alone_return, free.best_alone_return * (1 + 1e-12));
    EXPECT_LE(held.expected_return, free.expected_return * (1 + 1e-9));
    const PackageReturn exact = *expected_return(staked(held.bets), table, rules, Currency::from_units(3)).value;
    EXPECT_NEAR(exact.expected_return, held.expected_return, 1e-9 * exact.expected_return);

    // Switched off, they are not in force and change nothing.
    settings.conditions.enabled = false;
    EXPECT_EQ(return_maximising_package(table, {}, rules, settings, quiet, {}).bets, free.bets);
    // Nothing passes: refused, nothing formed.
    settings.conditions = home_wins(8, 8);
    for (int e = 1; e <= event_count; ++e) table.cell(e, 1).mark = 0;
    const ReturnMaximisingPackage none = return_maximising_package(table, {}, rules, settings, quiet, {});
    EXPECT_EQ(none.refusal, "Ни один вариант по отмеченным исходам не проходит условия");
    EXPECT_TRUE(none.bets.empty());

    // The window's and the batch tool's run takes the session's conditions.
    Session session(7);
    session.events = table;
    for (int e = 1; e <= event_count; ++e) session.events.cell(e, 1).mark = 1;
    session.settings.repeat_count = 10;
    session.conditions = home_wins(2, 4);
    EXPECT_EQ(form_return_maximising_package(session, rules, {}, std::chrono::milliseconds(1000)), std::nullopt);
    ASSERT_EQ(session.bets.size(), 10U);
    for (const BetEntry& bet : session.bets) EXPECT_TRUE(check.passes(columns_of(bet))) << format_bet(bet);
}

}  // namespace
