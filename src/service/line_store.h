// The current draw in the store: 8 event names, per outcome quote probability and pool share,
// the acceptance deadline and the stake.
#pragma once

#include <optional>
#include <string>

#include "core/model/event_table.h"
#include "service/sqlite_db.h"

namespace morvalen::service {

struct DrawLine {
    core::EventTable table;  // names, quote_probability and pool_probability are used
    std::string deadline;    // shown after ". Прием до "; always contains "/"
    std::string stake;       // decimal with "." as the point
};

void ensure_line_schema(Database& db);
std::optional<DrawLine> load_line(Database& db);
// Replaces the stored line in one transaction.
void save_line(Database& db, const DrawLine& line);

// The line page body in Windows-1251, with the trailer prefixes "dl=" and "st=".
std::string line_page_body(const DrawLine& line);

}  // namespace morvalen::service
