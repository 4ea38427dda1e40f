// Everything that reaches the line page is checked here: a "|" in a name or a deadline without "/"
// would shift every field of the page the program reads.
#include "service/line_json.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "core/formats/cp1251.h"
#include "core/model/outcomes.h"

namespace morvalen::service {
namespace {

using nlohmann::json;

[[noreturn]] void fail(const std::string& message) { throw LineFormatError(message); }

void check_text(const std::string& text, const std::string& what, std::size_t limit) {
    if (!core::is_valid_utf8(text)) fail(what + " is not UTF-8 text");
    if (text.size() > limit) fail(what + " is longer than " + std::to_string(limit) + " bytes");
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20) fail(what + " holds a control character");
        if (c == '|') fail(what + " holds \"|\", which separates the page's fields");
    }
}

std::vector<double> numbers(const json& event, const char* key, const std::string& where) {
    const auto found = event.find(key);
    if (found == event.end() || !found->is_array() || found->size() != core::outcome_count)
        fail(where + ": \"" + key + "\" must be an array of 17 numbers");
    std::vector<double> values;
    for (const auto& item : *found) {
        if (!item.is_number()) fail(where + ": \"" + key + "\" holds something that is not a number");
        const double v = item.get<double>();
        if (!std::isfinite(v)) fail(where + ": \"" + key + "\" holds a value that is not finite");
        values.push_back(v);
    }
    return values;
}

core::Currency percent(double value, const std::string& where) {
    if (value < 0 || value > 100) fail(where + " must lie between 0 and 100");
    return core::Currency::from_floating(value);
}

std::string stake_text(const json& value) {
    std::string text;
    if (value.is_number()) {
        const double v = value.get<double>();
        if (!std::isfinite(v)) fail("\"stake\" is not a finite number");
        text = core::Currency::from_floating(v).to_string();
    } else if (value.is_string()) {
        text = value.get<std::string>();
        if (const auto comma = text.find(','); comma != std::string::npos) text[comma] = '.';
    } else {
        fail("\"stake\" must be a number or a text");
    }
    const auto parsed = core::Currency::parse(text);
    if (!parsed || *parsed <= core::Currency()) fail("\"stake\" must be a positive decimal number");
    return parsed->to_string();
}

}  // namespace

DrawLine parse_line_json(std::string_view text) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception& error) {
        fail(std::string("not a JSON document: ") + error.what());
    }
    if (!doc.is_object()) fail("the line file must be a JSON object");
    for (const auto& [key, value] : doc.items()) {
        if (key != "deadline" && key != "stake" && key != "events" && key != "comment")
            fail("unknown key \"" + key + "\"");
    }
    DrawLine line;
    if (!doc.contains("deadline") || !doc["deadline"].is_string()) fail("\"deadline\" must be a text");
    line.deadline = doc["deadline"].get<std::string>();
    check_text(line.deadline, "\"deadline\"", 200);
    // The program tells the deadline from the stake by its "/".
    if (line.deadline.find('/') == std::string::npos) fail("\"deadline\" must contain \"/\"");
    if (!doc.contains("stake")) fail("\"stake\" is missing");
    line.stake = stake_text(doc["stake"]);

    const auto events = doc.find("events");
    if (events == doc.end() || !events->is_array() || events->size() != core::event_count)
        fail("\"events\" must be an array of 8 events");
    for (int e = 1; e <= core::event_count; ++e) {
        const json& event = (*events)[static_cast<std::size_t>(e - 1)];
        const std::string where = "event " + std::to_string(e);
        if (!event.is_object()) fail(where + " is not an object");
        for (const auto& [key, value] : event.items()) {
            if (key != "name" && key != "quotes" && key != "odds" && key != "pool")
                fail(where + ": unknown key \"" + key + "\"");
        }
        if (!event.contains("name") || !event["name"].is_string()) fail(where + ": \"name\" must be a text");
        const std::string name = event["name"].get<std::string>();
        if (name.empty()) fail(where + ": \"name\" is empty");
        check_text(name, where + ": \"name\"", 200);
        line.table.event(e).name = name;

        const bool has_quotes = event.contains("quotes");
        if (has_quotes == event.contains("odds")) fail(where + ": give either \"quotes\" or \"odds\"");
        std::vector<core::Currency> quotes;
        if (has_quotes) {
            for (const double q : numbers(event, "quotes", where)) quotes.push_back(percent(q, where + ": a quote"));
        } else {
            const auto odds = numbers(event, "odds", where);
            double total = 0;
            for (const double d : odds) {
                if (d <= 1.0) fail(where + ": decimal odds must be greater than 1");
                total += 1.0 / d;
            }
            for (const double d : odds) quotes.push_back(core::Currency::from_floating(100.0 / d / total));
        }
        const auto pool = numbers(event, "pool", where);
        for (int o = 1; o <= core::outcome_count; ++o) {
            auto& cell = line.table.cell(e, o);
            cell.quote_probability = quotes[static_cast<std::size_t>(o - 1)];
            cell.setting_probability = cell.quote_probability;
            cell.pool_probability = percent(pool[static_cast<std::size_t>(o - 1)], where + ": a pool share");
        }
    }
    return line;
}

std::string line_to_json(const DrawLine& line) {
    json doc;
    doc["deadline"] = line.deadline;
    doc["stake"] = line.stake;
    json events = json::array();
    for (int e = 1; e <= core::event_count; ++e) {
        json quotes = json::array();
        json pool = json::array();
        for (int o = 1; o <= core::outcome_count; ++o) {
            // Ten-thousandths over 10000 is the nearest double, which the writer prints shortest.
            quotes.push_back(static_cast<double>(line.table.cell(e, o).quote_probability.ten_thousandths()) / 1e4);
            pool.push_back(static_cast<double>(line.table.cell(e, o).pool_probability.ten_thousandths()) / 1e4);
        }
        events.push_back({{"name", line.table.event(e).name}, {"quotes", quotes}, {"pool", pool}});
    }
    doc["events"] = events;
    return doc.dump(2) + "\n";
}

}  // namespace morvalen::service
