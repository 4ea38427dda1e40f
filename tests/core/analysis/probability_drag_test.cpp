// The probability editor's presets, drag step and value marks.
#include "core/analysis/probability_drag.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace morvalen::core {
namespace {

std::int64_t setting(const EventTable& t, int e, int o) { return t.cell(e, o).setting_probability.ten_thousandths(); }
void set(EventTable& t, int e, int o, std::int64_t raw) {
    t.cell(e, o).setting_probability = Currency::from_ten_thousandths(raw);
}
std::int64_t event_sum(const EventTable& t, int e) {
    std::int64_t sum = 0;
    for (int o = 1; o <= outcome_count; ++o) sum += setting(t, e, o);
    return sum;
}

// Event 2 with distinct quotes, pools and settings; the settings sum to exactly 100 %.
EventTable line() {
    EventTable t;
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) {
            t.cell(e, o).quote_probability = Currency::from_ten_thousandths(10000 * o + e);
            t.cell(e, o).pool_probability = Currency::from_ten_thousandths(20000 * o + e);
        }
    const std::int64_t settings[outcome_count] = {100000, 80000, 70000, 40000, 40000, 20000, 90000, 110000, 50000,
                                                  10000,  70000, 50000, 60000, 30000, 30000, 20000, 130000};
    for (int o = 1; o <= outcome_count; ++o) set(t, 2, o, settings[o - 1]);
    return t;
}

TEST(ProbabilityPresets, FillOnlyTheChosenEvent) {
    EventTable t = line();
    apply_preset(t, 3, ProbabilityPreset::uniform);
    for (int o = 1; o <= outcome_count; ++o) EXPECT_EQ(setting(t, 3, o), 58824);
    EXPECT_EQ(event_sum(t, 3), 1000008);  // not normalised

    apply_preset(t, 3, ProbabilityPreset::quotes);
    ASSERT_TRUE(drag_step(t, 3, 5, 100, 90, 4));
    apply_preset(t, 3, ProbabilityPreset::pool);
    for (int o = 1; o <= outcome_count; ++o) {
        EXPECT_EQ(setting(t, 3, o), 20000 * o + 3);
        EXPECT_EQ(setting(t, 4, o), 0);  // other events untouched
    }
    apply_preset(t, 3, ProbabilityPreset::quotes);
    for (int o = 1; o <= outcome_count; ++o) EXPECT_EQ(setting(t, 3, o), 10000 * o + 3);

    const EventTable before = t;
    apply_preset(t, 0, ProbabilityPreset::uniform);
    apply_preset(t, 9, ProbabilityPreset::uniform);
    for (int e = 1; e <= event_count; ++e)
        for (int o = 1; o <= outcome_count; ++o) EXPECT_EQ(setting(t, e, o), setting(before, e, o));
}

TEST(ProbabilityDrag, MovesByPixelsOverPercentSizeAndRescalesTheRest) {
    EventTable t = line();
    // 20 pixels up at 5 pixels a point: column 1 goes from 10 % to 14 %; the rest share 86 %
    // instead of 90 %, each times 86/90.
    ASSERT_TRUE(drag_step(t, 2, 1, 300, 280, 5));
    EXPECT_EQ(setting(t, 2, 1), 140000);
    EXPECT_EQ(setting(t, 2, 2), 76444);   // 80000 × 86/90 = 76444.4
    EXPECT_EQ(setting(t, 2, 17), 124222); // 130000 × 86/90 = 124222.2
    EXPECT_EQ(setting(t, 2, 10), 9556);   // 10000 × 86/90 = 9555.6
    EXPECT_LE(std::llabs(event_sum(t, 2) - 1000000), 8);

    // Moving down lowers it.
    ASSERT_TRUE(drag_step(t, 2, 1, 280, 300, 5));
    EXPECT_EQ(setting(t, 2, 1), 100000);
}

TEST(ProbabilityDrag, ClampsAtTheTopAndBottomKeepingProportions) {
    EventTable t = line();
    ASSERT_TRUE(drag_step(t, 2, 8, 0, -100000, 3));
    EXPECT_EQ(setting(t, 2, 8), 999000);
    // The other 16 (890000 together) now share 1000: 130000 → 146.07, 10000 → 11.24.
    EXPECT_EQ(setting(t, 2, 17), 146);
    EXPECT_EQ(setting(t, 2, 10), 11);
    EXPECT_EQ(setting(t, 2, 1), 112);  // 100000 × 1000 / 890000 = 112.36

    EventTable b = line();
    ASSERT_TRUE(drag_step(b, 2, 8, 0, 100000, 3));
    EXPECT_EQ(setting(b, 2, 8), 100);
    EXPECT_EQ(setting(b, 2, 17), 146053);  // 130000 × 999900 / 890000 = 146052.8
    EXPECT_EQ(setting(b, 2, 10), 11235);   // 11234.8
    EXPECT_LE(std::llabs(event_sum(b, 2) - 1000000), 8);

    // Another step down past the floor only repeats the floor.
    ASSERT_TRUE(drag_step(b, 2, 8, 0, 50, 3));
    EXPECT_EQ(setting(b, 2, 8), 100);
}

