// List commands with the orders the player sees: split order and last-into-place removal.
#include "core/model/list_operations.h"

#include "core/formats/decimal_text.h"

#include <unordered_set>

namespace morvalen::core {

std::optional<Stake> Stake::parse(std::string_view text) {
    text = trim_blanks(text);
    if (!Currency::parse(text)) return std::nullopt;
    // Read without the process locale: the desktop program runs under the player's locale, where a
    // decimal comma would otherwise refuse "3.1".
    if (text.front() == '+') text.remove_prefix(1);
    const auto value = read_long_decimal(text);
    if (!value) return std::nullopt;
    return Stake{*value};
}

BetEntry make_coupon(const EventTable& table, const Stake& stake) {
    BetEntry entry;
    entry.bet_count = 1;
    for (int e = 1; e <= event_count; ++e) {
        entry.set(e) = mark_set(table, e);
        entry.bet_count *= entry.set(e).size();
    }
    entry.amount = Currency::from_floating(stake.value * static_cast<long double>(entry.bet_count));
    return entry;
}

std::optional<SplitLowest> split_lowest(std::uint32_t set) {
    if (set == 0 || (set & (set - 1)) == 0) return std::nullopt;
    const std::uint32_t low = set & (~set + 1);
    return SplitLowest{low, set - low};
}

std::optional<std::int64_t> split_length(const BetList& list, std::int64_t limit) {
    std::int64_t total = 0;
    for (const BetEntry& entry : list) {
        std::int64_t singles = 1;
        if (entry.bet_count > 0)
            for (const OutcomeSet& set : entry.outcome_sets) singles *= std::max(set.size(), 1);
        total += singles;
        if (total > limit) return std::nullopt;
    }
    return total;
}

std::optional<std::string> split_into_singles(BetList& list, std::int64_t limit) {
    if (!split_length(list, limit))
        return "Разложение дало бы больше " + std::to_string(limit) +
               " ставок. Список не изменён: уменьшите купоны и повторите.";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].bet_count <= 0) continue;
        for (int e = 1; e <= event_count; ++e) {
            while (const auto parts = split_lowest(list[i].set(e).bits())) {
                list.push_back(list[i]);
                list[i].set(e) = OutcomeSet::from_bits(parts->rest);
                list.back().set(e) = OutcomeSet::from_bits(parts->low);
            }
        }
    }
    return std::nullopt;
}

void restake_singles(BetList& list, Currency stake) {
    for (BetEntry& entry : list) {
        if (!entry.set(1).empty()) {
            entry.amount = stake;
            entry.bet_count = 1;
        }
    }
}

void remove_marked_entries(BetList& list) {
    std::size_t i = 0;
    while (i < list.size()) {
        if (list[i].bet_count == 0) {
            if (i + 1 != list.size()) list[i] = list.back();
            list.pop_back();
        } else {
            ++i;
        }
    }
}

namespace {
struct SetsHash {
    std::size_t operator()(const std::array<OutcomeSet, event_count>& sets) const {
        std::uint64_t h = 1469598103934665603ULL;
        for (const OutcomeSet& s : sets) h = (h ^ s.bits()) * 1099511628211ULL;
        return static_cast<std::size_t>(h);
    }
};
}  // namespace

void remove_repeats(BetList& list) {
    // Same marking as comparing every pair i < k: an entry goes when any earlier one has its sets.
    std::unordered_set<std::array<OutcomeSet, event_count>, SetsHash> seen;
    seen.reserve(list.size());
    for (BetEntry& entry : list)
        if (!seen.insert(entry.outcome_sets).second) entry.bet_count = 0;
    remove_marked_entries(list);
}

void mark_covered_variants(BetList& list, const EventTable& table) {
    std::array<OutcomeSet, event_count> marks;
    for (int e = 1; e <= event_count; ++e) marks[e - 1] = mark_set(table, e);
    for (BetEntry& entry : list) {
        bool covered = true;
        for (int e = 0; e < event_count && covered; ++e) covered = entry.outcome_sets[e].intersects(marks[e]);
        if (covered) entry.bet_count = 0;
    }
}

std::vector<std::string> list_lines(const BetList& list) {
    std::vector<std::string> lines;
    lines.reserve(list.size());
    for (const BetEntry& entry : list) lines.push_back(entry.bet_count != 0 ? format_bet(entry) : std::string());
    return lines;
}

}  // namespace morvalen::core
