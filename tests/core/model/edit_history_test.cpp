// Undo and redo over random runs of the list commands and formations, and the history's budgets.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/formation/autoformation.h"
#include "core/model/edit_history.h"
#include "core/formation/random_distribution.h"
#include "core/formation/sensations.h"
#include "../formation_test_support.h"

using namespace morvalen::core;
using morvalen::test::LinesMemo;

namespace {

// The memo of the window as one text: lines joined by breaks, as the snapshot keeps it.
std::string memo_text(const LinesMemo& memo) {
    std::string text;
    for (std::size_t i = 0; i < memo.lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += memo.lines[i];
    }
    return text;
}

// The inverse of memo_text: every break separates two lines.
std::vector<std::string> split_text(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t from = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', from)) {
        lines.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    lines.push_back(text.substr(from));
    return lines;
}

PackageSnapshot snapshot(const Session& session, const LinesMemo& memo) { return {memo_text(memo), session.bets, {}, {}}; }

void restore(const PackageSnapshot& state, Session& session, LinesMemo& memo) {
    session.bets = state.bets;
    memo.lines = split_text(state.memo_text);
}

// A player at work: marks some outcomes, then one command, formation or edit of the memo.
class Player {
public:
    Player(Session& session, LinesMemo& memo, std::uint32_t seed) : session_(session), memo_(memo), random_(seed) {}

    void remark() {
        for (int e = 1; e <= event_count; ++e)
            for (int o = 1; o <= outcome_count; ++o) {
                OutcomeCell& cell = session_.events.cell(e, o);
                cell.mark = o <= 3 && pick(3) == 0 ? 1 : 0;
                cell.yellow_mark = cell.mark && pick(2) == 0 ? 1 : 0;
                cell.setting_probability = Currency::from_units(o);
            }
        for (int e = 1; e <= event_count; ++e)
            if (marked_count(session_.events, e) == 0) session_.events.cell(e, 1 + pick(3)).mark = 1;
    }

    // One change of the package; the history gets the state before it.
    void change(EditHistory& history) {
        const PackageSnapshot before = snapshot(session_, memo_);
        switch (pick(9)) {
        case 0: session_.add_coupon(); break;
        case 1: (void)session_.split_into_singles(); break;
        case 2: session_.remove_repeats(); break;
        case 3: (void)session_.remove_variants(); break;
        case 4: session_.clear(); break;
        case 5: form_by_sensations(session_); break;
        case 6:
            session_.settings.repeat_count = 1 + pick(6);
            (void)random_distribution(session_);
            break;
        case 7:
            session_.settings.guarantee = 6 + pick(2);
            session_.settings.repeat_count = 1 + pick(4);
            autoform(session_, session_.settings.repeat_count);
            break;
        default: type_into_memo(); break;
        }
        history.record(before);
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

private:
    // The memo is the authority while the player types: the list is read again from its text.
    void type_into_memo() {
        std::string text = memo_text(memo_);
        if (!text.empty() && pick(2) == 0) {
            text.erase(static_cast<std::size_t>(pick(static_cast<int>(text.size()))), 1);
        } else {
            text += text.empty() ? "" : "\n";
            text += "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#";
        }
        memo_.lines = split_text(text);
        read_memo(text, session_.bets);
    }

    Session& session_;
    LinesMemo& memo_;
    std::mt19937 random_;
};

}  // namespace

TEST(EditHistory, RandomRunsOfCommandsUndoToTheStateKStepsBackAndRedoForward) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Session session(seed);
        LinesMemo memo;
        session.memo = &memo;
        session.settings.yellow_min = 0;
        session.settings.yellow_max = 2;
        // A small step budget, so that the oldest steps are forgotten during the run too.
        EditHistory history(HistoryLimits{9, std::size_t{64} * 1024 * 1024});
        Player player(session, memo, seed);
        // timeline[i] is the package after i changes; `at` is where undo and redo have brought us.
        std::vector<PackageSnapshot> timeline{snapshot(session, memo)};
        std::size_t at = 0;
        std::size_t oldest_reachable = 0;
        for (int round = 0; round < 60; ++round) {
            player.remark();
            const int action = player.pick(4);
            if (action <= 1) {
                player.change(history);
                timeline.resize(at + 1);
                timeline.push_back(snapshot(session, memo));
                ++at;
                if (at - oldest_reachable > 9) oldest_reachable = at - 9;
            } else if (action == 2) {
                const std::size_t k = static_cast<std::size_t>(player.pick(4)) + 1;
                for (std::size_t i = 0; i < k; ++i) {
                    auto back = history.undo(snapshot(session, memo));
                    ASSERT_EQ(back.has_value(), at > oldest_reachable);
                    if (!back) break;
                    restore(*back, session, memo);
                    --at;
                    ASSERT_EQ(snapshot(session, memo), timeline[at]) << "after undo to step " << at;
                }
            } else {
                const std::size_t k = static_cast<std::size_t>(player.pick(4)) + 1;
                for (std::size_t i = 0; i < k; ++i) {
                    auto forward = history.redo(snapshot(session, memo));
                    ASSERT_EQ(forward.has_value(), at + 1 < timeline.size());
                    if (!forward) break;
                    restore(*forward, session, memo);
                    ++at;
                    ASSERT_EQ(snapshot(session, memo), timeline[at]) << "after redo to step " << at;
                }
            }
            ASSERT_LE(history.undo_steps(), 9u);
        }
    }
}