TEST(ProbabilityDrag, RoundsTheWholeValueHalfToEven) {
    EventTable t;
    set(t, 1, 1, 100000);
    // 1 pixel at 32 pixels a point is 312.5 ten-thousandths: 100312.5 goes to the even 100312 ...
    ASSERT_TRUE(drag_step(t, 1, 1, 1, 0, 32));
    EXPECT_EQ(setting(t, 1, 1), 100312);
    // ... and 100312 + 312.5 = 100624.5 to 100624, while 100001 + 312.5 = 100313.5 goes up.
    ASSERT_TRUE(drag_step(t, 1, 1, 1, 0, 32));
    EXPECT_EQ(setting(t, 1, 1), 100624);
    set(t, 1, 1, 100001);
    ASSERT_TRUE(drag_step(t, 1, 1, 1, 0, 32));
    EXPECT_EQ(setting(t, 1, 1), 100314);  // 100313.5

    // The rescaled values round halves to even as well: 899999 / 2 = 449999.5 → 450000,
    // 899997 / 2 = 449998.5 → 449998.
    EventTable r;
    set(r, 1, 3, 100000);
    set(r, 1, 4, 1);
    set(r, 1, 5, 1);
    ASSERT_TRUE(drag_step(r, 1, 3, 1, 0, 10000));  // +1 ten-thousandth: 100001
    EXPECT_EQ(setting(r, 1, 3), 100001);
    EXPECT_EQ(setting(r, 1, 4), 450000);
    EXPECT_EQ(setting(r, 1, 5), 450000);
    set(r, 1, 3, 100002);
    set(r, 1, 4, 1);
    set(r, 1, 5, 1);
    ASSERT_TRUE(drag_step(r, 1, 3, 1, 0, 10000));  // 100003
    EXPECT_EQ(setting(r, 1, 4), 449998);
}

TEST(ProbabilityDrag, RefusesWhatItCannotScale) {
    EventTable t = line();
    const EventTable before = t;
    EXPECT_FALSE(drag_step(t, 2, 1, 0, -10, 0));   // a chart too small for one pixel a point
    EXPECT_FALSE(drag_step(t, 2, 1, 0, -10, -4));
    EXPECT_FALSE(drag_step(t, 0, 1, 0, -10, 4));
    EXPECT_FALSE(drag_step(t, 9, 1, 0, -10, 4));
    EXPECT_FALSE(drag_step(t, 2, 0, 0, -10, 4));
    EXPECT_FALSE(drag_step(t, 2, 18, 0, -10, 4));
    for (int o = 1; o <= outcome_count; ++o) EXPECT_EQ(setting(t, 2, o), setting(before, 2, o));

    // Only the held point changes when the others hold nothing: the sum is then not 100 %.
    EventTable lone;
    set(lone, 1, 7, 300000);
    ASSERT_TRUE(drag_step(lone, 1, 7, 10, 0, 1));
    EXPECT_EQ(setting(lone, 1, 7), 400000);
    EXPECT_EQ(event_sum(lone, 1), 400000);

    // Extreme values read from a quotes file neither overflow nor wrap.
    EventTable wild;
    set(wild, 1, 1, INT64_MAX);
    set(wild, 1, 2, INT64_MAX);
    set(wild, 1, 3, -5);
    ASSERT_TRUE(drag_step(wild, 1, 1, INT32_MAX, INT32_MIN, 1));
    EXPECT_EQ(setting(wild, 1, 1), 999000);
    EXPECT_GE(setting(wild, 1, 2), 0);
    EXPECT_TRUE(drag_step(wild, 1, 2, INT64_MIN / 2, INT64_MAX / 2, INT64_MAX));
}

TEST(ProbabilityValueMarks, UseGroupedOneDecimalFormat) {
    auto mark = [](std::int64_t raw) { return format_value_mark(Currency::from_ten_thousandths(raw)); };
    EXPECT_EQ(mark(58824), "5.9");
    EXPECT_EQ(mark(120000), "12");
    EXPECT_EQ(mark(999000), "99.9");
    EXPECT_EQ(mark(100), "0");
    EXPECT_EQ(mark(0), "0");
    EXPECT_EQ(mark(250), "0");
    EXPECT_EQ(mark(500), "0.1");     // halves away from zero
    EXPECT_EQ(mark(1500), "0.2");
    EXPECT_EQ(mark(-1500), "-0.2");
    EXPECT_EQ(mark(-100), "0");
    EXPECT_EQ(mark(12345678900), "1,234,567.9");
    EXPECT_EQ(mark(10000000), "1,000");
    EXPECT_EQ(mark(INT64_MIN), "-922,337,203,685,477.6");
}

}  // namespace
}  // namespace morvalen::core
