// Storage of the draw's line.
#include "service/line_store.h"

#include "core/formats/cp1251.h"
#include "core/pages/line_page.h"

namespace morvalen::service {

void ensure_line_schema(Database& db) {
    db.exec(
        "CREATE TABLE IF NOT EXISTS draw (id INTEGER PRIMARY KEY CHECK (id = 1), deadline TEXT NOT NULL, "
        "stake TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS draw_events (event INTEGER PRIMARY KEY CHECK (event BETWEEN 1 AND 8), "
        "name TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS draw_outcomes (event INTEGER NOT NULL CHECK (event BETWEEN 1 AND 8), "
        "outcome INTEGER NOT NULL CHECK (outcome BETWEEN 1 AND 17), quote INTEGER NOT NULL, pool INTEGER NOT NULL, "
        "PRIMARY KEY (event, outcome));");
}

std::optional<DrawLine> load_line(Database& db) {
    DrawLine line;
    auto draw = db.prepare("SELECT deadline, stake FROM draw WHERE id = 1");
    if (!draw.step()) return std::nullopt;
    line.deadline = draw.column_text(0);
    line.stake = draw.column_text(1);
    auto events = db.prepare("SELECT event, name FROM draw_events");
    while (events.step()) {
        const auto e = static_cast<int>(events.column_int(0));
        if (e >= 1 && e <= core::event_count) line.table.event(e).name = events.column_text(1);
    }
    auto outcomes = db.prepare("SELECT event, outcome, quote, pool FROM draw_outcomes");
    while (outcomes.step()) {
        const auto e = static_cast<int>(outcomes.column_int(0));
        const auto o = static_cast<int>(outcomes.column_int(1));
        if (e < 1 || e > core::event_count || o < 1 || o > core::outcome_count) continue;
        auto& cell = line.table.cell(e, o);
        cell.quote_probability = core::Currency::from_ten_thousandths(outcomes.column_int(2));
        cell.setting_probability = cell.quote_probability;
        cell.pool_probability = core::Currency::from_ten_thousandths(outcomes.column_int(3));
    }
    return line;
}

void save_line(Database& db, const DrawLine& line) {
    Transaction transaction(db);
    db.exec("DELETE FROM draw; DELETE FROM draw_events; DELETE FROM draw_outcomes;");
    db.prepare("INSERT INTO draw (id, deadline, stake) VALUES (1, ?, ?)").bind(1, line.deadline).bind(2, line.stake).run();
    auto event = db.prepare("INSERT INTO draw_events (event, name) VALUES (?, ?)");
    auto outcome = db.prepare("INSERT INTO draw_outcomes (event, outcome, quote, pool) VALUES (?, ?, ?, ?)");
    for (int e = 1; e <= core::event_count; ++e) {
        event.bind(1, std::int64_t{e}).bind(2, line.table.event(e).name).run();
        event.reset();
        for (int o = 1; o <= core::outcome_count; ++o) {
            const auto& cell = line.table.cell(e, o);
            outcome.bind(1, std::int64_t{e})
                .bind(2, std::int64_t{o})
                .bind(3, cell.quote_probability.ten_thousandths())
                .bind(4, cell.pool_probability.ten_thousandths())
                .run();
            outcome.reset();
        }
    }
    transaction.commit();
}

std::string line_page_body(const DrawLine& line) {
    return core::utf8_to_cp1251(core::write_line_page(line.table, {"dl=" + line.deadline, "st=" + line.stake}));
}

}  // namespace morvalen::service
