// The .xlsx side of the spreadsheet export, through libxlsxwriter.
#include "export/xlsx_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <type_traits>
#include <unistd.h>
#include <variant>

#include <xlsxwriter.h>

#include "core/formats/cp1251.h"

namespace morvalen::exporter {
namespace {

constexpr double column_width = 8;

std::string failure(const std::string& reason) { return "Не удалось подготовить книгу Excel: " + reason; }

struct TemporaryFile {
    std::string path;
    ~TemporaryFile() { std::remove(path.c_str()); }
};

// Workbook parts are XML: text that is not UTF-8 (a memo pasted in the file code page) is read as
// Windows-1251, and control characters XML cannot carry become "?", so the file always opens.
std::string workbook_text(const std::string& text) {
    std::string safe = core::decode_utf8_or_cp1251(text);
    for (char& c : safe)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') c = '?';
    return safe;
}

}  // namespace

std::string xlsx_file_name(const std::string& chosen) {
    if (std::filesystem::path(chosen).filename().extension().empty()) return chosen + ".xlsx";
    return chosen;
}

XlsxWorkbook xlsx_workbook(const core::SpreadsheetTable& table) {
    XlsxWorkbook made;
    std::error_code no_folder;
    std::filesystem::path folder = std::filesystem::temp_directory_path(no_folder);
    if (no_folder) folder = "/tmp";
    std::string pattern = (folder / "morvalen-workbook.XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        made.error = failure(std::strerror(errno));
        return made;
    }
    close(fd);
    TemporaryFile temporary{pattern};

    lxw_workbook* workbook = workbook_new(temporary.path.c_str());
    if (workbook == nullptr) {
        made.error = failure("нехватка памяти");
        return made;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, table.sheet_name.c_str());
    lxw_format* format = workbook_add_format(workbook);
    if (sheet == nullptr || format == nullptr) {
        workbook_close(workbook);
        made.error = failure("недопустимое имя листа \"" + table.sheet_name + "\"");
        return made;
    }
    format_set_bold(format);
    format_set_align(format, LXW_ALIGN_RIGHT);
    worksheet_set_column(sheet, 0, LXW_COL_MAX - 1, column_width, format);

    lxw_error error = LXW_NO_ERROR;
    for (std::size_t row = 0; row < table.rows && error == LXW_NO_ERROR; ++row) {
        for (std::size_t column = 0; column < table.columns && error == LXW_NO_ERROR; ++column) {
            const auto r = static_cast<lxw_row_t>(row);
            const auto c = static_cast<lxw_col_t>(column);
            std::visit(
                [&](const auto& value) {
                    using T = std::decay_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, std::string>)
                        error = worksheet_write_string(sheet, r, c, workbook_text(value).c_str(), format);
                    else if constexpr (std::is_same_v<T, double>)
                        error = worksheet_write_number(sheet, r, c, value, format);
                },
                table.at(row, column));
        }
    }
    if (error != LXW_NO_ERROR) {
        workbook_close(workbook);
        made.error = failure(lxw_strerror(error));
        return made;
    }
    error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        made.error = failure(lxw_strerror(error));
        return made;
    }
    std::ifstream in(temporary.path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if ((!in.good() && !in.eof()) || bytes.empty()) {
        made.error = failure("временный файл не прочитан");
        return made;
    }
    made.bytes = std::move(bytes);
    return made;
}

}  // namespace morvalen::exporter
