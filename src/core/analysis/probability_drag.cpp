// The probability editor's presets, drag step and value marks.
#include "core/analysis/probability_drag.h"

#include <algorithm>

#include "core/model/wide_int.h"

namespace morvalen::core {

namespace {

// numerator / denominator (denominator > 0) rounded to the nearest integer, halves to even.
int128 divide_half_even(int128 numerator, int128 denominator) {
    int128 quotient = numerator / denominator;
    int128 remainder = numerator % denominator;
    if (remainder < 0) {  // floor division, so the remainder lies in [0, denominator)
        quotient -= 1;
        remainder += denominator;
    }
    const int128 twice = remainder * 2;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) quotient += 1;
    return quotient;
}

// Values that came from a quotes file can be anything; a result beyond 64 bits is pinned.
std::int64_t to_int64(int128 value) {
    constexpr int128 max = INT64_MAX;
    constexpr int128 min = INT64_MIN;
    return static_cast<std::int64_t>(std::clamp(value, min, max));
}

bool valid_event(int e) { return e >= 1 && e <= event_count; }

}  // namespace

void apply_preset(EventTable& table, int e, ProbabilityPreset preset) {
    if (!valid_event(e)) return;
    for (int o = 1; o <= outcome_count; ++o) {
        OutcomeCell& cell = table.cell(e, o);
        switch (preset) {
            case ProbabilityPreset::uniform:
                cell.setting_probability = Currency::from_ten_thousandths(uniform_setting);
                break;
            case ProbabilityPreset::quotes: cell.setting_probability = cell.quote_probability; break;
            case ProbabilityPreset::pool: cell.setting_probability = cell.pool_probability; break;
        }
    }
}

bool drag_step(EventTable& table, int e, int column, std::int64_t last_y, std::int64_t y,
               std::int64_t pixels_per_percent) {
    if (!valid_event(e) || column < 1 || column > outcome_count || pixels_per_percent <= 0) return false;
    const int128 s = pixels_per_percent;
    OutcomeCell& held = table.cell(e, column);

    // The new value as the fraction (old × s + Δy × 10000) / s ten-thousandths, clamped while
    // still exact so that the rounding happens once.
    int128 numerator = static_cast<int128>(held.setting_probability.ten_thousandths()) * s +
                       (static_cast<int128>(last_y) - y) * Currency::scale;
    numerator = std::clamp(numerator, setting_floor * s, setting_ceiling * s);
    const std::int64_t v = to_int64(divide_half_even(numerator, s));
    held.setting_probability = Currency::from_ten_thousandths(v);

    int128 rest = 0;
    for (int o = 1; o <= outcome_count; ++o)
        if (o != column) rest += table.cell(e, o).setting_probability.ten_thousandths();
    if (rest <= 0) return true;

    const int128 share = setting_whole - v;
    for (int o = 1; o <= outcome_count; ++o) {
        if (o == column) continue;
        Currency& w = table.cell(e, o).setting_probability;
        w = Currency::from_ten_thousandths(to_int64(divide_half_even(share * w.ten_thousandths(), rest)));
    }
    return true;
}

std::string format_value_mark(Currency percent) {
    const std::int64_t raw = percent.ten_thousandths();
    // Tenths, halves away from zero; magnitude in 128 bits so that INT64_MIN has one.
    const bool negative = raw < 0;
    const uint128 magnitude = negative ? static_cast<uint128>(-static_cast<int128>(raw)) : static_cast<uint128>(raw);
    const uint128 tenths = (magnitude + 500) / 1000;
    uint128 whole = tenths / 10;
    const auto decimal = static_cast<char>('0' + static_cast<int>(tenths % 10));

    std::string digits;
    int count = 0;
    do {
        if (count > 0 && count % 3 == 0) digits.push_back(',');
        digits.push_back(static_cast<char>('0' + static_cast<int>(whole % 10)));
        whole /= 10;
        ++count;
    } while (whole != 0);
    std::string text = (negative && tenths != 0) ? "-" : "";
    text.append(digits.rbegin(), digits.rend());
    if (decimal != '0') {
        text.push_back('.');
        text.push_back(decimal);
    }
    return text;
}

}  // namespace morvalen::core
