// The working state file: what is written is read back whole, and anything damaged is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include <zlib.h>

#include "core/pages/line_refresh.h"
#include "core/model/session.h"
#include "core/formats/working_state.h"

using namespace morvalen::core;

namespace {

WorkingState sample_state() {
    WorkingState state;
    state.memo_text = "6.2|1-(1:0);2-(0:0,1:1);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n\nнабранный текст\n";
    for (int e = 1; e <= event_count; ++e) {
        EventWorkingState& event = state.events[e - 1];
        event.name = "Команда " + std::to_string(e) + " - Гости|\nс переводом строки";
        event.start_with = static_cast<std::uint8_t>(e);
        for (int o = 0; o < outcome_count; ++o) {
            event.marks[o] = (o + e) % 3 == 0 ? 1 : 0;
            event.yellow[o] = event.marks[o] && o % 2 == 0 ? 1 : 0;
            event.set_probabilities[o] = Currency::from_ten_thousandths(-50 + 12345 * o * e);
        }
    }
    state.method = 3;
    state.guarantee = 5;
    state.repeat_count = 100000000;
    state.yellow_min = 0;
    state.yellow_max = 8;
    state.start_with_box = true;
    state.stake = Stake{3.14159L};
    return state;
}

std::string written(const WorkingState& state) {
    std::ostringstream out;
    write_working_state(out, state);
    return out.str();
}

WorkingStateRead read_text(const std::string& text) {
    std::istringstream in(text);
    return read_working_state(in);
}

// A file whose checksum is right but whose body says `body`: shows the strict reading behind the CRC.
std::string with_checksum(const std::string& body) {
    char crc[16];
    const auto value = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    std::snprintf(crc, sizeof crc, "%08lx", static_cast<unsigned long>(value));
    return body + "crc32 " + crc + "\n";
}

std::string body_of(const std::string& file) { return file.substr(0, file.size() - 15); }

}  // namespace

TEST(WorkingState, EverythingWrittenIsReadBack) {
    const WorkingState state = sample_state();
    const WorkingStateRead read = read_text(written(state));
    ASSERT_TRUE(read.state) << read.error;
    EXPECT_EQ(*read.state, state);
    // An empty memo and unnamed events (no line was read) round-trip too.
    const WorkingState empty;
    const WorkingStateRead again = read_text(written(empty));
    ASSERT_TRUE(again.state) << again.error;
    EXPECT_EQ(*again.state, empty);
}

TEST(WorkingState, ATruncatedOrAlteredFileIsRefused) {
    const std::string file = written(sample_state());
    for (std::size_t cut = 0; cut < file.size(); cut += 7) {
        const WorkingStateRead read = read_text(file.substr(0, cut));
        EXPECT_FALSE(read.state) << "cut at " << cut;
        EXPECT_FALSE(read.error.empty());
    }
    for (std::size_t at = 0; at < file.size(); at += 5) {
        std::string damaged = file;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        EXPECT_FALSE(read_text(damaged).state) << "byte " << at;
    }
    EXPECT_FALSE(read_text(file + "x").state);
    EXPECT_FALSE(read_text(std::string(1000, '\0')).state);
}

TEST(WorkingState, AFileWithAGoodChecksumButBadContentIsRefused) {
    const std::string body = body_of(written(sample_state()));
    ASSERT_TRUE(read_text(with_checksum(body)).state);
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string changed = body;
        const std::size_t at = changed.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        changed.replace(at, from.size(), to);
        return read_text(with_checksum(changed));
    };
    EXPECT_EQ(replaced("morvalen-working-state 1", "morvalen-working-state 2").error, "version 2 is not known");
    EXPECT_FALSE(replaced("guarantee 5", "guarantee 9").state);
    EXPECT_FALSE(replaced("guarantee 5", "guarantee 5 ").state);
    EXPECT_FALSE(replaced("repeat 100000000", "repeat 0").state);
    EXPECT_FALSE(replaced("yellow 0 8", "yellow 0").state);
    EXPECT_FALSE(replaced("stake 3.14159", "stake 3,1").state);
    EXPECT_FALSE(replaced("start-with-box 1", "start-with-box 2").state);
    EXPECT_FALSE(replaced("start 1\n", "start 18\n").state);
    EXPECT_FALSE(replaced("marks ", "marks 3").state);
    EXPECT_FALSE(replaced("\nmemo ", "\nmemo 9").state);
    EXPECT_FALSE(replaced("method 3", "method x").state);
    EXPECT_FALSE(read_text(with_checksum(body + "extra\n")).state);
}

