// Cutting memo lines into spreadsheet cells: groups by position, at most 10 characters each.
#include "core/formats/spreadsheet_table.h"

#include <cmath>

#include "core/model/bet.h"
#include "core/formats/decimal_text.h"

namespace morvalen::core {
namespace {

constexpr std::size_t group_cells = 8;
constexpr std::size_t group_text_limit = 10;  // characters of a group a cell keeps, so a cell stays narrow

// Byte length of the first `count` characters of UTF-8 text; a stray byte counts as one character.
std::size_t utf8_prefix_bytes(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n) {
        ++pos;
        while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
    return pos;
}

std::optional<double> parse_floating(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    const auto value = read_decimal(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<SheetLine> read_sheet_line(std::string_view line) {
    SheetLine result;
    line = trim_blanks(line);
    const auto bar = line.find('|');
    if (line.empty() || bar == std::string_view::npos) return result;
    result.amount = parse_floating(trim_blanks(line.substr(0, bar)));
    if (!result.amount) return std::nullopt;

    std::string_view rest = line.substr(bar + 1);
    while (true) {
        const auto open = rest.find('(');
        const std::string_view after = open == std::string_view::npos ? rest : rest.substr(open + 1);
        std::string_view piece = trim_blanks(after.substr(0, utf8_prefix_bytes(after, group_text_limit)));
        if (const auto close = piece.find(')'); close != std::string_view::npos) piece = piece.substr(0, close);
        if (result.groups.size() < group_cells) result.groups.push_back("(" + std::string(piece) + ")");
        // A group left open ends the line: nothing after it can start another group.
        const auto close = rest.find(')');
        if (close == std::string_view::npos) break;
        rest.remove_prefix(close + 1);
        if (rest.empty() || rest.find('(') == std::string_view::npos) break;
    }
    return result;
}

SpreadsheetBuild build_spreadsheet_table(const std::vector<std::string_view>& lines, SheetLayout layout) {
    SpreadsheetBuild build;
    const bool by_column = layout == SheetLayout::column_per_line;
    if (by_column && lines.size() > column_layout_line_limit) {
        build.error = std::string(column_layout_limit_message);
        return build;
    }
    if (!by_column && lines.size() > row_layout_line_limit) {
        build.error = std::string(row_layout_limit_message);
        return build;
    }
    SpreadsheetTable table;
    table.sheet_name = "Pack_" + std::to_string(lines.size());
    table.rows = by_column ? group_cells + 1 : lines.size();
    table.columns = by_column ? lines.size() : group_cells + 1;
    table.cells.resize(table.rows * table.columns);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const auto sheet_line = read_sheet_line(lines[k]);
        if (!sheet_line) {
            const std::string_view line = trim_blanks(lines[k]);
            build.error = "Строка " + std::to_string(k + 1) + ": сумма \"" +
                          std::string(trim_blanks(line.substr(0, line.find('|')))) + "\" не является числом";
            return build;
        }
        const auto cell = [&](std::size_t slot) -> SheetCell& { return by_column ? table.at(slot, k) : table.at(k, slot); };
        for (std::size_t g = 0; g < sheet_line->groups.size(); ++g) cell(g) = sheet_line->groups[g];
        if (sheet_line->amount) cell(group_cells) = *sheet_line->amount;
    }
    build.table = std::move(table);
    return build;
}

}  // namespace morvalen::core
