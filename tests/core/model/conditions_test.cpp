// Conditions against a literal reading: the file, the cost table, the filter and the formations inside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "core/formation/autoformation.h"
#include "core/formation/best_chances.h"
#include "core/analysis/condition_costs.h"
#include "core/formats/condition_file.h"
#include "core/formation/condition_filter.h"
#include "core/formation/random_distribution.h"
#include "core/model/session.h"
#include "../formation_test_support.h"
#include "../literal_conditions.h"

using namespace morvalen::core;
using morvalen::test::Columns;
using morvalen::test::for_each_marked_variant;
using morvalen::test::literal_keeps;
using morvalen::test::literal_passes;
using morvalen::test::literal_probability;

namespace {

ConditionSet read_ok(const std::string& text) {
    const ConditionFileRead read = read_condition_file(text);
    EXPECT_TRUE(read.set) << read.error;
    return read.set.value_or(ConditionSet{});
}

// A small random line: 1 to 3 marks per event, probabilities with ties, pool shares with zeros.
EventTable random_line(std::mt19937_64& rng, std::int64_t max_variants) {
    EventTable t;
    std::uniform_int_distribution<int> pick(0, 99);
    std::int64_t variants = 1;
    for (int e = 1; e <= 8; ++e) {
        int count = 1 + pick(rng) % 3;
        while (variants * count > max_variants) --count;
        variants *= count;
        std::vector<int> columns(17);
        for (int i = 0; i < 17; ++i) columns[static_cast<std::size_t>(i)] = i + 1;
        std::shuffle(columns.begin(), columns.end(), rng);
        for (int i = 0; i < count; ++i) {
            t.cell(e, columns[static_cast<std::size_t>(i)]).mark = 1;
            t.cell(e, columns[static_cast<std::size_t>(i)]).yellow_mark = pick(rng) < 30 ? 1 : 0;
        }
        for (int c = 1; c <= 17; ++c) {
            t.cell(e, c).setting_probability = Currency::from_ten_thousandths(10000 * (1 + pick(rng) % 12));
            t.cell(e, c).pool_probability = Currency::from_ten_thousandths(pick(rng) < 15 ? 0 : 10000 * (1 + pick(rng) % 9));
        }
    }
    return t;
}

// Conditions whose bounds fall among the variants' own figures, so that each keeps some and not all.
ConditionSet random_set(std::mt19937_64& rng, const EventTable& t) {
    std::uniform_int_distribution<int> pick(0, 99);
    std::vector<Columns> variants;
    for_each_marked_variant(t, [&](const Columns& v) { variants.push_back(v); });
    const auto some = [&] { return variants[static_cast<std::size_t>(pick(rng)) % variants.size()]; };
    ConditionSet set;
    set.enabled = true;
    set.allowed_errors = pick(rng) % 4;
    const int n = 1 + pick(rng) % 5;
    for (int i = 0; i < n; ++i) {
        Condition k;
        k.on = pick(rng) < 85;
        k.kind = static_cast<ConditionKind>(pick(rng) % 4);
        if (k.kind == ConditionKind::count) {
            k.group = static_cast<CountGroup>(pick(rng) % 8);
            if (k.group == CountGroup::cells)
                for (int e = 1; e <= 8; ++e)
                    for (int c = 1; c <= 17; ++c)
                        if (pick(rng) < 40) k.cells[static_cast<std::size_t>(e - 1)].add(c);
            k.count_low = pick(rng) % 4;
            if (pick(rng) < 25) k.count_high.reset();
            else k.count_high = k.count_low + pick(rng) % 5;
        } else {
            const auto figure = [&](const Columns& v) {
                double p = 1, q = 1;
                for (int e = 1; e <= 8; ++e) {
                    p *= morvalen::test::literal_share(t, e, v[static_cast<std::size_t>(e - 1)], false);
                    q *= morvalen::test::literal_share(t, e, v[static_cast<std::size_t>(e - 1)], true);
                }
                if (k.kind == ConditionKind::probability) return p * 100;
                if (k.kind == ConditionKind::popularity) return q * 100;
                return q > 0 ? p / q : 1e300;
            };
            double a = figure(some()) * 1.0000001;
            double b = figure(some()) * 1.0000001;
            if (a > b) std::swap(a, b);
            k.low = pick(rng) < 20 ? 0 : a;
            if (pick(rng) < 20) k.high.reset();
            else k.high = b;
        }
        set.conditions.push_back(k);
    }
    return set;
}

TEST(ConditionFile, ReadsEveryKindAndWritesItBack) {
    const ConditionSet set = read_ok(
        "\xEF\xBB\xBF# Лишь бы не разгром\n"
        "errors 1\n"
        "\n"
        "count 0 2 away   # at most two away wins\n"
        "count\t1\t*\tdraws\n"
        "count 0 3 *-(0:0,1:1);3-(2:1,ЛД)\n"
        "probability 0.0001 *\n"
        "popularity 0 0.05\n"
        "value 1.5 -2\n"
        "count 2 8 crowd-favourite\r\n");
    ASSERT_EQ(set.conditions.size(), 7u);
    EXPECT_EQ(set.allowed_errors, 1);
    EXPECT_TRUE(set.enabled);
    EXPECT_EQ(set.conditions[1].count_high, std::nullopt);
    EXPECT_EQ(set.conditions[1].group, CountGroup::draws);
    EXPECT_EQ(set.conditions[2].cells[0].bits(), column_bit(7) | column_bit(8));
    EXPECT_EQ(set.conditions[2].cells[2].bits(), column_bit(7) | column_bit(8) | column_bit(3) | column_bit(17));
    EXPECT_EQ(set.conditions[3].kind, ConditionKind::probability);
    EXPECT_EQ(set.conditions[3].high, std::nullopt);
    EXPECT_DOUBLE_EQ(set.conditions[5].high.value(), -2);
    EXPECT_EQ(set.conditions[6].group, CountGroup::crowd_favourite);

    ConditionSet with_off = set;
    with_off.conditions[4].on = false;
    const std::string text = write_condition_file(with_off);
    EXPECT_NE(text.find("#выкл popularity 0 0.05\n"), std::string::npos) << text;
    EXPECT_EQ(read_ok(text), with_off);
}

TEST(ConditionFile, RefusesWithTheLineAndWhatWasExpected) {
    const std::map<std::string, std::string> refusals = {
        {"count 0 2 away\nshare 1 2\n", "строка 2: ожидается errors, count, probability, popularity или value"},
        {"\n\ncount 0 9 away\n", "строка 3: ожидается целое HI от 0 до 8 или *, получено \"9\""},
        {"count 0 2\n", "строка 1: ожидается \"count LO HI GROUP\""},
        {"count 0 2 away home\n", "строка 1: лишние слова"},
        {"count 0 2 9-(1:0)\n", "строка 1: ожидается группа"},
        {"count 0 2 1-(4:4)\n", "строка 1: ожидается группа"},
        {"count 0 2 1-()\n", "строка 1: ожидается группа"},
        {"probability 0,5 1\n", "строка 1: ожидается число LO с точкой, получено \"0,5\""},
        {"value 1 1e3\n", "строка 1: ожидается число HI с точкой или *"},
        {"popularity *\n", "строка 1: ожидается \"popularity LO HI\""},
        {"errors -1\n", "строка 1: ожидается число допустимых ошибок"},
        {"errors 1\nerrors 2\n", "строка 2: ожидается одна строка errors"},
    };
    for (const auto& [text, expected] : refusals) {
        const ConditionFileRead read = read_condition_file(text);
        EXPECT_FALSE(read.set) << text;
        EXPECT_EQ(read.error.rfind(expected, 0), 0u) << text << " gave " << read.error;
    }
    std::string many;
    for (std::size_t i = 0; i <= condition_limit; ++i) many += "count 0 8 home\n";
    EXPECT_NE(read_condition_file(many).error.find("строка 65"), std::string::npos);
    // A comment that only looks like a switched-off condition is a comment.
    EXPECT_TRUE(read_ok("#выкл это не условие\n").conditions.empty());
}

TEST(ConditionCheck, RangesAreInclusiveAndValueIsInfiniteWithoutPool) {
    EventTable t;
    morvalen::test::mark_first(t, {2, 1, 1, 1, 1, 1, 1, 1});
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= 17; ++c) {
            t.cell(e, c).setting_probability = Currency::from_units(c <= 2 ? 50 : 0);
            t.cell(e, c).pool_probability = Currency::from_units(c == 1 ? 100 : 0);
        }
    // Variant 1:0 everywhere: probability 0.5^8 = 0.390625 %, popularity 100 %, value 0.00390625.
    const Columns first{1, 1, 1, 1, 1, 1, 1, 1};
    const Columns second{2, 1, 1, 1, 1, 1, 1, 1};
    const auto passes = [&](const std::string& line, const Columns& v) {
        return ConditionCheck(read_ok(line), t).passes(v);
    };
    EXPECT_TRUE(passes("probability 0.390625 0.390625", first));
    EXPECT_FALSE(passes("probability 0.3907 *", first));
    EXPECT_TRUE(passes("count 8 8 home", first));
    EXPECT_TRUE(passes("count 7 * favourite", first));
    EXPECT_TRUE(passes("count 8 8 favourite", second));  // both 50 % outcomes are favourites
    EXPECT_TRUE(passes("count 0 7 crowd-favourite", second));
    EXPECT_TRUE(passes("value 0.00390625 0.00390625", first));
    EXPECT_TRUE(passes("value 1000 *", second));   // pool share 0: infinitely valuable
    EXPECT_FALSE(passes("value 0 1000000", second));
    EXPECT_TRUE(passes("popularity 0 0", second));
    // All set probabilities 0 in an event: a rule on them cannot be applied.
    for (int c = 1; c <= 17; ++c) t.cell(4, c).setting_probability = Currency();
    EXPECT_NE(ConditionCheck(read_ok("probability 0 *"), t).refusal().find("Событие 4"), std::string::npos);
    EXPECT_TRUE(ConditionCheck(read_ok("popularity 0 *"), t).refusal().empty());
}

