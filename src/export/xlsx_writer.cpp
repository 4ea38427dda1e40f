// The .xlsx side of the spreadsheet export, through libxlsxwriter.
#include "export/xlsx_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>
#include <variant>

#include <xlsxwriter.h>

#include "core/cp1251.h"

namespace morvalen::exporter {
namespace {

constexpr double column_width = 8;

std::string failure(const std::string& path, const std::string& reason) {
    return "Не удалось сохранить файл \"" + path + "\": " + reason;
}

// Removes the temporary file unless it was renamed into place.
struct TemporaryFile {
    std::string path;
    bool kept = false;
    ~TemporaryFile() {
        if (!kept && !path.empty()) std::remove(path.c_str());
    }
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

std::optional<std::string> write_xlsx(const core::SpreadsheetTable& table, const std::string& path) {
    const std::filesystem::path target(path);
    if (target.filename().empty()) return failure(path, "не указано имя файла");
    const std::filesystem::path folder = target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();

    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return failure(path, std::strerror(errno));
    close(fd);
    TemporaryFile temporary{pattern};

    lxw_workbook* workbook = workbook_new(temporary.path.c_str());
    if (workbook == nullptr) return failure(path, "нехватка памяти");
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, table.sheet_name.c_str());
    lxw_format* format = workbook_add_format(workbook);
    if (sheet == nullptr || format == nullptr) {
        workbook_close(workbook);
        return failure(path, "недопустимое имя листа \"" + table.sheet_name + "\"");
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
        return failure(path, lxw_strerror(error));
    }
    error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) return failure(path, lxw_strerror(error));

    // mkstemp gives the owner alone access; a saved workbook gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    std::error_code ignored;
    std::filesystem::permissions(temporary.path, static_cast<std::filesystem::perms>(0666 & ~mask), ignored);
    if (std::rename(temporary.path.c_str(), path.c_str()) != 0) return failure(path, std::strerror(errno));
    temporary.kept = true;
    return std::nullopt;
}

}  // namespace morvalen::exporter
