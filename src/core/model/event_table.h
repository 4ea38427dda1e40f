// The draw's 8 events by 17 outcomes with marks and probabilities, and the marking rules of grid clicks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/model/currency.h"
#include "core/model/outcomes.h"

namespace morvalen::core {

struct OutcomeCell {
    int mark = 0;         // 0 or 1
    int yellow_mark = 0;  // 0 or 1, only where mark is 1
    Currency quote_probability;
    Currency pool_probability;
    Currency setting_probability;
};

struct Event {
    std::string name;        // exactly as the line page gives it
    std::uint8_t start_with = 0;  // outcome column 1..17, 0 for none
    std::array<OutcomeCell, outcome_count> outcomes{};
};

// Events and outcomes are numbered from 1, as everywhere in the program.
class EventTable {
public:
    Event& event(int e) { return events_[e - 1]; }
    const Event& event(int e) const { return events_[e - 1]; }
    OutcomeCell& cell(int e, int o) { return events_[e - 1].outcomes[o - 1]; }
    const OutcomeCell& cell(int e, int o) const { return events_[e - 1].outcomes[o - 1]; }

    std::string acceptance_note;

private:
    std::array<Event, event_count> events_{};
};

// Number of marked outcomes of event e, 0 to 17.
int marked_count(const EventTable& table, int e);
// Product of the 8 marked counts; 0 when an event has no mark; 17^8 fits.
std::int64_t variant_total(const EventTable& table);
// The outcome set of the marked columns of event e.
OutcomeSet mark_set(const EventTable& table, int e);
// True when every event has at least one marked outcome.
bool every_event_marked(const EventTable& table);

// "23/18": both probabilities rounded to whole percents, halves to even.
std::string outcome_cell_text(const EventTable& table, int e, int o);
// The cell's tooltip: both probabilities in full and their ratio, the value of the outcome.
std::string outcome_cell_hint(const EventTable& table, int e, int o);
// The part of a name before the first " -"; empty when there is none.
std::string short_event_name(const std::string& name);

// A click on the name of event e: marks all 17 outcomes, or unmarks them when all are marked;
// clears the event's yellow marks and leaves start_with alone.
void click_event_name(EventTable& table, int e);
// A click on outcome o of event e, with or without a key held down.
void click_outcome(EventTable& table, int e, int o, bool key_held);
// The grid's cell selection at (column, row): row 1..8 is an event, column 0 its name.
// Returns false when the cell is outside the event rows and nothing changed.
bool select_cell(EventTable& table, int column, int row, bool key_held);

// The start-with caption: "Начать с", then with the box ticked one line per event ("\r\n" + five
// blanks + label, or "\r\n" alone when the event has no start-with outcome).
std::string start_with_caption(const EventTable& table, bool ticked);

}  // namespace morvalen::core
