// The line page reader keeps the historical stopping rule: a bad number ends the reading in place.
#include "core/pages/line_page.h"

namespace morvalen::core {
namespace {

// Number conversions accept surrounding blanks, as the program's number conversion always did.
std::string_view strip_blanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// Drops up to n UTF-8 characters from the front.
std::string_view drop_characters(std::string_view text, int n) {
    std::size_t at = 0;
    for (int i = 0; i < n && at < text.size(); ++i) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0u) == 0x80u) ++at;
    }
    return text.substr(at);
}

void read_trailer(std::string_view field, EventTable& table, LinePageResult& result) {
    const std::string_view rest = drop_characters(field, 3);
    if (rest.find('/') != std::string_view::npos) {
        table.acceptance_note = ". Прием до " + std::string(rest);
        return;
    }
    std::string stake(rest);
    if (const auto comma = stake.find(','); comma != std::string::npos) stake[comma] = '.';
    result.stake_text = std::move(stake);
}

}  // namespace

std::string floating_point_error(std::string_view field) {
    return "'" + std::string(field) + "' is not a valid floating point value";
}

LinePageResult read_line_page(std::string_view page, EventTable& table) {
    LinePageResult result;
    table.acceptance_note.clear();
    int e = 1;
    int o = 1;
    int k = 0;
    for (;;) {
        const auto bar = page.find('|');
        if (bar == std::string_view::npos) break;
        const std::string_view field = page.substr(0, bar);
        page.remove_prefix(bar + 1);

        if (e > event_count) {
            read_trailer(field, table, result);
            continue;
        }
        if (k == 0) {
            table.event(e).name = std::string(field);
            result.names.emplace_back(field);
            result.short_names.push_back(short_event_name(table.event(e).name));
        } else {
            const auto value = Currency::parse(strip_blanks(field));
            if (!value) {
                result.error = floating_point_error(field);
                return result;
            }
            OutcomeCell& cell = table.cell(e, o);
            if (k % 2 == 1) {
                cell.quote_probability = *value;
                cell.setting_probability = *value;
            } else {
                cell.pool_probability = *value;
                ++o;
            }
        }
        ++k;
        if (o > outcome_count) {
            ++e;
            o = 1;
            k = 0;
        }
    }
    return result;
}

std::string write_line_page(const EventTable& table, const std::vector<std::string>& trailers) {
    std::string page;
    for (int e = 1; e <= event_count; ++e) {
        page += table.event(e).name;
        page += '|';
        for (int o = 1; o <= outcome_count; ++o) {
            page += table.cell(e, o).quote_probability.to_string();
            page += '|';
            page += table.cell(e, o).pool_probability.to_string();
            page += '|';
        }
    }
    for (const auto& trailer : trailers) {
        page += trailer;
        page += '|';
    }
    return page;
}

}  // namespace morvalen::core
