// Marking rules and derived values of the event table.
#include "core/model/event_table.h"

namespace morvalen::core {

int marked_count(const EventTable& table, int e) {
    int count = 0;
    for (int o = 1; o <= outcome_count; ++o) count += table.cell(e, o).mark;
    return count;
}

std::int64_t variant_total(const EventTable& table) {
    std::int64_t total = 1;
    for (int e = 1; e <= event_count; ++e) total *= marked_count(table, e);
    return total;
}

OutcomeSet mark_set(const EventTable& table, int e) {
    OutcomeSet set;
    for (int o = 1; o <= outcome_count; ++o)
        if (table.cell(e, o).mark > 0) set.add(o);
    return set;
}

bool every_event_marked(const EventTable& table) { return variant_total(table) > 0; }

std::string outcome_cell_text(const EventTable& table, int e, int o) {
    const OutcomeCell& cell = table.cell(e, o);
    const auto whole = [](Currency value) {
        return std::to_string(round_half_even(static_cast<long double>(value.ten_thousandths()) / Currency::scale).value_or(0));
    };
    return whole(cell.quote_probability) + "/" + whole(cell.pool_probability);
}

std::string outcome_cell_hint(const EventTable& table, int e, int o) {
    const OutcomeCell& cell = table.cell(e, o);
    std::string hint = std::string(outcome_label(o)) + ": котировки " + cell.quote_probability.to_string() + "%, пул " +
                       cell.pool_probability.to_string() + "%";
    // Above 1 the bookmaker rates the outcome higher than the pool does: the pool pays more for it.
    if (cell.pool_probability.ten_thousandths() > 0) {
        const long double ratio = static_cast<long double>(cell.quote_probability.ten_thousandths()) /
                                  static_cast<long double>(cell.pool_probability.ten_thousandths());
        hint += "; котировки / пул = " + Currency::from_floating(ratio).to_string();
    }
    return hint;
}

std::string short_event_name(const std::string& name) {
    const auto at = name.find(" -");
    return at == std::string::npos ? std::string() : name.substr(0, at);
}

void click_event_name(EventTable& table, int e) {
    const int new_mark = marked_count(table, e) == outcome_count ? 0 : 1;
    for (int o = 1; o <= outcome_count; ++o) {
        table.cell(e, o).mark = new_mark;
        table.cell(e, o).yellow_mark = 0;
    }
}

void click_outcome(EventTable& table, int e, int o, bool key_held) {
    OutcomeCell& cell = table.cell(e, o);
    Event& event = table.event(e);
    if (cell.mark != 0 && key_held) {
        cell.yellow_mark = cell.yellow_mark == 0 ? 1 : 0;
    } else if (cell.mark != 0) {
        cell.mark = 0;
        cell.yellow_mark = 0;
        event.start_with = 0;
        for (int other = 1; other <= outcome_count; ++other)
            if (table.cell(e, other).mark == 1) event.start_with = static_cast<std::uint8_t>(other);
    } else {
        cell.mark = 1;
        cell.yellow_mark = key_held ? 1 : 0;
        event.start_with = static_cast<std::uint8_t>(o);
    }
}

bool select_cell(EventTable& table, int column, int row, bool key_held) {
    if (row < 1 || row > event_count || column < 0 || column > outcome_count) return false;
    if (column == 0)
        click_event_name(table, row);
    else
        click_outcome(table, row, column, key_held);
    return true;
}

std::string start_with_caption(const EventTable& table, bool ticked) {
    std::string caption = "Начать с";
    if (!ticked) return caption;
    for (int e = 1; e <= event_count; ++e) {
        caption += "\r\n";
        const int start = table.event(e).start_with;
        if (start != 0) {
            caption += "     ";
            caption += outcome_label(start);
        }
    }
    return caption;
}

}  // namespace morvalen::core
