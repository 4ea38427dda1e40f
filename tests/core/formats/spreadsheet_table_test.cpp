// The spreadsheet export's cell table: groups by position, cut texts, amounts, layouts and the limit.
#include <gtest/gtest.h>

#include "core/formats/spreadsheet_table.h"

using namespace morvalen::core;

namespace {

std::string text(const SheetCell& cell) {
    if (const auto* s = std::get_if<std::string>(&cell)) return *s;
    if (const auto* d = std::get_if<double>(&cell)) return "#" + std::to_string(*d);
    return "<empty>";
}

std::vector<std::string> groups(std::string_view line) {
    const auto read = read_sheet_line(line);
    return read ? read->groups : std::vector<std::string>{"<unreadable>"};
}

}  // namespace

TEST(SpreadsheetLine, GroupsAreTakenByPositionAndCut) {
    using V = std::vector<std::string>;
    EXPECT_EQ(groups("6.2|1-(1:0,2:0,2:1);2-(0:0,1:1);3-(ЛД)#"), (V{"(1:0,2:0,2:)", "(0:0,1:1)", "(ЛД)"}));
    // Ten characters, not bytes: a Cyrillic label counts as two.
    EXPECT_EQ(groups("1|1-(1:0,ЛД,2:0,2:1)"), (V{"(1:0,ЛД,2:0)"}));
    EXPECT_EQ(groups("1|8-(2:2);1-(1:0)"), (V{"(2:2)", "(1:0)"}));
    EXPECT_EQ(groups("3.1|"), (V{"()"}));
    EXPECT_EQ(groups(" 3.1 |1-( 1:0 )"), (V{"(1:0 )"}));
    EXPECT_EQ(groups("3.1|1-(1:0);2-(0:0);3-"), (V{"(1:0)", "(0:0)"}));
    // A group left open ends the line instead of repeating forever.
    EXPECT_EQ(groups("3.1|1-(1:0;2-(2:0"), (V{"(1:0;2-(2:0)"}));
    EXPECT_EQ(groups("3.1|1-(1:0"), (V{"(1:0)"}));
    // More than 8 groups typed by hand: the 8 cells take the first 8.
    EXPECT_EQ(groups("1|(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)").size(), 8U);
    EXPECT_EQ(groups("").size(), 0U);
    EXPECT_EQ(groups("no bar here (1:0)").size(), 0U);
}

TEST(SpreadsheetLine, AmountsAreNumbersWithAPoint) {
    EXPECT_EQ(read_sheet_line("3.1|1-(1:0)")->amount, 3.1);
    EXPECT_EQ(read_sheet_line(" +12 |")->amount, 12.0);
    EXPECT_EQ(read_sheet_line("1e2|")->amount, 100.0);
    EXPECT_FALSE(read_sheet_line("3,1|1-(1:0)"));
    EXPECT_FALSE(read_sheet_line("|1-(1:0)"));
    EXPECT_FALSE(read_sheet_line("inf|1-(1:0)"));
    EXPECT_FALSE(read_sheet_line("+-1|"));
    EXPECT_FALSE(read_sheet_line("nothing")->amount);
}

TEST(SpreadsheetTable, WorkedExampleInBothLayouts) {
    const std::vector<std::string_view> lines = {
        "3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#",
        "3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#",
        "",
        "3.1|1-(1:0);2-(0:0);",
    };
    const auto rows = build_spreadsheet_table(lines, SheetLayout::row_per_line);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(rows.table->sheet_name, "Pack_4");
    EXPECT_EQ(rows.table->rows, 4U);
    EXPECT_EQ(rows.table->columns, 9U);
    const char* first[] = {"(1:0)", "(0:0)", "(2:1)", "(ЛД)", "(0:1)", "(1:2)", "(3:0)", "(2:2)"};
    for (std::size_t g = 0; g < 8; ++g) {
        EXPECT_EQ(text(rows.table->at(0, g)), first[g]);
        EXPECT_EQ(text(rows.table->at(1, g)), g == 0 ? "(2:0)" : first[g]);
        EXPECT_EQ(text(rows.table->at(2, g)), "<empty>");
        EXPECT_EQ(text(rows.table->at(3, g)), g < 2 ? first[g] : "<empty>");
    }
    EXPECT_EQ(std::get<double>(rows.table->at(0, 8)), 3.1);
    EXPECT_EQ(text(rows.table->at(2, 8)), "<empty>");

    const auto columns = build_spreadsheet_table(lines, SheetLayout::column_per_line);
    ASSERT_TRUE(columns.table);
    EXPECT_EQ(columns.table->rows, 9U);
    EXPECT_EQ(columns.table->columns, 4U);
    for (std::size_t r = 0; r < 9; ++r)
        for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(text(columns.table->at(r, c)), text(rows.table->at(c, r)));
}

TEST(SpreadsheetTable, LimitsAndUnreadableAmounts) {
    std::vector<std::string_view> lines(256, "1|1-(1:0)");
    EXPECT_TRUE(build_spreadsheet_table(lines, SheetLayout::column_per_line).table);
    lines.push_back("1|1-(1:0)");
    const auto refused = build_spreadsheet_table(lines, SheetLayout::column_per_line);
    EXPECT_FALSE(refused.table);
    EXPECT_EQ(refused.error, "Формат Excell не позволяет сохранять более 256 вариантов");
    const auto rows = build_spreadsheet_table(lines, SheetLayout::row_per_line);
    ASSERT_TRUE(rows.table);
    EXPECT_EQ(rows.table->sheet_name, "Pack_257");

    const std::vector<std::string_view> too_many(row_layout_line_limit + 1, "");
    EXPECT_EQ(build_spreadsheet_table(too_many, SheetLayout::row_per_line).error, "Лист книги не вмещает более 1048576 вариантов");

    const auto bad = build_spreadsheet_table({"1|1-(1:0)", " 3,1 |1-(1:0)"}, SheetLayout::row_per_line);
    EXPECT_FALSE(bad.table);
    EXPECT_EQ(bad.error, "Строка 2: сумма \"3,1\" не является числом");
}
