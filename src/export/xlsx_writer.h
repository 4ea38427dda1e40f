// A spreadsheet table as the bytes of an .xlsx workbook; the caller writes them whole.
#pragma once

#include <string>

#include "core/formats/spreadsheet_table.h"

namespace morvalen::exporter {

// The name the workbook is saved under: the chosen name, with ".xlsx" added only when its file
// name has no extension, so that the desktop's default application recognises the file.
std::string xlsx_file_name(const std::string& chosen);

struct XlsxWorkbook {
    std::string bytes;  // the whole workbook, when made
    std::string error;  // the player's message, when not
};

// The table as a workbook (one sheet named after the table; every column bold, right-aligned,
// width 8). The library writes only to files, so the workbook is made in a private temporary file,
// read back and removed; the bytes go to their place through the same writer as every other save.
XlsxWorkbook xlsx_workbook(const core::SpreadsheetTable& table);

}  // namespace morvalen::exporter