TEST(ConditionCosts, AgreeWithCountingByHand) {
    std::mt19937_64 rng(23);
    for (int round = 0; round < 60; ++round) {
        const EventTable t = random_line(rng, 200);
        const ConditionSet set = random_set(rng, t);
        const CostTable costs = condition_costs(t, set);
        ASSERT_TRUE(costs.refusal.empty());
        std::vector<std::int64_t> kept(set.conditions.size(), 0);
        std::vector<double> mass(set.conditions.size(), 0);
        std::int64_t set_kept = 0, marked = 0;
        double set_mass = 0, marked_mass = 0;
        for_each_marked_variant(t, [&](const Columns& v) {
            const double p = literal_probability(t, v) * 100;
            ++marked;
            marked_mass += p;
            for (std::size_t j = 0; j < set.conditions.size(); ++j)
                if (literal_keeps(set.conditions[j], t, v)) ++kept[j], mass[j] += p;
            if (literal_passes(set, t, v)) ++set_kept, set_mass += p;
        });
        ASSERT_EQ(costs.conditions.size(), set.conditions.size());
        EXPECT_EQ(costs.marked_variants, marked);
        EXPECT_NEAR(costs.marked_percent, marked_mass, 1e-9 * marked_mass);
        for (std::size_t j = 0; j < kept.size(); ++j) {
            EXPECT_TRUE(costs.conditions[j].exact);
            EXPECT_EQ(costs.conditions[j].kept_variants, static_cast<double>(kept[j])) << round << " " << j;
            EXPECT_NEAR(costs.conditions[j].kept_percent, mass[j], 1e-9 * marked_mass);
        }
        EXPECT_EQ(costs.set.kept_variants, static_cast<double>(set_kept)) << round;
        EXPECT_NEAR(costs.set.kept_percent, set_mass, 1e-9 * marked_mass);
        EXPECT_EQ(passing_count(t, set).variants, set_kept);

        // Above the exact limit the same table is estimated, within a few standard errors.
        CostOptions sampled;
        sampled.exact_limit = 0;
        sampled.samples = 20000;
        const CostTable estimate = condition_costs(t, set, sampled);
        EXPECT_FALSE(estimate.set.exact);
        EXPECT_EQ(estimate.samples, 20000u);
        EXPECT_NEAR(estimate.set.kept_variants, static_cast<double>(set_kept), 5 * estimate.set.variants_error + 1e-9);
        EXPECT_NEAR(estimate.set.kept_percent, set_mass, 5 * estimate.set.percent_error + 1e-12);
    }
}

