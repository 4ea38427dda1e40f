// The package's text file and the quotes file (.ctr): names, encoding and line format over streams.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/model/event_table.h"

namespace morvalen::core {

inline constexpr std::string_view quotes_format_error = "Неверный формат загружаемого файла";

// The text save's file name: ".txt" is added always, also to a name that already ends in it.
std::string text_file_name(const std::string& chosen);
// The quotes file's name: ".ctr" is added only when the whole path holds no ".".
std::string quotes_file_name(const std::string& chosen);

// The memo text (UTF-8, LF or CR LF breaks) as the file holds it: Windows-1251 with CR LF breaks;
// it ends with a break exactly when the text does. False when the stream failed.
bool write_memo_text(std::ostream& out, std::string_view memo_text);

// 8 event lines (name, tab, then quote, tab, pool, tab for each of the 17 outcomes) and the caption
// as line 9, each ended by CR LF, in Windows-1251. A tab or line break inside a name or the caption
// would shift every later field, so it is written as a blank. False when the stream failed.
bool write_quotes(std::ostream& out, const EventTable& table, std::string_view caption);

struct QuotesLoad {
    bool ok = false;
    std::optional<std::string> caption;  // line 9, set only when the whole file was read
};

// Reads a quotes file into the table as it goes: names, quote and pool figures, and every read
// quote into setting_probability as well. On a failure what was read before stays applied. An
// empty event line clears that event's name and keeps its figures; a missing line, a line with
// text but no tab, a figure that is not a number, a figure without its tab after it, or more than
// 17 pairs on a line fail the load.
QuotesLoad read_quotes(std::istream& in, EventTable& table);

}  // namespace morvalen::core