TEST(WorkingState, AFileBeyondTheSizeLimitIsNotRead) {
    const std::string file = written(sample_state());
    std::istringstream in(file);
    const WorkingStateRead read = read_working_state(in, file.size() - 1);
    EXPECT_FALSE(read.state);
    EXPECT_EQ(read.error, "the file is too large");
}

TEST(WorkingState, SavedSettingsComeBackAsTheyWere) {
    Session session;
    session.settings.method = FormationMethod::best_chances;
    session.settings.guarantee = 8;
    session.settings.repeat_count = 250;
    session.settings.yellow_min = 2;
    session.settings.yellow_max = 3;
    session.settings.start_with = true;
    session.settings.stake = *Stake::parse("2.5");
    const FormationSettings back = saved_settings(capture_working_state(session, ""));
    EXPECT_EQ(back.method, FormationMethod::best_chances);
    EXPECT_EQ(back.guarantee, 8);
    EXPECT_EQ(back.repeat_count, 250);
    EXPECT_EQ(back.yellow_min, 2);
    EXPECT_EQ(back.yellow_max, 3);
    EXPECT_TRUE(back.start_with);
    EXPECT_EQ(back.stake.value, 2.5L);
}

TEST(WorkingState, MarksGoBackOnlyIntoTheSameDraw) {
    Session session;
    for (int e = 1; e <= event_count; ++e) session.events.event(e).name = "Событие " + std::to_string(e);
    session.events.cell(2, 5).mark = 1;
    session.events.cell(2, 5).yellow_mark = 1;
    session.events.event(2).start_with = 5;
    session.events.cell(3, 1).setting_probability = Currency::from_units(40);
    session.settings.guarantee = 4;
    const WorkingState saved = capture_working_state(session, "3.1|");
    EXPECT_EQ(saved.memo_text, "3.1|");
    EXPECT_EQ(saved.guarantee, 4);

    Session fresh;
    for (int e = 1; e <= event_count; ++e) fresh.events.event(e).name = "Событие " + std::to_string(e);
    ASSERT_TRUE(same_draw(saved, fresh.events));
    restore_marks(saved, fresh.events);
    EXPECT_EQ(fresh.events.cell(2, 5).mark, 1);
    EXPECT_EQ(fresh.events.cell(2, 5).yellow_mark, 1);
    EXPECT_EQ(fresh.events.event(2).start_with, 5);
    EXPECT_EQ(fresh.events.cell(3, 1).setting_probability, Currency::from_units(40));

    fresh.events.event(8).name = "Другой матч";
    EXPECT_FALSE(same_draw(saved, fresh.events));
}

TEST(LineRefresh, MarksStayOnEventsWhoseNameDidNotChange) {
    EventTable table;
    for (int e = 1; e <= event_count; ++e) {
        table.event(e).name = "Матч " + std::to_string(e);
        table.cell(e, 2).mark = 1;
        table.cell(e, 2).yellow_mark = 1;
        table.event(e).start_with = 2;
    }
    const EventNames before = event_names(table);
    table.event(3).name = "Другой матч";
    EXPECT_EQ(clear_marks_of_renamed_events(before, table), 1);
    EXPECT_EQ(marked_count(table, 3), 0);
    EXPECT_EQ(table.cell(3, 2).yellow_mark, 0);
    EXPECT_EQ(table.event(3).start_with, 0);
    EXPECT_EQ(marked_count(table, 4), 1);
    EXPECT_EQ(table.event(4).start_with, 2);
    EXPECT_TRUE(any_marks(table));

    // Marks made before any line arrived stay when the first line comes.
    EventTable unread;
    unread.cell(1, 1).mark = 1;
    const EventNames nameless = event_names(unread);
    unread.event(1).name = "Матч 1";
    EXPECT_EQ(clear_marks_of_renamed_events(nameless, unread), 0);
    EXPECT_EQ(unread.cell(1, 1).mark, 1);
    EXPECT_FALSE(any_marks(EventTable{}));
}

