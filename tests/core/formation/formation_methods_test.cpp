// Brief-system expansion, the package by sensations and the random distribution.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "core/formation/brief_expansion.h"
#include "core/formats/payload.h"
#include "core/formation/random_distribution.h"
#include "core/formation/sensations.h"
#include "../formation_test_support.h"

using namespace morvalen::core;
using morvalen::test::LinesMemo;
using morvalen::test::mark;
using morvalen::test::mark_first;
using morvalen::test::single;

namespace {

Session shaped_3_1_2() {
    Session session(5);
    mark(session.events, 1, {2, 5, 9});
    mark(session.events, 2, {4});
    mark(session.events, 3, {7, 17});
    for (int e = 4; e <= 8; ++e) mark(session.events, e, {e + 2});
    return session;
}

std::vector<int> columns_of(const BetEntry& bet) {
    std::vector<int> columns;
    for (const OutcomeSet& set : bet.outcome_sets) columns.push_back(set.size() == 1 ? set.first_column() : -set.size());
    return columns;
}

}  // namespace

TEST(BriefSystems, OrderAndSignatureOfTheShape31211111) {
    Session session = shaped_3_1_2();
    const ExpansionOrder order = order_events(session.events, false, session.rng);
    EXPECT_EQ(order[0].event, 1);
    EXPECT_EQ(order[1].event, 3);
    EXPECT_EQ(order[0].marked, 3);
    EXPECT_EQ(signature_of(7, order), 50111101842);
    // Every marked column takes exactly one slot; the rest stay 0.
    std::vector<int> slots(order[0].slots.begin(), order[0].slots.begin() + 3);
    std::sort(slots.begin(), slots.end());
    EXPECT_EQ(slots, (std::vector<int>{2, 5, 9}));
    EXPECT_EQ(order[0].slots[3], 0);
}

TEST(BriefSystems, RecordDigitsSelectSlotsAndAnEmptySlotSelectsColumn1) {
    Session session = shaped_3_1_2();
    const ExpansionOrder order = order_events(session.events, false, session.rng, SlotOrder::ascending);
    const auto records = payload_records(std::string("\x05\x00\x00\x00\x00", 5));
    ASSERT_EQ(records.size(), 1u);
    const BetEntry bet = expand_system_record(records[0], order, Currency::from_ten_thousandths(31000));
    EXPECT_EQ(columns_of(bet), (std::vector<int>{1, 4, 7, 6, 7, 8, 9, 10}));
    EXPECT_EQ(bet.bet_count, 1);
    EXPECT_EQ(format_bet(bet), "3.1|1-(1:0);2-(3:0);3-(0:0);4-(3:2);5-(0:0);6-(1:1);7-(2:2);8-(3:3)#");

    // The fifth byte counts: 2^32 has the base-17 digits 1, 9, 10, 13, 15, 15, 7, 10.
    Session all;
    mark_first(all.events, {17, 17, 17, 17, 17, 17, 17, 17});
    const ExpansionOrder full = order_events(all.events, false, all.rng, SlotOrder::ascending);
    const auto high = payload_records(std::string("\x00\x00\x00\x00\x01", 5));
    EXPECT_EQ(high.at(0), 4294967296u);
    EXPECT_EQ(columns_of(expand_system_record(high[0], full, Currency())), (std::vector<int>{2, 10, 11, 14, 16, 16, 8, 11}));
}