TEST(ConditionCosts, FourRulesOfNinetyFivePercentKeepTheirProduct) {
    // Independent rules on different events multiply: the set keeps what each keeps, together.
    EventTable t;
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= 17; ++c) {
            t.cell(e, c).mark = c <= 4 ? 1 : 0;
            t.cell(e, c).setting_probability = Currency::from_units(1);
        }
    ConditionSet set = read_ok("count 0 0 1-(1:0)\ncount 0 0 2-(1:0)\ncount 0 0 3-(1:0)\ncount 0 0 4-(1:0)\n");
    const CostTable costs = condition_costs(t, set);
    for (const CostRow& row : costs.conditions) EXPECT_DOUBLE_EQ(row.kept_percent, costs.marked_percent * 0.75);
    EXPECT_DOUBLE_EQ(costs.set.kept_variants, 65536.0 * 81 / 256);
    set.allowed_errors = 4;
    EXPECT_DOUBLE_EQ(condition_costs(t, set).set.kept_variants, 65536.0);
}

// The filter, read literally: each entry's single bets in the order of the notation.
BetList literal_filter(const BetList& list, const EventTable& t, const ConditionSet& set, Currency stake) {
    BetList out;
    for (const BetEntry& entry : list) {
        bool readable = entry.bet_count != 0;
        for (const OutcomeSet& s : entry.outcome_sets) readable = readable && !s.empty();
        if (!readable) {
            out.push_back(entry);
            continue;
        }
        BetList passing;
        std::int64_t singles = 0;
        Columns v{};
        std::function<void(int)> walk = [&](int e) {
            if (e > 8) {
                ++singles;
                if (literal_passes(set, t, v)) passing.push_back(morvalen::test::single(v, stake));
                return;
            }
            for (int c = 1; c <= 17; ++c)
                if (entry.set(e).contains(c)) {
                    v[static_cast<std::size_t>(e - 1)] = c;
                    walk(e + 1);
                }
        };
        walk(1);
        if (static_cast<std::int64_t>(passing.size()) == singles) out.push_back(entry);
        else out.insert(out.end(), passing.begin(), passing.end());
    }
    return out;
}

