// The filter walks each entry's single bets in the order a player reads them and keeps whole coupons.
#include "core/formation/condition_filter.h"

#include "core/model/list_operations.h"

namespace morvalen::core {
namespace {

bool has_single_bets(const BetEntry& entry) {
    if (entry.bet_count == 0) return false;
    for (const OutcomeSet& set : entry.outcome_sets)
        if (set.empty()) return false;
    return true;
}

// Calls f(columns, tally) for every single bet of the entry, event 1 the slowest.
template <typename F>
void for_each_single(const BetEntry& entry, const ConditionCheck& check, F&& f) {
    VariantColumns columns{};
    std::array<ConditionCheck::Tally, event_count + 1> tallies{};
    const auto walk = [&](auto& self, int d) -> void {
        if (d == event_count) {
            f(columns, tallies[event_count]);
            return;
        }
        entry.outcome_sets[static_cast<std::size_t>(d)].for_each_column([&](int c) {
            columns[static_cast<std::size_t>(d)] = c;
            tallies[static_cast<std::size_t>(d + 1)] = tallies[static_cast<std::size_t>(d)];
            check.add(tallies[static_cast<std::size_t>(d + 1)], d + 1, c);
            self(self, d + 1);
        });
    };
    walk(walk, 0);
}

}  // namespace

std::optional<std::string> filter_by_conditions(BetList& list, const EventTable& table, const ConditionSet& set,
                                                Currency stake, std::vector<std::size_t>* origins) {
    const ConditionCheck check(set, table);
    if (!check.refusal().empty()) return check.refusal();
    if (!split_length(list))
        return "Отбор дал бы проверить больше " + std::to_string(split_entry_limit) +
               " ставок. Список не изменён: уменьшите купоны и повторите.";
    BetList kept;
    kept.reserve(list.size());
    BetList passing;
    std::vector<std::size_t> from;
    for (std::size_t place = 0; place < list.size(); ++place) {
        const BetEntry& entry = list[place];
        if (!has_single_bets(entry)) {
            kept.push_back(entry);
            from.push_back(place);
            continue;
        }
        passing.clear();
        std::int64_t singles = 0;
        for_each_single(entry, check, [&](const VariantColumns& columns, const ConditionCheck::Tally& tally) {
            ++singles;
            if (!check.passes_mask(check.failures(tally))) return;
            BetEntry single;
            for (int e = 0; e < event_count; ++e) single.outcome_sets[static_cast<std::size_t>(e)] = OutcomeSet::of_column(columns[static_cast<std::size_t>(e)]);
            single.amount = stake;
            single.bet_count = 1;
            passing.push_back(single);
        });
        if (static_cast<std::int64_t>(passing.size()) == singles) {
            kept.push_back(entry);
            from.push_back(place);
        } else {
            kept.insert(kept.end(), passing.begin(), passing.end());
            from.insert(from.end(), passing.size(), new_single);
        }
    }
    list = std::move(kept);
    if (origins) *origins = std::move(from);
    return std::nullopt;
}

}  // namespace morvalen::core
