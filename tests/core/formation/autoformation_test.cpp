// Autoformation: the fast pass against the literal one, the worked examples, captions, "Esc", failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "core/formation/autoformation.h"
#include "core/formation/gain_table.h"
#include "core/model/variant_space.h"
#include "../formation_test_support.h"
#include "../literal_autoformation.h"

using namespace morvalen::core;
using morvalen::test::LinesMemo;
using morvalen::test::LiteralAutoformation;
using morvalen::test::mark_first;
using morvalen::test::single;

namespace {

struct FakeClock {
    std::chrono::steady_clock::time_point now{};
    ProgressHooks hooks(std::vector<std::string>& captions, int& restored) {
        ProgressHooks h;
        h.clock = [this] { return now += std::chrono::milliseconds(1500); };
        h.show_caption = [&captions](const std::string& text) { captions.push_back(text); };
        h.restore_caption = [&restored] { ++restored; };
        return h;
    }
};

// A random small marking, list and run; both passes get identical sessions.
struct Case {
    EventTable events;
    BetList bets;
    std::vector<std::string> lines;
    int guarantee = 7;
    std::int64_t steps = 0;
    std::optional<std::int64_t> start;
    std::uint64_t seed = 0;
};

Case random_case(std::mt19937_64& rng) {
    Case c;
    std::uniform_int_distribution<int> pick(0, 99);
    std::int64_t variants = 1;
    for (int e = 1; e <= 8; ++e) {
        // Mostly 1 to 2 marked outcomes, sometimes 3, anywhere among the 17 columns; V stays small.
        int count = pick(rng) < 55 ? 1 : (pick(rng) < 80 ? 2 : 3);
        if (variants * count > 160) count = 1;
        variants *= count;
        std::vector<int> columns(17);
        for (int i = 0; i < 17; ++i) columns[i] = i + 1;
        std::shuffle(columns.begin(), columns.end(), rng);
        for (int i = 0; i < count; ++i) c.events.cell(e, columns[i]).mark = 1;
    }
    c.guarantee = 2 + pick(rng) % 6;
    const auto random_marked = [&](int e) {
        std::vector<int> marked;
        for (int col = 1; col <= 17; ++col)
            if (c.events.cell(e, col).mark) marked.push_back(col);
        return marked[static_cast<std::size_t>(pick(rng)) % marked.size()];
    };
    const int list_size = pick(rng) < 30 ? 0 : pick(rng) % 7;
    for (int i = 0; i < list_size; ++i) {
        std::array<int, 8> columns{};
        for (int e = 1; e <= 8; ++e) columns[e - 1] = random_marked(e);
        BetEntry bet = single(columns);
        const int kind = pick(rng);
        if (kind < 12) {
            bet = BetEntry{};  // an unreadable line
        } else if (kind < 22) {
            bet.set(1 + pick(rng) % 8) = OutcomeSet::of_column(1 + pick(rng) % 17);  // maybe unmarked
        } else if (kind < 32) {
            bet.set(1 + pick(rng) % 8).add(1 + pick(rng) % 17);  // a coupon, or the same bet
            bet.bet_count = 2;
        } else if (kind < 37) {
            bet.set(2 + pick(rng) % 7) = OutcomeSet{};  // a line that ends early
        } else if (kind < 45 && !c.bets.empty()) {
            bet = c.bets[static_cast<std::size_t>(pick(rng)) % c.bets.size()];
        }
        c.bets.push_back(bet);
        c.lines.push_back("line " + std::to_string(i));
    }
    c.steps = pick(rng) < 15 ? 0 : 1 + pick(rng) % (variants + 2);
    if (pick(rng) < 50) c.start = static_cast<std::int64_t>(static_cast<std::uint64_t>(pick(rng)) % static_cast<std::uint64_t>(variants));
    c.seed = rng();
    return c;
}

struct Run {
    BetList bets;
    std::vector<std::string> lines;
    std::int64_t uncovered = 0;
    std::int64_t appended = 0;
};

Run run_case(const Case& c, bool literal, const AutoformationOptions& options) {
    Session session(c.seed);
    LinesMemo memo;
    memo.lines = c.lines;
    session.memo = &memo;
    session.events = c.events;
    session.bets = c.bets;
    session.settings.guarantee = c.guarantee;
    session.uncovered_variants = -12345;
    const AutoformationOutcome outcome =
        literal ? LiteralAutoformation(session).run(c.steps, c.start)
                : autoform(session, c.steps, {}, c.start, {}, options);
    return {session.bets, memo.lines, session.uncovered_variants, outcome.appended};
}

void compare_on_random_cases(int count, std::uint64_t seed, const AutoformationOptions& options = {}) {
    std::mt19937_64 rng(seed);
    for (int i = 0; i < count; ++i) {
        const Case c = random_case(rng);
        const Run slow = run_case(c, true, options);
        const Run fast = run_case(c, false, options);
        ASSERT_EQ(fast.uncovered, slow.uncovered) << "case " << i;
        ASSERT_EQ(fast.appended, slow.appended) << "case " << i;
        ASSERT_EQ(fast.bets, slow.bets) << "case " << i;
        ASSERT_EQ(fast.lines, slow.lines) << "case " << i;
    }
}

Session two_by_eight(int guarantee) {
    Session session(7);
    mark_first(session.events, {2, 2, 2, 2, 2, 2, 2, 2});
    session.settings.guarantee = guarantee;
    return session;
}

}  // namespace

