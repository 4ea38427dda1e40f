// Which conditions a variant fails, from per-cell memberships and per-event shares.
#include "core/model/conditions.h"

#include <algorithm>
#include <limits>

namespace morvalen::core {
namespace {

OutcomeSet columns(int first, int last) {
    OutcomeSet set;
    for (int c = first; c <= last; ++c) set.add(c);
    return set;
}

// Every outcome whose figure is the event's highest; ties all count.
OutcomeSet highest(const EventTable& table, int e, Currency OutcomeCell::*field) {
    Currency top = table.cell(e, 1).*field;
    for (int c = 2; c <= outcome_count; ++c) top = std::max(top, table.cell(e, c).*field);
    OutcomeSet set;
    for (int c = 1; c <= outcome_count; ++c)
        if (table.cell(e, c).*field == top) set.add(c);
    return set;
}

OutcomeSet group_cells(const Condition& condition, const EventTable& table, int e) {
    switch (condition.group) {
        case CountGroup::yellow: {
            OutcomeSet set;
            for (int c = 1; c <= outcome_count; ++c)
                if (table.cell(e, c).mark == 1 && table.cell(e, c).yellow_mark == 1) set.add(c);
            return set;
        }
        case CountGroup::favourite:
            return highest(table, e, &OutcomeCell::setting_probability);
        case CountGroup::crowd_favourite:
            return highest(table, e, &OutcomeCell::pool_probability);
        case CountGroup::cells:
            return condition.cells[static_cast<std::size_t>(e - 1)];
        default:
            return fixed_group_outcomes(condition.group);
    }
}

bool needs_probabilities(ConditionKind kind) { return kind == ConditionKind::probability || kind == ConditionKind::value; }

}  // namespace

bool conditions_in_force(const ConditionSet& set) {
    return set.enabled && std::any_of(set.conditions.begin(), set.conditions.end(), [](const Condition& c) { return c.on; });
}

OutcomeSet fixed_group_outcomes(CountGroup group) {
    switch (group) {
        case CountGroup::home: return columns(1, 6);
        case CountGroup::draws: return columns(7, 10);
        case CountGroup::away: return columns(11, 16);
        case CountGroup::other: return columns(17, 17);
        default: return {};
    }
}

ConditionCheck::ConditionCheck(const ConditionSet& set, const EventTable& table)
    : allowed_errors_(set.allowed_errors),
      probability_(normalised_over_outcomes(table)),
      pool_(normalised_over_outcomes(table, &OutcomeCell::pool_probability)) {
    const double unbounded = std::numeric_limits<double>::infinity();
    bool probabilities_needed = false;
    for (std::size_t j = 0; j < set.conditions.size() && j < condition_limit; ++j) {
        const Condition& condition = set.conditions[j];
        Rule rule{condition.kind, condition.low, condition.high.value_or(unbounded)};
        std::array<std::uint32_t, event_count> members{};
        if (condition.kind == ConditionKind::count) {
            rule.low = condition.count_low;
            rule.high = condition.count_high ? static_cast<double>(*condition.count_high) : unbounded;
            for (int e = 1; e <= event_count; ++e) members[static_cast<std::size_t>(e - 1)] = group_cells(condition, table, e).bits();
        }
        rules_.push_back(rule);
        members_.push_back(members);
        if (condition.on) {
            on_mask_ |= std::uint64_t{1} << j;
            probabilities_needed |= needs_probabilities(condition.kind);
        }
    }
    if (!probabilities_needed) return;
    for (int e = 1; e <= event_count; ++e) {
        bool any = false;
        for (int c = 1; c <= outcome_count; ++c) {
            const std::int64_t raw = table.cell(e, c).setting_probability.ten_thousandths();
            if (raw < 0) {
                refusal_ = "Событие " + std::to_string(e) + ": отрицательная вероятность исхода " +
                           std::string(outcome_label(c)) + ", условия по вероятности не применяются";
                return;
            }
            any |= raw > 0;
        }
        if (!any) {
            refusal_ = "Событие " + std::to_string(e) + ": вероятности всех исходов равны 0, условия по вероятности не применяются";
            return;
        }
    }
}

void ConditionCheck::add(Tally& tally, int e, int c) const {
    const std::uint32_t bit = column_bit(c);
    for (std::size_t j = 0; j < members_.size(); ++j)
        tally.counts[j] = static_cast<std::uint8_t>(tally.counts[j] + ((members_[j][static_cast<std::size_t>(e - 1)] & bit) != 0 ? 1 : 0));
    tally.probability *= probability_[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(c - 1)];
    tally.popularity *= pool_[static_cast<std::size_t>(e - 1)][static_cast<std::size_t>(c - 1)];
}

std::uint64_t ConditionCheck::failures(const Tally& complete) const {
    const double probability = complete.probability * 100;
    const double popularity = complete.popularity * 100;
    std::uint64_t failed = 0;
    for (std::size_t j = 0; j < rules_.size(); ++j) {
        const Rule& rule = rules_[j];
        double x = 0;
        switch (rule.kind) {
            case ConditionKind::count: x = complete.counts[j]; break;
            case ConditionKind::probability: x = probability; break;
            case ConditionKind::popularity: x = popularity; break;
            case ConditionKind::value:
                x = popularity > 0 ? probability / popularity : std::numeric_limits<double>::infinity();
                break;
        }
        if (!(rule.low <= x && x <= rule.high)) failed |= std::uint64_t{1} << j;
    }
    return failed;
}

std::uint64_t ConditionCheck::failures(const VariantColumns& columns) const {
    Tally tally;
    for (int e = 1; e <= event_count; ++e) add(tally, e, columns[static_cast<std::size_t>(e - 1)]);
    return failures(tally);
}

}  // namespace morvalen::core