TEST(WorkingState, TheConditionsAreKeptAndOlderFilesStillRead) {
    Session session;
    session.conditions.enabled = true;
    Condition away;
    away.count_high = 2;
    away.group = CountGroup::away;
    Condition unpopular;
    unpopular.kind = ConditionKind::popularity;
    unpopular.high = 0.05;
    unpopular.on = false;
    session.conditions.conditions = {away, unpopular};
    session.conditions.allowed_errors = 1;
    const WorkingState state = capture_working_state(session, "memo\n");
    const WorkingStateRead read = read_text(written(state));
    ASSERT_TRUE(read.state) << read.error;
    ConditionSet back;
    restore_conditions(*read.state, back);
    EXPECT_EQ(back, session.conditions);

    // Written without conditions, the file is what it was before they existed.
    const WorkingState plain = sample_state();
    EXPECT_EQ(written(plain).find("conditions"), std::string::npos);
    ConditionSet none;
    none.enabled = true;
    restore_conditions(*read_text(written(plain)).state, none);
    EXPECT_EQ(none, ConditionSet{});
    const std::string body = body_of(written(plain));
    EXPECT_FALSE(read_text(with_checksum(body + "conditions 2 3\nabc\n")).state);
    EXPECT_FALSE(read_text(with_checksum(body + "conditions 1 30\nabc\n")).state);
}

TEST(WorkingState, ThePoolRulesAreKeptBesideTheConditionsAndOlderFilesStillRead) {
    Session session;
    session.pool_rules = parse_pool_rules("tickets=1234567;payout=0.655;tiers=8:0.45,7:0.3333,5:0.1;jackpot=2500.75").rules;
    ASSERT_TRUE(session.pool_rules);
    const WorkingState without_conditions = capture_working_state(session, "memo\n");
    ASSERT_TRUE(without_conditions.pool_rules);
    const WorkingStateRead read = read_text(written(without_conditions));
    ASSERT_TRUE(read.state) << read.error;
    EXPECT_EQ(read.state->pool_rules, session.pool_rules);
    EXPECT_EQ(*read.state, without_conditions);

    // With the conditions before them; rules without a listed tier come back as they were.
    session.conditions.enabled = true;
    session.conditions.conditions = {Condition{}};
    session.pool_rules = parse_pool_rules("tickets=0;payout=1;tiers=").rules;
    ASSERT_TRUE(session.pool_rules);
    const WorkingState both = capture_working_state(session, "");
    const WorkingStateRead both_read = read_text(written(both));
    ASSERT_TRUE(both_read.state) << both_read.error;
    EXPECT_EQ(both_read.state->pool_rules, session.pool_rules);
    EXPECT_TRUE(both_read.state->conditions_on);
    EXPECT_EQ(*both_read.state, both);

    // A file of the time before the rules, with or without conditions, reads with no rules; a state
    // without rules writes no such line.
    const WorkingState plain = sample_state();
    EXPECT_EQ(written(plain).find("pool-rules"), std::string::npos);
    const WorkingStateRead older = read_text(written(plain));
    ASSERT_TRUE(older.state) << older.error;
    EXPECT_FALSE(older.state->pool_rules);
    WorkingState with_conditions_only = both;
    with_conditions_only.pool_rules.reset();
    ASSERT_TRUE(read_text(written(with_conditions_only)).state);
    EXPECT_FALSE(read_text(written(with_conditions_only)).state->pool_rules);

    // Rules that do not read, a second rules line or text after them refuse the file.
    const std::string body = body_of(written(plain));
    EXPECT_TRUE(read_text(with_checksum(body + "pool-rules tickets=5;payout=0.5;tiers=8:1\n")).state);
    EXPECT_FALSE(read_text(with_checksum(body + "pool-rules tickets=5;payout=2;tiers=8:1\n")).state);
    EXPECT_FALSE(read_text(with_checksum(body + "pool-rules tickets=5;payout=0.5;tiers=8:1\npool-rules tickets=5;payout=0.5;tiers=8:1\n")).state);
    EXPECT_FALSE(read_text(with_checksum(body + "pool-rules tickets=5;payout=0.5;tiers=8:1\nconditions 0 0\n\n")).state);
    EXPECT_FALSE(read_text(with_checksum(body + "pool-rules\n")).state);
}