TEST(Autoformation, MatchesTheLiteralPassOnRandomSmallCases) { compare_on_random_cases(1000, 20261209); }

TEST(Autoformation, MatchesTheLiteralPassWithoutTheArrays) { compare_on_random_cases(300, 77, {.dense_limit = 0}); }

// Each way of keeping the gains exact, forced for every bet, gives the literal pass's bets.
TEST(Autoformation, EveryWayOfKeepingGainsMatchesTheLiteralPass) {
    for (const GainUpdate way : {GainUpdate::by_neighbourhoods, GainUpdate::by_overlaps, GainUpdate::by_recount}) {
        compare_on_random_cases(300, 4242 + static_cast<std::uint64_t>(way), {.gain_update = way});
        if (HasFatalFailure()) return;
    }
}

// On markings too large for the literal pass, the three ways, the priced mix and the pass without
// arrays agree bet for bet,
// from an empty list and from a list that already covers part of the variants.
TEST(Autoformation, EveryWayOfKeepingGainsAgreesOnLargerMarkings) {
    struct Marking {
        std::array<int, 8> counts;
        int guarantee;
        std::int64_t steps;
    };
    for (const Marking& m : {Marking{{4, 4, 3, 3, 3, 2, 2, 1}, 5, 1000}, Marking{{5, 4, 4, 3, 2, 2, 1, 1}, 6, 1000},
                             Marking{{3, 3, 3, 3, 3, 3, 1, 1}, 4, 1000}, Marking{{6, 5, 3, 3, 2, 2, 2, 2}, 7, 40}}) {
        std::vector<BetList> results;
        for (const GainUpdate way : {GainUpdate::cheapest, GainUpdate::by_neighbourhoods, GainUpdate::by_overlaps,
                                     GainUpdate::by_recount}) {
            Session session(3);
            mark_first(session.events, m.counts);
            session.settings.guarantee = m.guarantee;
            session.bets = {single({1, 1, 1, 1, 1, 1, 1, 1}), single({2, 2, 2, 2, 2, 2, 1, 1})};
            autoform(session, m.steps, {}, 17, {}, {.gain_update = way});
            results.push_back(session.bets);
        }
        // And the first steps of the pass without the arrays, which tests every candidate against the
        // list (slowly: only where neighbourhoods are small).
        if (m.guarantee < 6) continue;
        Session session(3);
        mark_first(session.events, m.counts);
        session.settings.guarantee = m.guarantee;
        session.bets = {single({1, 1, 1, 1, 1, 1, 1, 1}), single({2, 2, 2, 2, 2, 2, 1, 1})};
        autoform(session, 30, {}, 17, {}, {.dense_limit = 0});
        ASSERT_LE(session.bets.size(), results[0].size());
        EXPECT_TRUE(std::equal(session.bets.begin(), session.bets.end(), results[0].begin())) << "without arrays";
        for (std::size_t i = 1; i < results.size(); ++i) EXPECT_EQ(results[i], results[0]) << "way " << i;
        EXPECT_GT(results[0].size(), 2u);
    }
}

TEST(Autoformation, LastNeighbourIsWhereTheConstructionEnds) {
    // The tie rule depends on which neighbour the construction stores last; check the construction.
    Session session = two_by_eight(5);
    session.events.cell(3, 9).mark = 1;
    session.events.cell(6, 17).mark = 1;
    LiteralAutoformation literal(session);
    const auto& buffer = literal.neighbourhood(single({2, 1, 9, 1, 2, 17, 1, 2}));
    EXPECT_EQ(static_cast<std::int64_t>(buffer.size()), neighbourhood_size(marked_counts(session.events), 5));
    EXPECT_EQ(buffer.back().variant, single({1, 2, 2, 1, 2, 17, 1, 2}));
}

