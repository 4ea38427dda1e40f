// The value of outcomes and bets: a coupon's extremes against its single bets spelled out, and the
// ratings the grid tints by.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/analysis/crowd_value.h"
#include "core/model/random_source.h"

using namespace morvalen::core;

namespace {

// Every single bet of the entry: the value of each as the product of probabilities over the
// product of shares.
void each_single_value(const BetEntry& entry, const CrowdValues& values, int e, double p, double c, double& low, double& high) {
    if (e > event_count) {
        const double value = bet_value(p, c);
        low = std::min(low, value);
        high = std::max(high, value);
        return;
    }
    entry.set(e).for_each_column([&](int o) {
        each_single_value(entry, values, e + 1, p * values.probability[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(o - 1)],
                          c * values.crowd[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(o - 1)], low, high);
    });
}

TEST(CrowdValue, ACouponsRangeIsTheLowestAndHighestOfItsSingleBets) {
    RandomSource rng(11);
    for (int round = 0; round < 300; ++round) {
        EventTable table;
        for (int e = 1; e <= event_count; ++e)
            for (int o = 1; o <= 4; ++o) {
                // Zero shares now and then: a bet on an outcome nobody plays is worth infinitely much.
                table.cell(e, o).setting_probability = Currency::from_units(rng.uniform_int(0, 9));
                table.cell(e, o).pool_probability = Currency::from_units(rng.uniform_int(0, round % 3 == 0 ? 9 : 3) > 0 ? rng.uniform_int(1, 9) : 0);
            }
        const CrowdValues values = crowd_values(table);
        BetEntry entry;
        entry.bet_count = 1;
        for (int e = 1; e <= event_count; ++e) {
            entry.set(e).add(static_cast<int>(rng.uniform_int(1, 4)));
            if (rng.uniform_int(0, 2) == 0) entry.set(e).add(static_cast<int>(rng.uniform_int(1, 4)));
        }
        double low = std::numeric_limits<double>::infinity();
        double high = 0;
        each_single_value(entry, values, 1, 1, 1, low, high);
        const auto range = entry_value_range(entry, values);
        ASSERT_TRUE(range);
        if (std::isinf(low)) EXPECT_TRUE(std::isinf(range->lowest)) << round;
        else EXPECT_NEAR(range->lowest, low, 1e-9 * std::max(1.0, low)) << round;
        if (std::isinf(high)) EXPECT_TRUE(std::isinf(range->highest)) << round;
        else EXPECT_NEAR(range->highest, high, 1e-9 * std::max(1.0, high)) << round;
    }
    // An entry without single bets has no value.
    BetEntry empty;
    empty.bet_count = 1;
    EXPECT_FALSE(entry_value_range(empty, crowd_values(EventTable{})));
}

TEST(CrowdValue, OutcomesWellAboveOrBelowTheirPoolShareAreRated) {
    EventTable table;
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= 4; ++o) table.cell(e, o).pool_probability = Currency::from_units(25);
    // Event 1: 40 % against a quarter of the pool, 25 % against a quarter, 20 % and 15 % against a quarter.
    const int probabilities[4] = {40, 25, 20, 15};
    for (int o = 1; o <= 4; ++o) table.cell(1, o).setting_probability = Currency::from_units(probabilities[o - 1]);
    table.cell(1, 5).setting_probability = Currency::from_units(0);
    const CrowdValues values = crowd_values(table);
    EXPECT_DOUBLE_EQ(outcome_value(values, 1, 1), 1.6);
    EXPECT_EQ(crowd_rating(values, 1, 1), CrowdRating::underrated);
    EXPECT_EQ(crowd_rating(values, 1, 2), CrowdRating::fair);
    // 0.8 exactly is overrated, at the default bound.
    EXPECT_EQ(crowd_rating(values, 1, 3), CrowdRating::overrated);
    EXPECT_EQ(crowd_rating(values, 1, 4), CrowdRating::overrated);
    // Neither a probability nor a share: nothing to say.
    EXPECT_EQ(crowd_rating(values, 1, 5), CrowdRating::fair);
    // Played by nobody but possible: underrated without bound.
    table.cell(2, 9).setting_probability = Currency::from_units(5);
    EXPECT_EQ(crowd_rating(crowd_values(table), 2, 9), CrowdRating::underrated);
    EXPECT_TRUE(std::isinf(outcome_value(crowd_values(table), 2, 9)));
    // The bounds are the caller's.
    EXPECT_EQ(crowd_rating(values, 1, 1, {2.0, 0.5}), CrowdRating::fair);
    EXPECT_EQ(crowd_rating(values, 1, 4, {2.0, 0.5}), CrowdRating::fair);
}

}  // namespace
