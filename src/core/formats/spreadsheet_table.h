// The cell table a spreadsheet export is made of, cut from the memo lines by group position.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace morvalen::core {

enum class SheetLayout {
    column_per_line,  // 9 rows by N columns; at most 256 lines
    row_per_line,     // N rows by 9 columns
};

inline constexpr std::size_t column_layout_line_limit = 256;
inline constexpr std::string_view column_layout_limit_message = "Формат Excell не позволяет сохранять более 256 вариантов";
// A worksheet's own number of rows: the row layout stops there rather than in the middle of writing.
inline constexpr std::size_t row_layout_line_limit = 1048576;
inline constexpr std::string_view row_layout_limit_message = "Лист книги не вмещает более 1048576 вариантов";

// Empty, a text (UTF-8) or a number.
using SheetCell = std::variant<std::monostate, std::string, double>;

struct SpreadsheetTable {
    std::string sheet_name;  // "Pack_" + number of lines
    std::size_t rows = 0;
    std::size_t columns = 0;
    std::vector<SheetCell> cells;  // row-major

    const SheetCell& at(std::size_t row, std::size_t column) const { return cells[row * columns + column]; }
    SheetCell& at(std::size_t row, std::size_t column) { return cells[row * columns + column]; }
};

// The cells of one line: 8 group texts "(…)" and the amount; all empty for an empty line or one
// without "|". Groups beyond the 8th are dropped.
struct SheetLine {
    std::vector<std::string> groups;  // at most 8
    std::optional<double> amount;
};

// nullopt when the line has a "|" but its amount is not a number with "." as the point.
std::optional<SheetLine> read_sheet_line(std::string_view line);

struct SpreadsheetBuild {
    std::optional<SpreadsheetTable> table;
    std::string error;  // the player's message when there is no table
};

// The table of the memo lines in the given layout, or the message why it cannot be made: the
// column layout's 256-line limit, the sheet's row limit, or the first line whose amount is not a
// number.
SpreadsheetBuild build_spreadsheet_table(const std::vector<std::string_view>& lines, SheetLayout layout);

}  // namespace morvalen::core
