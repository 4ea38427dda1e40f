// Writing a spreadsheet table as an .xlsx workbook file that is either complete or absent.
#pragma once

#include <optional>
#include <string>

#include "core/spreadsheet_table.h"

namespace morvalen::exporter {

// The name the workbook is saved under: the chosen name, with ".xlsx" added only when its file
// name has no extension, so that the desktop's default application recognises the file.
std::string xlsx_file_name(const std::string& chosen);

// Writes the table to `path` (one sheet named after the table; every column bold, right-aligned,
// width 8). The workbook is built in a temporary file beside the target and renamed over it, so a
// failure leaves neither a half-written file nor a changed old one. Returns the player's message on
// failure, nullopt on success.
std::optional<std::string> write_xlsx(const core::SpreadsheetTable& table, const std::string& path);

}  // namespace morvalen::exporter
