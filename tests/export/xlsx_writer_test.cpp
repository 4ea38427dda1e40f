// Workbooks made by the export, read back with a real reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "core/formats/spreadsheet_table.h"
#include "export/xlsx_writer.h"

namespace fs = std::filesystem;
using morvalen::core::build_spreadsheet_table;
using morvalen::core::SheetLayout;
using morvalen::exporter::xlsx_workbook;
using morvalen::exporter::xlsx_file_name;

namespace {

const std::string line_one = "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#";
const std::string line_two = "3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#";

struct Workbook {
    std::vector<std::string> sheets;  // "name rows columns"
    std::vector<std::string> columns;  // "min max width bold align"
    std::map<std::string, std::string> cells;  // "A1" -> "s (1:0) 1 right"
};

class XlsxExport : public ::testing::Test {
protected:
    void SetUp() override {
        const char* reader = std::getenv("MORVALEN_XLSX_READER");
        if (reader == nullptr || *reader == '\0') GTEST_SKIP() << "no python3 with openpyxl";
        reader_ = reader;
        char pattern[] = "/tmp/morvalen_xlsx_XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    Workbook read_back(const std::string& path) const {
        const std::string script = std::string(std::getenv("MORVALEN_SOURCE_DIR")) + "/tests/export/read_xlsx.py";
        const std::string dump = dir_ + "/dump.txt";
        const std::string command = "PYTHONIOENCODING=utf-8 " + reader_ + " " + script + " '" + path + "' > " + dump;
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(dump);
        Workbook book;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string kind, rest, field;
            std::getline(fields, kind, '\t');
            if (kind == "cell") {
                std::string coordinate;
                std::getline(fields, coordinate, '\t');
                while (std::getline(fields, field, '\t')) rest += (rest.empty() ? "" : " ") + field;
                book.cells[coordinate] = rest;
                continue;
            }
            while (std::getline(fields, field, '\t')) rest += (rest.empty() ? "" : " ") + field;
            (kind == "sheet" ? book.sheets : book.columns).push_back(rest);
        }
        return book;
    }

    std::vector<std::string> folder_entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        return names;
    }

    std::string reader_;
    std::string dir_;
};

// The workbook's bytes at path, or why there are none.
std::string write_lines(const std::vector<std::string>& lines, SheetLayout layout, const std::string& path) {
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    const auto build = build_spreadsheet_table(views, layout);
    if (!build.table) return build.error;
    const auto workbook = xlsx_workbook(*build.table);
    if (!workbook.error.empty()) return workbook.error;
    std::ofstream(path, std::ios::binary) << workbook.bytes;
    return "";
}

}  // namespace

TEST_F(XlsxExport, WorkedExampleInBothLayouts) {
    const std::string rows_path = dir_ + "/rows.xlsx";
    ASSERT_EQ(write_lines({line_one, line_two}, SheetLayout::row_per_line, rows_path), "");
    Workbook book = read_back(rows_path);
    ASSERT_EQ(book.sheets, std::vector<std::string>{"Pack_2 2 9"});
    // Every column of the sheet: bold, right-aligned, width 8 (stored by Excel's rule as 8.7109375).
    EXPECT_EQ(book.columns, std::vector<std::string>{"1 16384 8.7109375 1 right"});
    const char* texts[] = {"(1:0)", "(0:0)", "(2:1)", "(ЛД)", "(0:1)", "(1:2)", "(3:0)", "(2:2)"};
    for (int g = 0; g < 8; ++g) {
        const std::string column(1, static_cast<char>('A' + g));
        EXPECT_EQ(book.cells[column + "1"], std::string("s ") + texts[g] + " 1 right");
        EXPECT_EQ(book.cells[column + "2"], std::string("s ") + (g == 0 ? "(2:0)" : texts[g]) + " 1 right");
    }
    EXPECT_EQ(book.cells["I1"], "n 3.1 1 right");
    EXPECT_EQ(book.cells["I2"], "n 3.1 1 right");
    EXPECT_EQ(book.cells.size(), 18U);

    const std::string columns_path = dir_ + "/columns.xlsx";
    ASSERT_EQ(write_lines({line_one, line_two}, SheetLayout::column_per_line, columns_path), "");
    book = read_back(columns_path);
    ASSERT_EQ(book.sheets, std::vector<std::string>{"Pack_2 9 2"});
    for (int g = 0; g < 8; ++g) {
        EXPECT_EQ(book.cells["A" + std::to_string(g + 1)], std::string("s ") + texts[g] + " 1 right");
        EXPECT_EQ(book.cells["B" + std::to_string(g + 1)], std::string("s ") + (g == 0 ? "(2:0)" : texts[g]) + " 1 right");
    }
    EXPECT_EQ(book.cells["A9"], "n 3.1 1 right");
    EXPECT_EQ(book.cells["B9"], "n 3.1 1 right");
}

