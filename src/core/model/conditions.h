// The player's conditions on the draw: rules a variant must keep, all but at most E of them.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/event_table.h"
#include "core/model/outcomes.h"
#include "core/analysis/package_chances.h"

namespace morvalen::core {

enum class ConditionKind { count, probability, popularity, value };

// What a count condition counts: the events whose outcome lies in the group.
enum class CountGroup { home, draws, away, other, yellow, favourite, crowd_favourite, cells };

// A set holds at most this many conditions, so that a variant's failures fit one 64-bit mask.
inline constexpr std::size_t condition_limit = 64;

struct Condition {
    ConditionKind kind = ConditionKind::count;
    bool on = true;
    CountGroup group = CountGroup::home;
    std::array<OutcomeSet, event_count> cells{};  // the picked cells, for CountGroup::cells
    // count: LO and HI events, 0 to 8; HI absent is "no upper bound".
    int count_low = 0;
    std::optional<int> count_high = event_count;
    // probability and popularity in percent, value as a ratio; inclusive, HI absent is unbounded.
    double low = 0;
    std::optional<double> high;

    bool operator==(const Condition&) const = default;
};

struct ConditionSet {
    std::vector<Condition> conditions;
    int allowed_errors = 0;  // E: a variant passes when at most E of the conditions that are on fail
    bool enabled = false;    // "Условия включены"

    bool operator==(const ConditionSet&) const = default;
};

// The conditions act: the switch is on and at least one condition is.
bool conditions_in_force(const ConditionSet& set);

// The outcomes of the fixed groups in column order (home 1:0 … 3:2, draws, away, "ЛД").
OutcomeSet fixed_group_outcomes(CountGroup group);

// A variant's columns, 1 to 17, event 1 first.
using VariantColumns = std::array<int, event_count>;

// The conditions compiled against one line: per condition the cells it counts, the set probabilities
// and pool shares normalised per event. Answers, for a variant, which conditions it fails.
class ConditionCheck {
public:
    ConditionCheck(const ConditionSet& set, const EventTable& table);

    // Why the set cannot be applied (the set probabilities of an event are all 0 while a rule needs
    // them), or empty.
    const std::string& refusal() const { return refusal_; }

    std::size_t size() const { return rules_.size(); }
    // Conditions that are on, as bits of the failure mask.
    std::uint64_t on_mask() const { return on_mask_; }
    int allowed_errors() const { return allowed_errors_; }
    bool passes_mask(std::uint64_t failures) const { return std::popcount(failures & on_mask_) <= allowed_errors_; }

    const OutcomeShares& probabilities() const { return probability_; }
    const OutcomeShares& pool_shares() const { return pool_; }

    // Running figures of a partial variant, event by event.
    struct Tally {
        std::array<std::uint8_t, condition_limit> counts{};
        double probability = 1;
        double popularity = 1;
    };
    // Adds column c of event e (1-based) to the tally.
    void add(Tally& tally, int e, int c) const;
    std::uint64_t failures(const Tally& complete) const;
    // Whether condition j counts column c of event e (count conditions only).
    bool counts_cell(std::size_t j, int e, int c) const { return members_[j][e - 1] & column_bit(c); }
    bool is_count(std::size_t j) const { return rules_[j].kind == ConditionKind::count; }

    std::uint64_t failures(const VariantColumns& columns) const;
    bool passes(const VariantColumns& columns) const { return passes_mask(failures(columns)); }

private:
    struct Rule {
        ConditionKind kind;
        double low;
        double high;  // +inf when unbounded
    };
    std::vector<Rule> rules_;
    std::vector<std::array<std::uint32_t, event_count>> members_;  // count conditions: cells as bits
    std::uint64_t on_mask_ = 0;
    int allowed_errors_ = 0;
    OutcomeShares probability_{};
    OutcomeShares pool_{};
    std::string refusal_;
};

}  // namespace morvalen::core
