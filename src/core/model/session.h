// The state of one run: the line, the package, the settings and the one random generator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/bet.h"
#include "core/formation/brief_expansion.h"
#include "core/pages/brief_system_list.h"
#include "core/analysis/condition_costs.h"
#include "core/model/conditions.h"
#include "core/model/edit_history.h"
#include "core/model/event_table.h"
#include "core/model/list_operations.h"
#include "core/analysis/package_stats.h"
#include "core/model/pool_rules.h"
#include "core/model/random_source.h"

namespace morvalen::core {

// The ways of forming a package, in the order the formation panel lists them.
enum class FormationMethod { brief_systems, sensations, random_distribution, autoformation, best_chances, return_maximising };

// Settings the formation panel holds.
struct FormationSettings {
    FormationMethod method = FormationMethod::brief_systems;
    int guarantee = 7;                 // events a covered variant shares with some bet, 2 to 7 (8 for best chances)
    std::int64_t repeat_count = 1000;  // draws of the random distribution, steps of autoformation, bets of best chances
    int yellow_min = 1;                // upsets per bet of the sensations method
    int yellow_max = 1;
    bool start_with = false;           // a brief system starts with the last marked outcomes
    Stake stake;
};

// Where the text form of the list lives (the memo in the window, lines in the batch tool).
class MemoSink {
public:
    virtual ~MemoSink() = default;
    virtual void append_line(const std::string& line) = 0;
    virtual void replace_all(const std::vector<std::string>& lines) = 0;
    // Takes out line `index`; a sink that mirrors the list must override this to stay aligned with it.
    virtual void remove_line(std::size_t index) { (void)index; }
};

// An entry the list cannot use: nothing in event 1, or no bets at all.
inline bool is_unreadable_entry(const BetEntry& entry) { return entry.set(1).empty() || entry.bet_count == 0; }

class Session {
public:
    explicit Session(std::uint64_t seed = 0) : rng(seed) {}

    EventTable events;
    BetList bets;
    FormationSettings settings;
    RandomSource rng;
    std::int64_t uncovered_variants = 0;
    // The brief-system state: the order of the last request and the nearest systems the service offers.
    ExpansionOrder expansion_order{};
    BriefSystemList brief_systems;
    // What the last best-chances run reached: the chance that some bet agrees with the draw in at least
    // `guarantee` events, and whether a stop ended it early.
    struct ReachedChance {
        double chance = 0;
        int guarantee = 0;
        bool stopped = false;
    };
    std::optional<ReachedChance> reached_chance;
    // Undo and redo of the package (memo text and list together).
    EditHistory history;
    // The rules of the pool once the player has set them: the expected return is shown then.
    std::optional<PoolRules> pool_rules;

    // The player's conditions on the draw; they act only while conditions_in_force.
    ConditionSet conditions;

    // Recomputes the summary; with_coverage shows the coverage of the last check.
    StatsView stats(bool with_coverage = false) const {
        StatsInput input{bets, events, settings.stake, settings.guarantee, with_coverage, uncovered_variants, std::nullopt};
        if (conditions_in_force(conditions)) input.passing = passing_cache_.get(events, conditions);
        return compute_stats(input);
    }

    // The memo that mirrors the list line by line; may be null.
    MemoSink* memo = nullptr;

    // Adds an entry at the end of the list and its line at the end of the memo.
    void append_bet(const BetEntry& entry);
    // Rewrites every memo line from the list, re-staking single entries when as_singles is set.
    void rebuild_bet_memo(bool as_singles);

    // The package commands, each leaving the memo as the window's rewrite does.
    void add_coupon() { append_bet(make_coupon(events, settings.stake)); }
    // Returns an error message when the split is refused; the list and memo are then unchanged.
    std::optional<std::string> split_into_singles();
    void remove_repeats();
    std::optional<std::string> remove_variants();
    void clear();
    // "Отбор по условиям": returns the refusal, with the list unchanged; rewrites the memo otherwise,
    // where the entries that stay keep their lines of `memo_lines` (when it mirrors the list).
    std::optional<std::string> filter_by_conditions(const std::vector<std::string>& memo_lines = {});
    // Takes out, last to first, the entries with an empty event 1 or bet_count 0 and their memo lines.
    void remove_unreadable_entries();

private:
    mutable PassingCountCache passing_cache_;
};

}  // namespace morvalen::core
