// Chances of a package: the merged enumeration against brute force and against sampling.
#include <gtest/gtest.h>

#include <cmath>

#include "core/analysis/package_chances.h"
#include "core/model/random_source.h"

using namespace morvalen::core;

namespace {

// Probabilities in whole percents per event; columns not listed get 0.
EventTable table_with(const std::vector<std::vector<std::pair<int, int>>>& events) {
    EventTable table;
    for (int e = 1; e <= event_count; ++e)
        for (const auto& [column, percent] : events[static_cast<std::size_t>(e - 1)])
            table.cell(e, column).setting_probability = Currency::from_units(percent);
    return table;
}

BetEntry random_entry(RandomSource& rng, int max_extra, int columns) {
    BetEntry entry;
    entry.bet_count = 1;
    for (OutcomeSet& set : entry.outcome_sets) {
        const int size = 1 + static_cast<int>(rng.uniform_int(0, max_extra));
        while (set.size() < size) set.add(static_cast<int>(rng.uniform_int(1, columns)));
        entry.bet_count *= set.size();
    }
    return entry;
}

// Every combination of the outcomes with a non-zero probability, each bet's hits counted directly.
std::array<double, 9> brute_force(const BetList& list, const EventTable& table) {
    std::array<std::vector<std::pair<int, double>>, 8> outcomes;
    for (int e = 1; e <= 8; ++e) {
        double sum = 0;
        for (int o = 1; o <= 17; ++o) sum += static_cast<double>(table.cell(e, o).setting_probability.ten_thousandths());
        for (int o = 1; o <= 17; ++o)
            if (table.cell(e, o).setting_probability.ten_thousandths() > 0)
                outcomes[e - 1].push_back({o, static_cast<double>(table.cell(e, o).setting_probability.ten_thousandths()) / sum});
    }
    std::array<double, 9> by_max{};
    std::array<std::size_t, 8> pick{};
    while (true) {
        double probability = 1;
        for (int e = 0; e < 8; ++e) probability *= outcomes[e][pick[e]].second;
        int best = 0;
        for (const BetEntry& entry : list) {
            int hits = 0;
            for (int e = 0; e < 8; ++e) hits += entry.outcome_sets[e].contains(outcomes[e][pick[e]].first) ? 1 : 0;
            best = std::max(best, hits);
        }
        by_max[best] += probability;
        int e = 0;
        while (e < 8 && ++pick[e] == outcomes[e].size()) pick[e++] = 0;
        if (e == 8) break;
    }
    std::array<double, 9> at_least{};
    double tail = 0;
    for (int k = 8; k >= 0; --k) at_least[k] = tail += by_max[k];
    return at_least;
}

}  // namespace

TEST(PackageChances, ExactAgreesWithBruteForce) {
    // Events 1 to 4 give five outcomes a chance, of which bets name only some; the rest merge.
    const std::vector<std::pair<int, int>> wide = {{1, 30}, {2, 25}, {3, 20}, {7, 15}, {17, 10}};
    const std::vector<std::pair<int, int>> narrow = {{1, 60}, {2, 40}};
    const EventTable table = table_with({wide, wide, wide, wide, narrow, narrow, narrow, narrow});
    RandomSource rng(3);
    for (int round = 0; round < 4; ++round) {
        BetList list;
        for (int i = 0; i < 5 + 20 * round; ++i) list.push_back(random_entry(rng, round % 2, 3));
        list.push_back(parse_bet_line("nonsense"));
        const auto report = package_chances(list, table);
        ASSERT_TRUE(report.chances) << report.refusal;
        const auto expected = brute_force(list, table);
        EXPECT_TRUE(report.chances->exact);
        EXPECT_LE(report.chances->merged_space, 4U * 4 * 4 * 4 * 2 * 2 * 2 * 2);
        for (int k = 0; k <= 8; ++k) EXPECT_NEAR(report.chances->at_least[k], expected[k], 1e-12) << "k=" << k;
    }
}

