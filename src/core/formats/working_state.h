// The player's working state kept between runs: the memo, the marks, the probabilities and the
// formation settings, in a versioned text form that is read strictly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/model/currency.h"
#include "core/model/event_table.h"
#include "core/model/list_operations.h"
#include "core/model/outcomes.h"
#include "core/model/pool_rules.h"

namespace morvalen::core {

class Session;
struct FormationSettings;
struct ConditionSet;

struct EventWorkingState {
    std::string name;
    std::array<std::uint8_t, outcome_count> marks{};   // 0 or 1
    std::array<std::uint8_t, outcome_count> yellow{};  // 0 or 1, only where marked
    std::uint8_t start_with = 0;                       // column 1..17, 0 for none
    std::array<Currency, outcome_count> set_probabilities{};
    bool operator==(const EventWorkingState&) const = default;
};

struct WorkingState {
    std::string memo_text;
    std::array<EventWorkingState, event_count> events{};
    int method = 0;
    int guarantee = 7;
    std::int64_t repeat_count = 1000;
    int yellow_min = 1;
    int yellow_max = 1;
    bool start_with_box = false;
    Stake stake;
    // The conditions as their file holds them, and whether they act ("Условия включены").
    std::string conditions_file;
    bool conditions_on = false;
    // The rules of the pool, once the player has set them.
    std::optional<PoolRules> pool_rules;

    bool operator==(const WorkingState& other) const;
};

inline constexpr int working_state_version = 1;
// A state file beyond this is not read: it cannot be one the program wrote for a sane memo.
inline constexpr std::size_t working_state_max_bytes = std::size_t{512} * 1024 * 1024;
// Method indexes a file may name; the window ignores one it has no item for.
inline constexpr int working_state_max_method = 15;

void write_working_state(std::ostream& out, const WorkingState& state);

struct WorkingStateRead {
    std::optional<WorkingState> state;
    std::string error;  // why the file was refused; empty when state is set
};
// Reads a whole state written by write_working_state. Anything else, a truncated or altered file
// included (the last line carries a CRC-32 of everything before it), is refused with a reason.
WorkingStateRead read_working_state(std::istream& in, std::size_t max_bytes = working_state_max_bytes);

// Puts the saved conditions into the set (none when the saved text does not read).
void restore_conditions(const WorkingState& state, ConditionSet& set);
// Keeps the set in the state.
void keep_conditions(const ConditionSet& set, WorkingState& state);
// The state of a session with the given memo text (its conditions and pool rules included).
WorkingState capture_working_state(const Session& session, std::string memo_text);
// The same with the settings given apart (as the panel shows them).
WorkingState capture_working_state(const EventTable& events, const FormationSettings& settings, std::string memo_text);
// The saved panel settings as the session holds them.
FormationSettings saved_settings(const WorkingState& state);
// True when the saved events carry the same names as the table's: the marks belong to this draw.
bool same_draw(const WorkingState& state, const EventTable& table);
// Puts the saved marks, yellow marks, start-with outcomes and set probabilities into the table.
void restore_marks(const WorkingState& state, EventTable& table);
// Copies the saved marks and probabilities of `from` into `into`, leaving its memo and settings.
void carry_marks(const WorkingState& from, WorkingState& into);

}  // namespace morvalen::core
