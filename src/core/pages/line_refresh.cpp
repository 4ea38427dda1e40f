// Marks belong to a match, and a match is known by its name.
#include "core/pages/line_refresh.h"

namespace morvalen::core {

EventNames event_names(const EventTable& table) {
    EventNames names;
    for (int e = 1; e <= event_count; ++e) names[e - 1] = table.event(e).name;
    return names;
}

int clear_marks_of_renamed_events(const EventNames& before, EventTable& table) {
    int cleared = 0;
    for (int e = 1; e <= event_count; ++e) {
        Event& event = table.event(e);
        if (before[e - 1].empty() || before[e - 1] == event.name) continue;
        event.start_with = 0;
        for (OutcomeCell& cell : event.outcomes) {
            cell.mark = 0;
            cell.yellow_mark = 0;
        }
        ++cleared;
    }
    return cleared;
}

bool any_marks(const EventTable& table) {
    for (int e = 1; e <= event_count; ++e)
        if (marked_count(table, e) > 0) return true;
    return false;
}

}  // namespace morvalen::core