TEST(BriefSystems, StartWithPutsTheStartVariantAtRecordZero) {
    Session session(99);
    mark_first(session.events, {3, 2, 4, 1, 2, 3, 5, 2});
    const std::array<int, 8> start = {3, 1, 2, 1, 2, 3, 4, 2};
    for (int e = 1; e <= 8; ++e) session.events.event(e).start_with = static_cast<std::uint8_t>(start[e - 1]);
    for (int round = 0; round < 20; ++round) {
        const ExpansionOrder order = order_events(session.events, true, session.rng);
        EXPECT_EQ(expand_system_record(0, order, Currency()), single(start, Currency()));
    }
    // A start-with outcome that is not marked takes slot 0 and leaves one marked column out.
    session.events.event(1).start_with = 9;
    const ExpansionOrder order = order_events(session.events, true, session.rng, SlotOrder::ascending);
    const ExpansionEntry& first = *std::find_if(order.begin(), order.end(), [](const ExpansionEntry& e) { return e.event == 1; });
    EXPECT_EQ((std::vector<int>(first.slots.begin(), first.slots.begin() + 4)), (std::vector<int>{9, 1, 2, 0}));
}

TEST(BriefSystems, ExpansionAppendsEveryWholeRecordWithProgress) {
    Session session = shaped_3_1_2();
    LinesMemo memo;
    session.memo = &memo;
    session.expansion_order = order_events(session.events, false, session.rng, SlotOrder::ascending);
    const std::string twelve = payload_content({0, 1}) + "\x07\x07";
    const auto records = payload_records(twelve);
    ASSERT_EQ(records.size(), 2u);
    expand_brief_system(session, records, twelve.size());
    EXPECT_EQ(memo.lines.size(), 2u);
    EXPECT_EQ(columns_of(session.bets[1]), (std::vector<int>{5, 4, 7, 6, 7, 8, 9, 10}));

    // 10 records of a 50-byte content; the clock jumps past a second just before the fourth.
    std::vector<std::string> captions;
    int restored = 0;
    int calls = 0;
    ProgressHooks hooks;
    hooks.clock = [&] { return std::chrono::steady_clock::time_point(std::chrono::seconds(++calls >= 5 ? 2 : 0)); };
    hooks.show_caption = [&](const std::string& text) { captions.push_back(text); };
    hooks.restore_caption = [&] { ++restored; };
    expand_brief_system(session, std::vector<std::uint64_t>(10, 3), 50, hooks);
    EXPECT_EQ(captions, (std::vector<std::string>{"Загрузка БС 40%"}));
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(session.bets.size(), 12u);
}

TEST(Sensations, WithoutYellowMarks) {
    Session session;
    mark_first(session.events, {2, 3, 1, 1, 2, 1, 1, 1});
    session.settings.yellow_min = 0;
    form_by_sensations(session);
    ASSERT_EQ(session.bets.size(), 1u);
    EXPECT_EQ(session.bets[0].bet_count, variant_total(session.events));
    EXPECT_EQ(session.bets[0].amount.to_string(), "37.2");  // 12 bets of 3.1

    Session bounded;
    mark_first(bounded.events, {2, 3, 1, 1, 2, 1, 1, 1});
    form_by_sensations(bounded);  // the default bounds 1 to 1 need one yellow outcome
    EXPECT_TRUE(bounded.bets.empty());
}