TEST(ConditionFilter, AgreesWithALiteralEnumeration) {
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<int> pick(0, 99);
    const Currency stake = Currency::from_ten_thousandths(25000);
    for (int round = 0; round < 60; ++round) {
        const EventTable t = random_line(rng, 100);
        const ConditionSet set = random_set(rng, t);
        BetList list;
        for (int i = 0; i < 8; ++i) {
            BetEntry entry;
            entry.amount = Currency::from_units(7);
            entry.bet_count = 1;
            for (int e = 1; e <= 8; ++e) {
                const int n = pick(rng) < 70 ? 1 : 2 + pick(rng) % 2;
                for (int k = 0; k < n; ++k) entry.set(e).add(1 + pick(rng) % 17);
                entry.bet_count *= entry.set(e).size();
            }
            if (pick(rng) < 10) entry = BetEntry{};                    // an unreadable line
            if (pick(rng) < 5) entry.set(3 + pick(rng) % 5) = OutcomeSet{};  // a line that ends early
            list.push_back(entry);
        }
        BetList filtered = list;
        ASSERT_EQ(filter_by_conditions(filtered, t, set, stake), std::nullopt);
        EXPECT_EQ(filtered, literal_filter(list, t, set, stake)) << round;
    }
}

TEST(ConditionFilter, IsOneUndoStepOfTheSessionAndRefusesHugeCoupons) {
    Session session;
    morvalen::test::LinesMemo memo;
    session.memo = &memo;
    morvalen::test::mark_first(session.events, {3, 3, 1, 1, 1, 1, 1, 1});
    session.conditions = read_ok("count 0 1 1-(1:0);2-(1:0)\n");
    session.add_coupon();
    ASSERT_EQ(session.filter_by_conditions(), std::nullopt);
    // 9 singles, 8 without both 1:0 in events 1 and 2: replaced in place, event 1 slowest.
    ASSERT_EQ(memo.lines.size(), 8u);
    EXPECT_EQ(memo.lines[0], "3.1|1-(1:0);2-(2:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#");
    EXPECT_EQ(memo.lines[2], "3.1|1-(2:0);2-(1:0);3-(1:0);4-(1:0);5-(1:0);6-(1:0);7-(1:0);8-(1:0)#");

    BetList huge(1);
    for (OutcomeSet& s : huge[0].outcome_sets) s = OutcomeSet::from_bits(OutcomeSet::all_bits);
    huge[0].bet_count = 1;
    const BetList before = huge;
    EXPECT_NE(filter_by_conditions(huge, session.events, session.conditions, Currency()), std::nullopt);
    EXPECT_EQ(huge, before);
}

