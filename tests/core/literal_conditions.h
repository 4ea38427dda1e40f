// Conditions read literally: every variant judged from the raw figures, one condition at a time.
#pragma once

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "core/model/conditions.h"
#include "core/model/event_table.h"

namespace morvalen::test {

using Columns = std::array<int, 8>;

inline double literal_share(const core::EventTable& t, int e, int c, bool pool) {
    long double sum = 0;
    for (int o = 1; o <= 17; ++o)
        sum += static_cast<long double>((pool ? t.cell(e, o).pool_probability : t.cell(e, o).setting_probability).ten_thousandths());
    if (sum == 0) return 0;
    return static_cast<double>(
        static_cast<long double>((pool ? t.cell(e, c).pool_probability : t.cell(e, c).setting_probability).ten_thousandths()) / sum);
}

inline bool literal_in_group(const core::Condition& k, const core::EventTable& t, int e, int c) {
    using core::CountGroup;
    switch (k.group) {
        case CountGroup::home: return c <= 6;
        case CountGroup::draws: return c >= 7 && c <= 10;
        case CountGroup::away: return c >= 11 && c <= 16;
        case CountGroup::other: return c == 17;
        case CountGroup::yellow: return t.cell(e, c).mark == 1 && t.cell(e, c).yellow_mark == 1;
        case CountGroup::cells: return k.cells[static_cast<std::size_t>(e - 1)].contains(c);
        case CountGroup::favourite:
        case CountGroup::crowd_favourite: {
            const bool pool = k.group == CountGroup::crowd_favourite;
            for (int o = 1; o <= 17; ++o)
                if (literal_share(t, e, o, pool) > literal_share(t, e, c, pool)) return false;
            return true;
        }
    }
    return false;
}

inline bool literal_keeps(const core::Condition& k, const core::EventTable& t, const Columns& v) {
    const double high = k.high.value_or(std::numeric_limits<double>::infinity());
    if (k.kind == core::ConditionKind::count) {
        int n = 0;
        for (int e = 1; e <= 8; ++e) n += literal_in_group(k, t, e, v[static_cast<std::size_t>(e - 1)]) ? 1 : 0;
        return k.count_low <= n && n <= k.count_high.value_or(8);
    }
    double p = 1;
    double q = 1;
    for (int e = 1; e <= 8; ++e) {
        p *= literal_share(t, e, v[static_cast<std::size_t>(e - 1)], false);
        q *= literal_share(t, e, v[static_cast<std::size_t>(e - 1)], true);
    }
    p *= 100;
    q *= 100;
    double x = k.kind == core::ConditionKind::probability ? p : q;
    if (k.kind == core::ConditionKind::value) x = q > 0 ? p / q : std::numeric_limits<double>::infinity();
    return k.low <= x && x <= high;
}

inline bool literal_passes(const core::ConditionSet& s, const core::EventTable& t, const Columns& v) {
    int failed = 0;
    for (const core::Condition& k : s.conditions) failed += k.on && !literal_keeps(k, t, v) ? 1 : 0;
    return failed <= s.allowed_errors;
}

inline double literal_probability(const core::EventTable& t, const Columns& v) {
    double p = 1;
    for (int e = 1; e <= 8; ++e) p *= literal_share(t, e, v[static_cast<std::size_t>(e - 1)], false);
    return p;
}

// Every variant over the marked outcomes, event 1 slowest.
inline void for_each_marked_variant(const core::EventTable& t, const std::function<void(const Columns&)>& f) {
    Columns v{};
    std::function<void(int)> walk = [&](int e) {
        if (e > 8) return f(v);
        for (int c = 1; c <= 17; ++c)
            if (t.cell(e, c).mark == 1) {
                v[static_cast<std::size_t>(e - 1)] = c;
                walk(e + 1);
            }
    };
    walk(1);
}

}  // namespace morvalen::test