TEST(Sensations, OrderOfYellowAndOrdinaryChoices) {
    Session session;
    mark_first(session.events, {2, 3, 1, 1, 2, 1, 1, 1});
    session.events.cell(2, 3).yellow_mark = 1;
    session.events.cell(5, 1).yellow_mark = 1;
    form_by_sensations(session);
    ASSERT_EQ(session.bets.size(), 2u);
    EXPECT_EQ(columns_of(session.bets[0]), (std::vector<int>{-2, 3, 1, 1, 2, 1, 1, 1}));
    EXPECT_EQ(session.bets[0].bet_count, 2);
    EXPECT_EQ(columns_of(session.bets[1]), (std::vector<int>{-2, -2, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(session.bets[1].bet_count, 4);

    Session two;
    two.events = session.events;
    two.settings.yellow_max = 2;
    form_by_sensations(two);
    ASSERT_EQ(two.bets.size(), 3u);
    EXPECT_EQ(columns_of(two.bets[0]), (std::vector<int>{-2, 3, 1, 1, 1, 1, 1, 1}));

    Session inverted;
    inverted.events = session.events;
    inverted.settings.yellow_min = 2;
    inverted.settings.yellow_max = 1;
    form_by_sensations(inverted);
    EXPECT_TRUE(inverted.bets.empty());

    // An event whose only mark is yellow must spend it; an event with no mark ends every branch.
    Session only_yellow;
    mark_first(only_yellow.events, {1, 1, 1, 1, 1, 1, 1, 1});
    only_yellow.events.cell(4, 1).yellow_mark = 1;
    only_yellow.settings.yellow_min = 0;
    form_by_sensations(only_yellow);
    ASSERT_EQ(only_yellow.bets.size(), 1u);
    only_yellow.events.cell(4, 1) = OutcomeCell{};
    only_yellow.bets.clear();
    form_by_sensations(only_yellow);
    EXPECT_TRUE(only_yellow.bets.empty());
}

TEST(RandomDistribution, SharesAndTheWalk) {
    EventTable table;
    mark_first(table, {2, 0, 1, 1, 1, 1, 1, 1});
    mark(table, 2, {2});
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= 17; ++c) table.cell(e, c).setting_probability = Currency::from_ten_thousandths(58824);
    table.cell(1, 1).setting_probability = Currency::from_units(20);
    table.cell(1, 2).setting_probability = Currency::from_units(60);
    ShareTable shares{};
    ASSERT_FALSE(normalised_shares(table, shares));
    EXPECT_DOUBLE_EQ(shares[0][0], 25);
    EXPECT_DOUBLE_EQ(shares[0][1], 75);
    EXPECT_EQ(shares[0][2], 0);
    EXPECT_EQ(walk_column(shares[0], 0.005), 1);
    EXPECT_EQ(walk_column(shares[0], 25.0), 1);
    EXPECT_EQ(walk_column(shares[0], 25.02), 2);
    EXPECT_EQ(walk_column(shares[1], 0.01), 1);  // column 1 unmarked, but x ≤ 0.01 stops there
    EXPECT_EQ(walk_column(shares[1], 50), 2);
    std::array<double, 17> none{};
    EXPECT_EQ(walk_column(none, 99.0), 17);
}

TEST(RandomDistribution, ZeroProbabilitiesAreRefusedWithoutAnyBet) {
    Session session;
    mark_first(session.events, {2, 2, 2, 2, 2, 2, 2, 2});
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= 17; ++c) session.events.cell(e, c).setting_probability = Currency::from_units(10);
    session.events.cell(6, 1).setting_probability = Currency();
    session.events.cell(6, 2).setting_probability = Currency();
    const auto refused = random_distribution(session);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("Событие 6"), std::string::npos);
    EXPECT_TRUE(session.bets.empty());
}

TEST(RandomDistribution, DrawsNewSinglesWithinTheBudget) {
    Session session(3);
    mark_first(session.events, {2, 2, 2, 2, 2, 2, 2, 2});
    for (int e = 1; e <= 8; ++e)
        for (int c = 1; c <= 17; ++c) session.events.cell(e, c).setting_probability = Currency::from_units(50);
    session.settings.repeat_count = 100;
    ASSERT_FALSE(random_distribution(session));
    ASSERT_EQ(session.bets.size(), 100u);
    std::array<int, 2> first{};
    for (std::size_t i = 0; i < session.bets.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(session.bets[i], session.bets[j]);
        const int c = session.bets[i].set(1).first_column();
        ASSERT_TRUE(c == 1 || c == 2);
        ++first[c - 1];
        EXPECT_EQ(session.bets[i].amount.to_string(), "3.1");
    }
    EXPECT_GT(first[0], 30);
    EXPECT_GT(first[1], 30);

    // One variant only: one bet, and the run spends all 10 × R draws (8 numbers per draw).
    Session one(11);
    mark_first(one.events, {1, 1, 1, 1, 1, 1, 1, 1});
    for (int e = 1; e <= 8; ++e) one.events.cell(e, 1).setting_probability = Currency::from_units(1);
    one.settings.repeat_count = 3;
    RandomSource expected(11);
    for (int i = 0; i < 30 * 8; ++i) expected.uniform01();
    ASSERT_FALSE(random_distribution(one));
    EXPECT_EQ(one.bets.size(), 1u);
    EXPECT_EQ(one.rng.next(), expected.next());

    // A coupon of all marks covers every draw.
    Session covered(4);
    covered.events = session.events;
    covered.add_coupon();
    covered.settings.repeat_count = 1;
    ASSERT_FALSE(random_distribution(covered));
    EXPECT_EQ(covered.bets.size(), 1u);
}