TEST(Autoformation, NeighbourhoodSizes) {
    EXPECT_EQ(neighbourhood_size({2, 2, 2, 2, 2, 2, 2, 2}, 7), 9);
    EXPECT_EQ(neighbourhood_size({2, 2, 2, 2, 2, 2, 2, 2}, 6), 37);
    EXPECT_EQ(neighbourhood_size({4, 4, 3, 3, 3, 3, 2, 2}, 6), 127);
    // All 17 marked, G 2: every variant but those differing in 7 or 8 events.
    EXPECT_EQ(neighbourhood_size({17, 17, 17, 17, 17, 17, 17, 17}, 2), 6975757441 - 8 * 268435456LL - 4294967296LL);
}

TEST(Autoformation, EstimateAndFirstStepOnAnEmptyList) {
    Session session = two_by_eight(7);
    std::vector<std::string> captions;
    int restored = 0;
    FakeClock clock;
    const auto outcome = autoform(session, 1, clock.hooks(captions, restored), 41);
    EXPECT_EQ(outcome.appended, 1);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions.front(), " Ставок не менее 29");
    EXPECT_EQ(restored, 1);
    // The first candidate after the start has the full gain 9 and is taken at once: index 42.
    EXPECT_EQ(session.bets.at(0), VariantSpace(session.events).bet_of(42, session.settings.stake.currency()));
    EXPECT_EQ(session.uncovered_variants, 256 - 9);
}

TEST(Autoformation, CheckOfTwoNeighboursLeaves240) {
    Session session = two_by_eight(7);
    session.bets = {single({1, 1, 1, 1, 1, 1, 1, 1}), single({1, 1, 1, 2, 1, 1, 1, 1})};
    const auto outcome = autoform(session, 0);
    EXPECT_TRUE(outcome.show_coverage);
    EXPECT_EQ(session.uncovered_variants, 240);
    EXPECT_EQ(session.stats(true).coverage_line, "Покрыто ставками 16 вариантов (6.25%) с гарантией 7 событий");
    EXPECT_EQ(session.bets.size(), 2u);
}

TEST(Autoformation, FullCoverageEndsBeforeTheStepsRunOut) {
    Session session = two_by_eight(7);
    autoform(session, 1000000);
    EXPECT_EQ(session.uncovered_variants, 0);
    EXPECT_LT(session.bets.size(), 60u);
    const auto before = session.bets.size();
    autoform(session, 10);  // everything covered: nothing more
    EXPECT_EQ(session.bets.size(), before);
    EXPECT_EQ(session.stats(true).coverage_line, "Покрыто ставками 256 вариантов (100%) с гарантией 7 событий");
}

