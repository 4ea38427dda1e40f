// Lines like a bookmaker's: each event's 17 outcomes priced by two Poisson goal counts.
#pragma once

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "core/model/event_table.h"
#include "core/model/outcomes.h"
#include "core/model/random_source.h"

namespace morvalen::bench {

// Probabilities from goal means between 0.5 and 2.2 on each side; in every event the `marks[e]`
// likeliest outcomes are marked, as a player who follows the quotes would.
inline core::EventTable poisson_line(const std::vector<int>& marks, std::uint64_t seed) {
    core::EventTable table;
    core::RandomSource rng(seed);
    for (int e = 1; e <= core::event_count; ++e) {
        const double home = 0.5 + 1.7 * rng.uniform01();
        const double away = 0.5 + 1.2 * rng.uniform01();
        const auto poisson = [](double mean, int goals) { return std::exp(-mean) * std::pow(mean, goals) / std::tgamma(goals + 1); };
        std::vector<double> p(core::outcome_count, 0.0);
        double listed = 0;
        for (int o = 1; o < core::outcome_count; ++o) {
            const std::string_view label = core::outcome_label(o);  // "h:a"
            p[static_cast<std::size_t>(o - 1)] = poisson(home, label[0] - '0') * poisson(away, label[2] - '0');
            listed += p[static_cast<std::size_t>(o - 1)];
        }
        p[core::outcome_count - 1] = std::max(0.0, 1 - listed);
        for (int o = 1; o <= core::outcome_count; ++o)
            table.cell(e, o).setting_probability = core::Currency::from_ten_thousandths(std::llround(p[static_cast<std::size_t>(o - 1)] * 1e6));
        std::vector<int> order(core::outcome_count);
        std::iota(order.begin(), order.end(), 1);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return p[static_cast<std::size_t>(a - 1)] > p[static_cast<std::size_t>(b - 1)]; });
        for (int i = 0; i < marks[static_cast<std::size_t>(e - 1)]; ++i) table.cell(e, order[static_cast<std::size_t>(i)]).mark = 1;
    }
    return table;
}

}  // namespace morvalen::bench