TEST(EditHistory, ANewChangeAfterUndoForgetsTheRedoSteps) {
    EditHistory history;
    history.record({"a", {}, {}, {}});
    auto back = history.undo({"b", {}, {}, {}});
    ASSERT_TRUE(back);
    EXPECT_EQ(back->memo_text, "a");
    EXPECT_TRUE(history.can_redo());
    history.record({"a", {}, {}, {}});
    EXPECT_FALSE(history.can_redo());
    EXPECT_FALSE(history.redo({"c", {}, {}, {}}));
    EXPECT_FALSE(EditHistory{}.undo({"x", {}, {}, {}}));
}

TEST(EditHistory, TheByteBudgetDropsTheOldestStepsFirst) {
    EditHistory history(HistoryLimits{100, 1000});
    for (char c = 'a'; c <= 'e'; ++c) history.record({std::string(300, c), {}, {}, {}});
    EXPECT_EQ(history.undo_steps(), 3u);
    EXPECT_LE(history.bytes(), 1000u);
    // Undoing keeps the present for redo inside the same budget.
    auto back = history.undo({std::string(300, 'f'), {}, {}, {}});
    ASSERT_TRUE(back);
    EXPECT_EQ(back->memo_text, std::string(300, 'e'));
    EXPECT_LE(history.bytes(), 1000u);
    EXPECT_TRUE(history.can_redo());
    // The list counts as well as the text.
    EditHistory lists(HistoryLimits{100, 10 * sizeof(BetEntry)});
    lists.record({"", BetList(6), {}, {}});
    lists.record({"", BetList(6), {}, {}});
    EXPECT_EQ(lists.undo_steps(), 1u);
}

TEST(EditHistory, AStepLargerThanTheWholeBudgetClearsTheHistoryAndSaysSo) {
    EditHistory history(HistoryLimits{100, 1000});
    history.record({"small", {}, {}, {}});
    EXPECT_EQ(history.record({std::string(1001, 'x'), {}, {}, {}}), EditHistory::Recorded::too_large);
    EXPECT_FALSE(history.can_undo());
    EXPECT_EQ(history.bytes(), 0u);
    EXPECT_EQ(history.record({"small again", {}, {}, {}}), EditHistory::Recorded::kept);
    // Going back from a present too large to keep still works; only redo is lost.
    auto back = history.undo({std::string(5000, 'y'), {}, {}, {}});
    ASSERT_TRUE(back);
    EXPECT_EQ(back->memo_text, "small again");
    EXPECT_FALSE(history.can_redo());
}

TEST(EditHistory, AStepThatChangedTheLineTakesItsFiguresBackButNotTheMarks) {
    EventTable table;
    table.event(1).name = "Старое - Имя";
    table.cell(1, 1).quote_probability = Currency::from_units(10);
    EditHistory history;
    history.record({"memo", {}, line_figures(table, "Анализ вариантов"), {}});
    ASSERT_TRUE(history.undo_touches_line());
    EXPECT_FALSE(history.redo_touches_line());

    // The quotes file put other figures in; the player marked an outcome since.
    table.event(1).name = "Новое - Имя";
    table.cell(1, 1).quote_probability = Currency::from_units(20);
    table.cell(1, 1).mark = 1;
    auto back = history.undo({"memo", {}, line_figures(table, "Из файла"), {}});
    ASSERT_TRUE(back && back->line);
    restore_line_figures(*back->line, table);
    EXPECT_EQ(table.event(1).name, "Старое - Имя");
    EXPECT_EQ(table.cell(1, 1).quote_probability, Currency::from_units(10));
    EXPECT_EQ(table.cell(1, 1).mark, 1);
    EXPECT_EQ(back->line->caption, "Анализ вариантов");
    ASSERT_TRUE(history.redo_touches_line());
    auto forward = history.redo({"memo", {}, line_figures(table, "Анализ вариантов"), {}});
    ASSERT_TRUE(forward && forward->line);
    EXPECT_EQ(forward->line->events.event(1).name, "Новое - Имя");
    EXPECT_EQ(forward->line->caption, "Из файла");
}