TEST(RandomDistribution, IndexAnswersAsTheListScan) {
    std::mt19937_64 rng(5);
    std::uniform_int_distribution<int> column(1, 3);
    for (int round = 0; round < 200; ++round) {
        BetList list;
        for (int i = 0; i < 12; ++i) {
            std::array<int, 8> c{};
            for (int& x : c) x = column(rng);
            BetEntry bet = single(c);
            if (i % 4 == 1) bet.set(1 + i % 8).add(column(rng));
            if (i % 5 == 2) bet.set(3) = OutcomeSet{};
            list.push_back(bet);
        }
        const SingleBetIndex index(list);
        for (int probe = 0; probe < 30; ++probe) {
            std::array<int, 8> c{};
            for (int& x : c) x = column(rng);
            EXPECT_EQ(index.covers(single(c)), contains_variant(list, single(c), 8));
        }
    }
}

TEST(BriefSystems, BodiesThatAreShortOrCorruptAppendNothing) {
    Session session = shaped_3_1_2();
    session.expansion_order = order_events(session.events, false, session.rng);
    int restored = 0;
    ProgressHooks hooks;
    hooks.restore_caption = [&] { ++restored; };
    EXPECT_EQ(expand_brief_body(session, "x", hooks).status, PayloadStatus::no_system);
    std::string broken = encode_payload({1, 2, 3});
    broken[broken.size() - 6] ^= 1;  // the CRC-32 no longer matches
    EXPECT_EQ(expand_brief_body(session, broken, hooks).status, PayloadStatus::error);
    EXPECT_TRUE(session.bets.empty());
    // A body that would expand beyond the cap is refused before anything is appended.
    EXPECT_EQ(expand_brief_body(session, encode_payload(std::vector<std::uint64_t>(100, 7)), hooks, 400).status,
              PayloadStatus::error);
    EXPECT_TRUE(session.bets.empty());
    const auto outcome = expand_brief_body(session, encode_payload({1, 2, 3}), hooks);
    EXPECT_EQ(outcome.status, PayloadStatus::records);
    EXPECT_EQ(outcome.appended, 3u);
    EXPECT_EQ(session.bets.size(), 3u);
    EXPECT_EQ(restored, 4);
}

TEST(BriefSystems, ABodyWithMoreRecordsThanTheShapeHasVariantsIsRefused) {
    Session session = shaped_3_1_2();
    session.expansion_order = order_events(session.events, false, session.rng);
    const std::uint64_t variants = variant_count(session.expansion_order);
    ASSERT_GT(variants, 1u);
    // A bomb of a single repeated record: tiny compressed, millions of bets if it were read.
    const auto bomb = expand_brief_body(session, encode_payload(std::vector<std::uint64_t>(2'000'000, 0)));
    EXPECT_EQ(bomb.status, PayloadStatus::error);
    EXPECT_EQ(bomb.error, "the system holds more bets than its shape has variants");
    EXPECT_EQ(expand_brief_body(session, encode_payload(std::vector<std::uint64_t>(variants + 1, 0))).status,
              PayloadStatus::error);
    EXPECT_TRUE(session.bets.empty());
    const auto whole = expand_brief_body(session, encode_payload(std::vector<std::uint64_t>(variants, 0)));
    EXPECT_EQ(whole.status, PayloadStatus::records);
    EXPECT_EQ(whole.appended, variants);
}