TEST_F(XlsxExport, ColumnLayoutStopsAt256LinesRowLayoutDoesNot) {
    std::vector<std::string> lines(256, line_one);
    lines[100] = "";  // an empty line keeps its place and counts in the sheet name
    ASSERT_EQ(write_lines(lines, SheetLayout::column_per_line, dir_ + "/c256.xlsx"), "");
    Workbook book = read_back(dir_ + "/c256.xlsx");
    EXPECT_EQ(book.sheets, std::vector<std::string>{"Pack_256 9 256"});
    EXPECT_EQ(book.cells["IV9"], "n 3.1 1 right");
    EXPECT_EQ(book.cells.count("CW1"), 0U);  // column 101
    EXPECT_EQ(book.cells.count("CW9"), 0U);

    ASSERT_EQ(write_lines(lines, SheetLayout::row_per_line, dir_ + "/r256.xlsx"), "");
    EXPECT_EQ(read_back(dir_ + "/r256.xlsx").sheets, std::vector<std::string>{"Pack_256 256 9"});

    lines.push_back(line_two);
    EXPECT_EQ(write_lines(lines, SheetLayout::column_per_line, dir_ + "/c257.xlsx"),
              "Формат Excell не позволяет сохранять более 256 вариантов");
    EXPECT_FALSE(fs::exists(dir_ + "/c257.xlsx"));

    ASSERT_EQ(write_lines(lines, SheetLayout::row_per_line, dir_ + "/r257.xlsx"), "");
    book = read_back(dir_ + "/r257.xlsx");
    EXPECT_EQ(book.sheets, std::vector<std::string>{"Pack_257 257 9"});
    EXPECT_EQ(book.cells["A257"], "s (2:0) 1 right");
    EXPECT_EQ(book.cells.count("A101"), 0U);
}

TEST_F(XlsxExport, TheWorkbookIsMadeInAPrivateTemporaryFileThatIsRemoved) {
    const auto build = build_spreadsheet_table({line_one}, SheetLayout::row_per_line);
    ASSERT_TRUE(build.table);
    const std::string made_in = dir_ + "/tmp";
    fs::create_directory(made_in);
    const char* saved = std::getenv("TMPDIR");
    const std::string saved_value = saved ? saved : "";
    setenv("TMPDIR", made_in.c_str(), 1);
    const auto workbook = xlsx_workbook(*build.table);
    const bool left_over = !fs::is_empty(made_in);
    // Nowhere to make it: a message, no bytes.
    fs::permissions(made_in, fs::perms::owner_read | fs::perms::owner_exec);
    const auto nowhere = xlsx_workbook(*build.table);
    fs::permissions(made_in, fs::perms::owner_all);
    saved ? setenv("TMPDIR", saved_value.c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_TRUE(workbook.error.empty()) << workbook.error;
    EXPECT_FALSE(left_over);
    EXPECT_EQ(workbook.bytes.substr(0, 2), "PK");
    if (geteuid() != 0) {
        EXPECT_TRUE(nowhere.bytes.empty());
        EXPECT_NE(nowhere.error.find("Не удалось подготовить книгу Excel"), std::string::npos) << nowhere.error;
    }
}

TEST_F(XlsxExport, TextsXmlCannotCarryStillGiveAWorkbookThatOpens) {
    ASSERT_EQ(write_lines({"1|1-(a\x01" "b);2-(\xCB\xC4)"}, SheetLayout::row_per_line, dir_ + "/odd.xlsx"), "");
    Workbook book = read_back(dir_ + "/odd.xlsx");
    EXPECT_EQ(book.cells["A1"], "s (a?b) 1 right");
    EXPECT_EQ(book.cells["B1"], "s (ЛД) 1 right");
}

TEST(XlsxFileName, ExtensionIsAddedOnlyWhenTheNameHasNone) {
    EXPECT_EQ(xlsx_file_name("/home/p/pack"), "/home/p/pack.xlsx");
    EXPECT_EQ(xlsx_file_name("/home/p.d/pack"), "/home/p.d/pack.xlsx");
    EXPECT_EQ(xlsx_file_name("/home/p/pack.xlsx"), "/home/p/pack.xlsx");
    EXPECT_EQ(xlsx_file_name("/home/p/pack.xls"), "/home/p/pack.xls");
    EXPECT_EQ(xlsx_file_name("pack.old"), "pack.old");
}