TEST(PackageChances, ExpectedFullHitsAndTrivialCases) {
    EventTable table;
    for (int e = 1; e <= 8; ++e)
        for (int o = 1; o <= 17; ++o) table.cell(e, o).setting_probability = *Currency::parse("5.8824");
    const BetEntry single = parse_bet_line("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    const BetEntry coupon = parse_bet_line("6.2|1-(1:0,2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
    const auto report = package_chances({single, coupon}, table);
    ASSERT_TRUE(report.chances);
    EXPECT_NEAR(report.chances->expected_full_hits, 3 * std::pow(1.0 / 17, 8), 1e-20);
    EXPECT_NEAR(report.chances->at_least[8], 2 * std::pow(1.0 / 17, 8), 1e-20);
    EXPECT_DOUBLE_EQ(report.chances->at_least[0], 1.0);
    EXPECT_EQ(report.chances->bets_considered, 2);

    // One outcome certain in every event: the bet naming them all hits 8 for sure.
    EventTable certain;
    for (int e = 1; e <= 8; ++e) certain.cell(e, 1).setting_probability = Currency::from_units(3);
    const auto sure = package_chances({parse_bet_line("1|1-(1:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#")}, certain);
    ASSERT_TRUE(sure.chances);
    EXPECT_DOUBLE_EQ(sure.chances->at_least[8], 1.0);
    EXPECT_DOUBLE_EQ(sure.chances->expected_full_hits, 1.0);

    const auto empty = package_chances({parse_bet_line("3.1|1-(1:0);")}, table);
    ASSERT_TRUE(empty.chances);
    EXPECT_EQ(empty.chances->bets_considered, 0);
    EXPECT_EQ(empty.chances->at_least[2], 0.0);
}

TEST(PackageChances, RefusesUnusableProbabilities) {
    EventTable table;
    for (int e = 1; e <= 8; ++e) table.cell(e, 5).setting_probability = Currency::from_units(1);
    table.cell(6, 5).setting_probability = Currency();
    auto report = package_chances({}, table);
    EXPECT_FALSE(report.chances);
    EXPECT_EQ(report.refusal, "Событие 6: вероятности всех исходов равны 0, шансы пакета не рассчитываются");
    table.cell(6, 5).setting_probability = Currency::from_units(1);
    table.cell(2, 17).setting_probability = Currency::from_units(-1);
    report = package_chances({}, table);
    EXPECT_EQ(report.refusal, "Событие 2: отрицательная вероятность исхода ЛД, шансы пакета не рассчитываются");
}

TEST(PackageChances, SamplingEstimateAgreesWithExact) {
    EventTable table;
    RandomSource rng(11);
    for (int e = 1; e <= 8; ++e)
        for (int o = 1; o <= 17; ++o) table.cell(e, o).setting_probability = Currency::from_units(1 + rng.uniform_int(0, 20));
    BetList list;
    for (int i = 0; i < 200; ++i) list.push_back(random_entry(rng, 1, 4));
    const auto exact = package_chances(list, table);
    ASSERT_TRUE(exact.chances);
    ASSERT_TRUE(exact.chances->exact);
    ChanceOptions sampled_options;
    sampled_options.exact_work_limit = 0;
    sampled_options.samples = 40000;
    sampled_options.seed = 5;
    const auto sampled = package_chances(list, table, sampled_options);
    ASSERT_TRUE(sampled.chances);
    EXPECT_FALSE(sampled.chances->exact);
    EXPECT_EQ(sampled.chances->samples, 40000U);
    for (int k = 2; k <= 8; ++k) {
        const double error = sampled.chances->standard_error[k];
        EXPECT_NEAR(sampled.chances->at_least[k], exact.chances->at_least[k], 5 * error + 1e-3) << "k=" << k;
    }
    EXPECT_GT(exact.chances->at_least[5], 0.01);
    // The same seed gives the same estimate.
    EXPECT_EQ(package_chances(list, table, sampled_options).chances->at_least, sampled.chances->at_least);
    EXPECT_DOUBLE_EQ(sampled.chances->expected_full_hits, exact.chances->expected_full_hits);
    // A package too large for the requested draws gets fewer, never below the floor.
    sampled_options.sample_work_limit = 1000;
    sampled_options.min_samples = 300;
    EXPECT_EQ(package_chances(list, table, sampled_options).chances->samples, 300U);
}