// Every passing variant agrees with some bet in G events.
bool covers_all_passing(const Session& s, const ConditionSet& set) {
    bool all = true;
    for_each_marked_variant(s.events, [&](const Columns& v) {
        if (!all || !literal_passes(set, s.events, v)) return;
        bool covered = false;
        for (const BetEntry& bet : s.bets) {
            int equal = 0;
            for (int e = 1; e <= 8; ++e) equal += bet.set(e) == OutcomeSet::of_column(v[static_cast<std::size_t>(e - 1)]) ? 1 : 0;
            covered = covered || equal >= s.settings.guarantee;
        }
        all = covered;
    });
    return all;
}

bool bet_passes(const Session& s, const BetEntry& bet) {
    Columns v{};
    for (int e = 1; e <= 8; ++e) v[static_cast<std::size_t>(e - 1)] = bet.set(e).first_column();
    return literal_passes(s.conditions, s.events, v);
}

TEST(ConditionAutoformation, CoversEveryPassingVariantWithPassingBetsDenseOrNot) {
    std::mt19937_64 rng(11);
    for (int round = 0; round < 40; ++round) {
        for (const std::int64_t dense_limit : {AutoformationOptions{}.dense_limit, std::int64_t{0}}) {
            std::mt19937_64 copy = rng;
            Session s(5);
            s.events = random_line(copy, 300);
            s.conditions = random_set(copy, s.events);
            s.settings.guarantee = 5 + static_cast<int>(round % 3);
            const AutoformationOutcome outcome = autoform(s, 1000000, {}, 0, {}, {.dense_limit = dense_limit});
            ASSERT_TRUE(outcome.refusal.empty());
            EXPECT_EQ(s.uncovered_variants, 0);
            EXPECT_TRUE(covers_all_passing(s, s.conditions)) << round;
            for (const BetEntry& bet : s.bets) EXPECT_TRUE(bet_passes(s, bet)) << round;
            const StatsView view = s.stats(true);
            const std::int64_t passing = passing_count(s.events, s.conditions).variants;
            EXPECT_NE(view.variants_line.find(" (по условиям " + std::to_string(passing) + ")"), std::string::npos);
            if (passing > 0) {
                EXPECT_EQ(view.coverage_line.rfind("Покрыто ставками " + std::to_string(passing) + " вариантов (100%)", 0), 0u);
            }
        }
        rng.discard(1000);
    }
}

TEST(ConditionAutoformation, ConditionsThatKeepEverythingOrAreOffChangeNoBet) {
    std::mt19937_64 rng(3);
    for (int round = 0; round < 20; ++round) {
        const EventTable t = random_line(rng, 300);
        const auto run = [&](const std::string& usl, bool enabled) {
            Session s(17);
            s.events = t;
            s.settings.guarantee = 6;
            if (!usl.empty()) s.conditions = read_ok(usl);
            s.conditions.enabled = enabled;
            autoform(s, 1000000);
            return s.bets;
        };
        const BetList plain = run("", false);
        EXPECT_EQ(run("count 0 * home\nprobability 0 *\n", true), plain);
        EXPECT_EQ(run("count 8 8 home\n", false), plain);
        EXPECT_EQ(run("#выкл count 8 8 home\n", true), plain);
    }
}

TEST(ConditionFormations, RandomDistributionDrawsOnlyPassingBets) {
    Session s(9);
    morvalen::test::mark_first(s.events, {3, 3, 3, 3, 2, 2, 2, 2});
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= 17; ++c) s.events.cell(e, c).setting_probability = Currency::from_units(c);
    s.conditions = read_ok("count 0 1 *-(2:0)\nvalue 0.5 *\n");
    s.settings.repeat_count = 50;
    ASSERT_EQ(random_distribution(s), std::nullopt);
    EXPECT_FALSE(s.bets.empty());
    for (const BetEntry& bet : s.bets) EXPECT_TRUE(bet_passes(s, bet));
}

TEST(ConditionFormations, BestChancesChoosesOnlyPassingBets) {
    std::mt19937_64 rng(5);
    for (int round = 0; round < 6; ++round) {
        Session s(21);
        s.events = random_line(rng, 300);
        s.conditions = random_set(rng, s.events);
        s.settings.guarantee = 6 + round % 3;
        s.settings.repeat_count = 20;
        ASSERT_EQ(form_best_chances_package(s, {}, std::chrono::milliseconds(500)), std::nullopt);
        for (const BetEntry& bet : s.bets) EXPECT_TRUE(bet_passes(s, bet)) << round;
        const std::int64_t passing = passing_count(s.events, s.conditions).variants;
        EXPECT_EQ(static_cast<std::int64_t>(s.bets.size()), std::min<std::int64_t>(passing, 20)) << round;
    }
}

}  // namespace
