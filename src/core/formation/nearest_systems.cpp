// Formulas and the choice of nearest brief systems.
#include "core/formation/nearest_systems.h"

#include <algorithm>
#include <functional>

#include "core/model/signature.h"

namespace morvalen::core {

std::string system_formula(const MarkedCounts& counts) {
    std::array<std::pair<int, int>, event_count> pairs{};  // value, number
    for (int i = 0; i < event_count; ++i) pairs[i] = {counts[i], 1};
    for (int i = 0; i < event_count - 1; ++i)
        for (int j = i + 1; j < event_count; ++j)
            if (pairs[j].first == pairs[i].first) {
                ++pairs[i].second;
                pairs[j].first = 0;
            }
    std::string formula;
    for (const auto& [value, number] : pairs) {
        if (value <= 1) continue;
        if (!formula.empty()) formula += " + ";
        formula += std::to_string(number) + " по " + std::to_string(value);
    }
    return formula;
}

std::pair<int, int> two_largest_marked_counts(const EventTable& table) {
    MarkedCounts counts = marked_counts(table);
    std::sort(counts.begin(), counts.end(), std::greater<>());
    return {counts[0], counts[1]};
}

std::vector<std::pair<std::string, std::string>> nearest_system_rows(const BriefSystemList& list, int m1, int m2) {
    std::vector<std::pair<std::string, std::string>> rows{{"Формула", "Ставок"}};
    const auto add_matching = [&](bool same_second) {
        for (const BriefSystemInfo& info : list)
            if (info.counts[0] == m1 && (info.counts[1] == m2) == same_second)
                rows.emplace_back(system_formula(info.counts), std::to_string(info.bets));
    };
    add_matching(true);
    if (rows.size() - 1 < 4) add_matching(false);
    if (rows.size() == 1) rows.emplace_back();
    return rows;
}

}  // namespace morvalen::core
