// Hit counts of singles and coupons against the results, checked against splitting into singles.
#include <gtest/gtest.h>

#include "core/model/list_operations.h"
#include "core/model/random_source.h"
#include "core/analysis/results_check.h"

using namespace morvalen::core;

namespace {

const DrawResults example_results = *parse_results("1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2").results;

HitCounts counts(std::initializer_list<std::pair<int, std::int64_t>> items) {
    HitCounts c;
    for (const auto& [k, n] : items) c.by_hits[static_cast<std::size_t>(k)] = n;
    return c;
}

}  // namespace

TEST(Results, ParseNeedsEightKnownLabels) {
    const auto parsed = parse_results(" 1:0 ;0:0;2:1;ld;0:1;1:2;3:0;2:2");
    ASSERT_TRUE(parsed.results);
    EXPECT_EQ(parsed.results->columns, (std::array<int, 8>{1, 7, 3, 17, 11, 13, 4, 9}));
    EXPECT_EQ(parse_results("1:0;0:0;2:1;ЛД;0:1;1:2;3:0").error, "нужны результаты всех 8 событий через \";\", получено 7");
    EXPECT_EQ(parse_results("1:0;0:0;2:1;ЛД;0:1;1:2;3:0;2:2;").error, "нужны результаты всех 8 событий через \";\", получено 9");
    EXPECT_EQ(parse_results("1:0;0:0;2:1;4:4;0:1;1:2;3:0;2:2").error,
              "событие 4: \"4:4\" не является исходом (1:0 … 2:3 или ЛД)");
    EXPECT_FALSE(parse_results("1:0;0:0;2:1;;0:1;1:2;3:0;2:2").results);
    EXPECT_FALSE(parse_results("").results);
}

TEST(Results, SinglesAndCouponsSplitTheirHits) {
    EXPECT_EQ(entry_hits(parse_bet_line("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"), example_results).by_hits,
              counts({{8, 1}}).by_hits);
    EXPECT_EQ(entry_hits(parse_bet_line("3.1|1-(2:0);2-(1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"), example_results).by_hits,
              counts({{6, 1}}).by_hits);
    // A coupon of 6: event 1 of 3 outcomes with the result among them, event 2 of 2 without it.
    const BetEntry coupon = parse_bet_line("18.6|1-(1:0,2:0,2:1);2-(1:1,2:2);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    EXPECT_EQ(entry_hits(coupon, example_results).by_hits, counts({{7, 2}, {6, 4}}).by_hits);
    // Both with the result: one single hits all 8.
    const BetEntry both = parse_bet_line("1|1-(1:0,2:0,2:1);2-(0:0,2:2);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    EXPECT_EQ(entry_hits(both, example_results).by_hits, counts({{8, 1}, {7, 3}, {6, 2}}).by_hits);
    // Incomplete or unreadable lines name no bet.
    EXPECT_EQ(entry_hits(parse_bet_line("3.1|1-(1:0);2-(0:0);"), example_results).total(), 0);
    EXPECT_EQ(entry_hits(parse_bet_line("nonsense"), example_results).total(), 0);
    // The whole field of 17^8 combinations is counted without listing them.
    BetEntry all;
    all.bet_count = 6975757441;
    for (OutcomeSet& set : all.outcome_sets) set = OutcomeSet::from_bits(OutcomeSet::all_bits);
    const HitCounts field = entry_hits(all, example_results);
    EXPECT_EQ(field.total(), 6975757441);
    EXPECT_EQ(field.by_hits[8], 1);
    EXPECT_EQ(field.by_hits[0], 4294967296);  // 16^8
}

TEST(Results, CouponsAgreeWithTheirSplitSingles) {
    RandomSource rng(7);
    for (int round = 0; round < 50; ++round) {
        BetEntry coupon;
        coupon.bet_count = 1;
        coupon.amount = Currency::from_units(1);
        for (OutcomeSet& set : coupon.outcome_sets) {
            while (set.size() < 1 + rng.uniform_int(0, 2)) set.add(static_cast<int>(rng.uniform_int(1, 17)));
            coupon.bet_count *= set.size();
        }
        DrawResults results;
        for (int& column : results.columns) column = static_cast<int>(rng.uniform_int(1, 17));
        BetList singles{coupon};
        ASSERT_FALSE(split_into_singles(singles));
        const PackageHits split = package_hits(singles, results);
        EXPECT_EQ(entry_hits(coupon, results).by_hits, split.totals.by_hits);
    }
}

TEST(Results, PackageTotalsAndShares) {
    const BetList list = {
        parse_bet_line("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"),
        parse_bet_line(""),
        parse_bet_line("18.6|1-(1:0,2:0,2:1);2-(1:1,2:2);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#"),
        parse_bet_line("3.1|1-(2:0);2-(1:1);3-(2:2);4-(0:0);5-(1:0);6-(2:1);7-(0:0);8-(1:1)#"),
    };
    const PackageHits hits = package_hits(list, example_results);
    ASSERT_EQ(hits.per_entry.size(), 4U);
    EXPECT_EQ(hits.per_entry[1].total(), 0);
    EXPECT_EQ(hits.totals.by_hits, counts({{8, 1}, {7, 2}, {6, 4}, {0, 1}}).by_hits);
    EXPECT_DOUBLE_EQ(hits.share(8), 0.125);
    EXPECT_DOUBLE_EQ(hits.share(6), 0.5);
    EXPECT_EQ(hits.at_most(5), 1);
    EXPECT_DOUBLE_EQ(hits.share_at_most(5), 0.125);
    EXPECT_EQ(package_hits({}, example_results).share(8), 0.0);
}
