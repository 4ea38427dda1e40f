// The three summary lines and the enabled commands.
#include <gtest/gtest.h>

#include "core/model/session.h"

using namespace morvalen::core;

namespace {
void mark_first(EventTable& table, int e, int how_many) {
    for (int o = 1; o <= how_many; ++o) click_outcome(table, e, o, false);
}
}  // namespace

TEST(PackageStats, EmptySessionShowsZeroAndDisablesEverything) {
    Session session;
    const StatsView view = session.stats();
    EXPECT_EQ(view.package_line, "Ставок  0 (На сумму 0)");
    EXPECT_EQ(view.variants_line, "");
    EXPECT_EQ(view.coverage_line, "");
    EXPECT_FALSE(view.enabled.forming_link);
    EXPECT_FALSE(view.enabled.add_coupon);
    EXPECT_FALSE(view.enabled.remove_variants);
    EXPECT_FALSE(view.enabled.list_commands);
}

TEST(PackageStats, VariantsLineAndEnabledStatesFollowTheMarks) {
    Session session;
    for (int e = 1; e <= 8; ++e) mark_first(session.events, e, 2);
    StatsView view = session.stats();
    EXPECT_EQ(view.variants_line, "Всего вариантов по отмеченным исходам 256 (На сумму 793.6)");
    EXPECT_TRUE(view.enabled.forming_link);
    EXPECT_TRUE(view.enabled.add_coupon);
    EXPECT_FALSE(view.enabled.remove_variants);

    session.uncovered_variants = 156;
    session.settings.guarantee = 7;
    view = session.stats(true);
    EXPECT_EQ(view.coverage_line, "Покрыто ставками 100 вариантов (39.06%) с гарантией 7 событий");
    session.uncovered_variants = 56;
    EXPECT_EQ(session.stats(true).coverage_line, "Покрыто ставками 200 вариантов (78.12%) с гарантией 7 событий");
    session.uncovered_variants = 0;
    session.settings.guarantee = 5;
    EXPECT_EQ(session.stats(true).coverage_line, "Покрыто ставками 256 вариантов (100%) с гарантией 5 событий");

    click_event_name(session.events, 3);  // all 17 in event 3
    click_event_name(session.events, 4);
    click_event_name(session.events, 4);  // event 4 now empty
    view = session.stats(true);
    EXPECT_EQ(view.variants_line, "");
    EXPECT_EQ(view.coverage_line, "");
    EXPECT_FALSE(view.enabled.forming_link);
}

TEST(PackageStats, TotalsAndMoneyAreExact) {
    Session session;
    session.bets = {parse_bet_line("3.1|1-(1:0)"), parse_bet_line("6.2|1-(1:0,2:0)"), parse_bet_line("junk")};
    const StatsView view = session.stats();
    EXPECT_EQ(view.package_line, "Ставок  3 (На сумму 9.3)");
    EXPECT_TRUE(view.enabled.list_commands);

    EXPECT_EQ(coverage_percent(1, 3).to_string(), "33.33");
    EXPECT_EQ(coverage_percent(3, 3).to_string(), "100");
    EXPECT_EQ(coverage_percent(1, 2).to_string(), "50");

    Session all;
    for (int e = 1; e <= 8; ++e) click_event_name(all.events, e);
    EXPECT_EQ(all.stats().variants_line, "Всего вариантов по отмеченным исходам 6975757441 (На сумму 21624848067.1)");
    for (int e = 1; e <= 8; ++e) click_event_name(all.events, e);
    mark_first(all.events, 1, 3);
    for (int e = 2; e <= 8; ++e) mark_first(all.events, e, 1);
    EXPECT_EQ(all.stats().variants_line, "Всего вариантов по отмеченным исходам 3 (На сумму 9.3)");
    all.settings.stake = *Stake::parse("0.03125");
    EXPECT_EQ(all.stats().variants_line, "Всего вариантов по отмеченным исходам 3 (На сумму 0.0938)");
}

TEST(PackageStats, HugeTypedAmountsSaturateInsteadOfWrapping) {
    const BetList list = {parse_bet_line("900000000000000|1-(1:0)"), parse_bet_line("900000000000000|1-(1:0)")};
    EXPECT_EQ(package_totals(list).package_amount.ten_thousandths(), INT64_MAX);
}