TEST(Autoformation, CheckCleansUnreadableLinesAndKeepsTheRestInOrder) {
    Session session = two_by_eight(7);
    LinesMemo memo;
    session.memo = &memo;
    memo.lines = {"a", "junk", "b", "", "c"};
    session.bets = {single({1, 1, 1, 1, 1, 1, 1, 1}), BetEntry{}, single({2, 1, 1, 1, 1, 1, 1, 1}), BetEntry{},
                    single({2, 2, 1, 1, 1, 1, 1, 1})};
    autoform(session, 0);
    EXPECT_EQ(memo.lines, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(session.bets.size(), 3u);
    EXPECT_EQ(session.bets[2], single({2, 2, 1, 1, 1, 1, 1, 1}));
}

TEST(Autoformation, CaptionsAndEscDuringTheCheck) {
    Session session = two_by_eight(7);
    for (int i = 0; i < 6; ++i) session.bets.push_back(single({1 + i % 2, 1 + i / 2 % 2, 1 + i / 4, 1, 1, 1, 1, 1}));
    std::vector<std::string> captions;
    int restored = 0;
    FakeClock clock;
    ProgressHooks hooks = clock.hooks(captions, restored);
    StopSource stop;
    hooks.show_caption = [&](const std::string& text) {
        captions.push_back(text);
        if (captions.size() == 2) stop.request_stop();
    };
    const auto outcome = autoform(session, 5, hooks, std::nullopt, stop.get_token());
    EXPECT_FALSE(outcome.show_coverage);
    EXPECT_EQ(outcome.appended, 0);
    EXPECT_EQ(session.bets.size(), 6u);
    ASSERT_GE(captions.size(), 2u);
    EXPECT_EQ(captions[0], "Проверка 17%  Для остановки нажмите клавишу \"Esc\"");
    EXPECT_EQ(captions[1], "Проверка 33%  Для остановки нажмите клавишу \"Esc\"");
    EXPECT_EQ(restored, 1);
}

TEST(Autoformation, EscDuringTheStepsKeepsCompletedSteps) {
    Session session = two_by_eight(7);
    std::vector<std::string> captions;
    int restored = 0;
    FakeClock clock;
    ProgressHooks hooks = clock.hooks(captions, restored);
    // The third step's caption comes once three bets are formed.
    StopSource stop;
    hooks.show_caption = [&](const std::string& text) {
        captions.push_back(text);
        if (text.starts_with("Шаг 3 ")) stop.request_stop();
    };
    const auto outcome = autoform(session, 100, hooks, 0, stop.get_token());
    EXPECT_TRUE(outcome.show_coverage);
    EXPECT_EQ(outcome.appended, 3);
    EXPECT_EQ(session.uncovered_variants, 256 - 27);
    EXPECT_EQ(captions.at(1), "Шаг 1 (3.52%)  Для остановки нажмите клавишу \"Esc\"");
}

TEST(Autoformation, FailureShowsTheMemoryMessageAndKeepsEarlierBets) {
    Session session = two_by_eight(7);
    std::vector<std::string> errors;
    ProgressHooks hooks;
    std::chrono::steady_clock::time_point now{};
    hooks.clock = [&] { return now += std::chrono::seconds(2); };
    hooks.show_caption = [&](const std::string& text) {
        if (text.starts_with("Шаг 2 ")) throw std::bad_alloc();
    };
    hooks.show_error = [&](const std::string& text) { errors.push_back(text); };
    const auto outcome = autoform(session, 50, hooks, 0);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(errors, (std::vector<std::string>{"Нехватка оперативной памяти"}));
    EXPECT_EQ(session.bets.size(), 2u);
}

TEST(Autoformation, IncompleteMarking) {
    Session session;
    mark_first(session.events, {2, 2, 2, 2, 2, 2, 2, 0});
    session.bets = {BetEntry{}, single({1, 1, 1, 1, 1, 1, 1, 1})};
    session.uncovered_variants = 5;
    autoform(session, 3);
    EXPECT_EQ(session.bets.size(), 1u);
    EXPECT_EQ(session.uncovered_variants, 0);
}

// The pass reads only its input: the session is untouched until the result is applied, and applying
// gives what the one-call run gives.
TEST(Autoformation, RunsOnItsInputAndTheSessionTakesTheResult) {
    Session session = two_by_eight(7);
    LinesMemo memo;
    session.memo = &memo;
    session.bets = {BetEntry{}, single({1, 1, 1, 1, 1, 1, 1, 1})};
    memo.lines = {"unreadable", "first"};
    Session same = session;
    LinesMemo same_memo = memo;
    same.memo = &same_memo;

    const AutoformationResult result = autoformation(autoformation_input(session, 4));
    EXPECT_EQ(session.bets.size(), 2u);
    EXPECT_EQ(memo.lines.size(), 2u);
    EXPECT_TRUE(result.cleaned);
    EXPECT_EQ(result.appended.size(), 4u);
    apply_autoformation(session, result);

    autoform(same, 4);
    EXPECT_EQ(session.bets, same.bets);
    EXPECT_EQ(memo.lines, same_memo.lines);
    EXPECT_EQ(session.uncovered_variants, same.uncovered_variants);
    EXPECT_EQ(session.rng.next(), same.rng.next());
}

TEST(Autoformation, EscInsideALargeNeighbourhood) {
    Session session;
    mark_first(session.events, {4, 4, 4, 4, 4, 4, 4, 4});
    session.settings.guarantee = 2;
    session.bets = {single({1, 1, 1, 1, 1, 1, 1, 1})};
    std::vector<std::string> captions;
    int restored = 0;
    FakeClock clock;
    ProgressHooks hooks = clock.hooks(captions, restored);
    // A stop asked for before the first caption is seen inside the first neighbourhood.
    StopSource stop;
    stop.request_stop();
    const auto outcome = autoform(session, 5, hooks, std::nullopt, stop.get_token());
    EXPECT_FALSE(outcome.show_coverage);
    EXPECT_EQ(outcome.appended, 0);
    EXPECT_EQ(restored, 1);
}

TEST(Autoformation, MarkingsBeyondTheArraysAreCountedExactly) {
    Session session;
    mark_first(session.events, {9, 9, 9, 9, 9, 9, 9, 9});  // 43,046,721 variants
    session.bets = {single({1, 1, 1, 1, 1, 1, 1, 1}), single({1, 1, 1, 1, 1, 2, 1, 1})};
    autoform(session, 0);
    // Two neighbourhoods of 65 that share the 9 variants differing only in event 6.
    EXPECT_EQ(session.uncovered_variants, 43046721 - 65 - 56);
    autoform(session, 2, {}, 999);
    ASSERT_EQ(session.bets.size(), 4u);
    EXPECT_EQ(session.bets[2], VariantSpace(session.events).bet_of(1000, session.settings.stake.currency()));
    EXPECT_EQ(session.uncovered_variants, 43046721 - 65 - 56 - 2 * 65);
}

namespace {

// Every variant tried against every single bet of every entry: the definition of coverage itself.
std::int64_t brute_force_uncovered(const Session& session) {
    const VariantSpace space(session.events);
    std::int64_t uncovered = 0;
    for (std::int64_t i = 0; i < space.size(); ++i) {
        const BetEntry variant = space.bet_of(i, Currency{});
        bool covered = false;
        for (const BetEntry& entry : session.bets) {
            if (entry.bet_count == 0 || entry.set(1).empty()) continue;
            int held = 0;
            for (int e = 1; e <= 8; ++e) held += (variant.set(e).bits() & entry.set(e).bits()) != 0 ? 1 : 0;
            covered = covered || held >= session.settings.guarantee;
        }
        uncovered += covered ? 0 : 1;
    }
    return uncovered;
}

BetEntry random_coupon(std::mt19937_64& rng) {
    std::uniform_int_distribution<int> column(1, 6);
    BetEntry coupon;
    coupon.amount = Currency::from_ten_thousandths(31000);
    coupon.bet_count = 1;
    for (int e = 1; e <= 8; ++e) {
        const int size = 1 + column(rng) % 3;
        for (int i = 0; i < size; ++i) coupon.set(e).add(column(rng));
        coupon.bet_count *= coupon.set(e).size();
    }
    return coupon;
}

}  // namespace

// A package of coupons covers exactly what the same package split into single bets covers, with and
// without the arrays, at every guarantee; both equal the count by definition.
TEST(Autoformation, CouponsCoverWhatTheirSingleBetsCover) {
    const std::int64_t saved = AutoformationOptions{}.dense_limit;
    std::mt19937_64 rng(2712);
    for (int round = 0; round < 48; ++round) {
        Session coupons(1);
        std::uniform_int_distribution<int> pick(0, 99);
        for (int e = 1; e <= 8; ++e)
            for (int c = 1; c <= 5; ++c)
                if (pick(rng) < (c <= 2 ? 70 : 20)) coupons.events.cell(e, c).mark = 1;
        for (int e = 1; e <= 8; ++e) coupons.events.cell(e, 1).mark = 1;
        coupons.settings.guarantee = 2 + round % 6;
        const int size = 1 + pick(rng) % 3;
        for (int i = 0; i < size; ++i) coupons.bets.push_back(random_coupon(rng));
        if (round % 3 == 0) coupons.bets.push_back(single({1, 2, 1, 2, 1, 2, 1, 2}));
        Session singles(1);
        singles.events = coupons.events;
        singles.settings = coupons.settings;
        singles.bets = coupons.bets;
        ASSERT_FALSE(singles.split_into_singles().has_value());
        const std::int64_t expected = brute_force_uncovered(coupons);
        for (const std::int64_t limit : {saved, std::int64_t{0}}) {
            Session c = coupons, s = singles;
            autoform(c, 0, {}, std::nullopt, {}, {.dense_limit = limit});
            autoform(s, 0, {}, std::nullopt, {}, {.dense_limit = limit});
            EXPECT_EQ(c.uncovered_variants, expected) << "round " << round << " limit " << limit;
            EXPECT_EQ(s.uncovered_variants, expected) << "round " << round << " limit " << limit;
        }
        if (HasFailure()) return;
    }
}

// The package of the report: one coupon over the 4 variants of the marks covers them all.
TEST(Autoformation, ACouponOverTheMarksCoversEveryVariant) {
    Session session;
    mark_first(session.events, {2, 2, 1, 1, 1, 1, 1, 1});
    session.add_coupon();
    ASSERT_EQ(session.bets.size(), 1u);
    autoform(session, 0);
    EXPECT_EQ(session.uncovered_variants, 0);
    EXPECT_NE(session.stats(true).coverage_line.find("Покрыто ставками 4 вариантов (100%)"), std::string::npos);
}
