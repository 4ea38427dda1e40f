// What the formation panel foretells, against what the methods then form.
#include <gtest/gtest.h>

#include <random>

#include "core/model/edit_history.h"
#include "core/formation/formation_foresight.h"
#include "core/formation/sensations.h"
#include "../formation_test_support.h"

using namespace morvalen::core;

// The count of the sensations method equals what it forms, on random markings and bounds.
TEST(FormationForesight, SensationsCountIsWhatTheMethodForms) {
    std::mt19937_64 rng(91);
    std::uniform_int_distribution<int> pick(0, 99);
    for (int round = 0; round < 200; ++round) {
        Session session;
        for (int e = 1; e <= 8; ++e)
            for (int c = 1; c <= 4; ++c) {
                if (pick(rng) < 45) session.events.cell(e, c).mark = 1;
                if (session.events.cell(e, c).mark && pick(rng) < 30) session.events.cell(e, c).yellow_mark = 1;
            }
        session.settings.yellow_min = pick(rng) % 4;
        session.settings.yellow_max = session.settings.yellow_min + pick(rng) % 3;
        const SensationsCount count =
            count_sensations(session.events, session.settings.yellow_min, session.settings.yellow_max);
        form_by_sensations(session);
        std::int64_t bets = 0;
        for (const BetEntry& entry : session.bets) bets += entry.bet_count;
        ASSERT_EQ(count.coupons, static_cast<std::int64_t>(session.bets.size())) << round;
        ASSERT_EQ(count.bets, bets) << round;
    }
}

TEST(FormationForesight, EachMethodSaysWhatIsKnownBeforeForming) {
    Session session;
    morvalen::test::mark_first(session.events, {2, 2, 1, 1, 1, 1, 1, 1});
    FormationSettings settings;
    settings.repeat_count = 20;
    ForesightInput input{session.events, settings, std::nullopt, std::nullopt};
    settings.method = FormationMethod::random_distribution;
    EXPECT_EQ(formation_foresight(input), "Будет ставок 20 × 3.1 = 62");
    settings.method = FormationMethod::brief_systems;
    EXPECT_EQ(formation_foresight(input), "Размер бриф-системы станет известен после загрузки");
    BriefSystemList listed;
    decode_signature(listed, 3, signature_of(7, MarkedCounts{2, 2, 1, 1, 1, 1, 1, 1}));
    decode_signature(listed, 9, signature_of(7, MarkedCounts{2, 2, 2, 1, 1, 1, 1, 1}));
    input.brief_bets = listed_system_size(listed, session.events);
    EXPECT_EQ(formation_foresight(input), "Бриф-система: ставок 3 × 3.1 = 9.3");
    settings.method = FormationMethod::autoformation;
    // 4 variants, 3 in a neighbourhood at guarantee 7: at least 2 bets.
    EXPECT_EQ(formation_foresight(input), "Для полного покрытия нужно не менее 2 ставок; за проход — до 20");
    input.uncovered = 0;
    EXPECT_EQ(formation_foresight(input), "Список уже покрывает все варианты с гарантией 7");
    EXPECT_EQ(guarantee_shortfall(1, 4, 7), "Гарантия 7 не достигнута: не покрыто 1 вариантов (25%)");
    EXPECT_EQ(guarantee_shortfall(0, 4, 7), "");
    session.events.cell(8, 1).mark = 0;
    EXPECT_EQ(formation_foresight(input), "");
}

// The marks travel with a history step and come back whole.
TEST(FormationForesight, MarkStateRoundTrips) {
    EventTable table;
    click_outcome(table, 2, 5, false);
    click_outcome(table, 2, 9, true);
    const MarkState saved = mark_state(table);
    EventTable other;
    restore_mark_state(saved, other);
    EXPECT_EQ(mark_state(other), saved);
    EXPECT_EQ(other.event(2).start_with, 9);
    EXPECT_EQ(other.cell(2, 9).yellow_mark, 1);
}
