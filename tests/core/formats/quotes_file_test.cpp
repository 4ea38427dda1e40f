// The package text file and the quotes file: names, bytes, round trip and the failing loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "core/formats/quotes_file.h"

using namespace morvalen::core;

namespace {

Currency pct(std::string_view text) { return *Currency::parse(text); }

EventTable sample_table() {
    EventTable table;
    for (int e = 1; e <= event_count; ++e) {
        table.event(e).name = "Команда " + std::to_string(e) + " - Team B";
        for (int o = 1; o <= outcome_count; ++o) {
            table.cell(e, o).quote_probability = Currency::from_ten_thousandths(e * 100000 + o * 1234);
            table.cell(e, o).pool_probability = Currency::from_ten_thousandths(o * 50000 + e);
        }
    }
    table.cell(1, 1).quote_probability = pct("12.5");
    table.cell(1, 1).pool_probability = pct("13.5");
    return table;
}

std::string quotes_bytes(const EventTable& table, std::string_view caption) {
    std::ostringstream out;
    write_quotes(out, table, caption);
    return out.str();
}

QuotesLoad load(const std::string& bytes, EventTable& table) {
    std::istringstream in(bytes);
    return read_quotes(in, table);
}

}  // namespace

TEST(FileNames, TextAndQuotes) {
    EXPECT_EQ(text_file_name("pack"), "pack.txt");
    EXPECT_EQ(text_file_name("pack.txt"), "pack.txt.txt");
    EXPECT_EQ(quotes_file_name("pack"), "pack.ctr");
    EXPECT_EQ(quotes_file_name("pack.old"), "pack.old");
    EXPECT_EQ(quotes_file_name("/home/a.b/pack"), "/home/a.b/pack");
}

TEST(TextSave, Windows1251WithCrLf) {
    std::ostringstream out;
    write_memo_text(out, "3.1|1-(ЛД);\n\n6.2|1-(1:0)#\r\n");
    EXPECT_EQ(out.str(), "3.1|1-(\xCB\xC4);\r\n\r\n6.2|1-(1:0)#\r\n");
    std::ostringstream bare;
    write_memo_text(bare, "1|1-(1:0)");
    EXPECT_EQ(bare.str(), "1|1-(1:0)");
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_FALSE(write_memo_text(broken, "1|1-(1:0)"));
    EXPECT_FALSE(write_quotes(broken, EventTable{}, ""));
}

TEST(QuotesFile, LineFormat) {
    EventTable table;
    table.event(1).name = "Team A - Team B";
    table.cell(1, 1).quote_probability = pct("12.5");
    table.cell(1, 1).pool_probability = pct("10");
    table.cell(1, 2).quote_probability = pct("8.25");
    table.cell(1, 2).pool_probability = pct("9");
    const std::string bytes = quotes_bytes(table, "Тотализатор");
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 9U);
    EXPECT_EQ(lines[0].rfind("Team A - Team B\t12.5\t10\t8.25\t9\t0\t0\t", 0), 0U);
    for (int e = 0; e < 8; ++e) {
        EXPECT_EQ(std::count(lines[e].begin(), lines[e].end(), '\t'), 35);
        EXPECT_EQ(lines[e].substr(lines[e].size() - 2), "\t\r");
    }
    EXPECT_EQ(lines[1], "\t" + [] { std::string s; for (int i = 0; i < 34; ++i) s += "0\t"; return s; }() + "\r");
    EXPECT_EQ(lines[8], "\xD2\xEE\xF2\xE0\xEB\xE8\xE7\xE0\xF2\xEE\xF0\r");
}

TEST(QuotesFile, RoundTripSetsSettingsToQuotes) {
    const EventTable saved = sample_table();
    EventTable loaded;
    loaded.cell(2, 3).mark = 1;
    loaded.cell(2, 3).setting_probability = pct("77");
    const auto result = load(quotes_bytes(saved, "11.05 16:00. Прием до 12.05"), loaded);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.caption, "11.05 16:00. Прием до 12.05");
    for (int e = 1; e <= event_count; ++e) {
        EXPECT_EQ(loaded.event(e).name, saved.event(e).name);
        for (int o = 1; o <= outcome_count; ++o) {
            EXPECT_EQ(loaded.cell(e, o).quote_probability, saved.cell(e, o).quote_probability);
            EXPECT_EQ(loaded.cell(e, o).pool_probability, saved.cell(e, o).pool_probability);
            EXPECT_EQ(loaded.cell(e, o).setting_probability, saved.cell(e, o).quote_probability);
            EXPECT_EQ(outcome_cell_text(loaded, e, o), outcome_cell_text(saved, e, o));
        }
    }
    EXPECT_EQ(outcome_cell_text(loaded, 1, 1), "12/14");
    EXPECT_EQ(loaded.cell(2, 3).mark, 1);  // marks are not the file's business

    // Names with a tab or a break cannot shift the fields of the line.
    EventTable odd;
    odd.event(3).name = "A\tB\r\nC";
    odd.cell(3, 17).pool_probability = pct("4.5");
    EventTable back;
    ASSERT_TRUE(load(quotes_bytes(odd, "x\ty"), back).ok);
    EXPECT_EQ(back.event(3).name, "A B  C");
    EXPECT_EQ(back.cell(3, 17).pool_probability, pct("4.5"));
}

TEST(QuotesFile, FailuresKeepWhatWasRead) {
    const EventTable saved = sample_table();
    std::string bytes = quotes_bytes(saved, "caption");

    // The last value of event 2 without its tab: events 1 and 2 up to that value stay applied.
    std::string cut = bytes;
    const auto second_end = cut.find("\r\n", cut.find("\r\n") + 2);
    cut.erase(second_end - 1, 1);
    EventTable table;
    table.cell(2, 17).pool_probability = pct("99");
    table.cell(3, 1).quote_probability = pct("55");
    auto result = load(cut, table);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.caption);
    EXPECT_EQ(table.event(2).name, saved.event(2).name);
    EXPECT_EQ(table.cell(2, 17).quote_probability, saved.cell(2, 17).quote_probability);
    EXPECT_EQ(table.cell(2, 17).pool_probability, pct("99"));
    EXPECT_EQ(table.cell(3, 1).quote_probability, pct("55"));
    EXPECT_TRUE(table.event(3).name.empty());

    EventTable other;
    EXPECT_FALSE(load("Name\t1\t2\tx\t3\t", other).ok);  // a figure that is no number
    EXPECT_EQ(other.cell(1, 1).pool_probability, pct("2"));
    EXPECT_FALSE(load("Name only\r\n", other).ok);        // text without a tab
    EXPECT_FALSE(load("Name\t3,1\t2\t", other).ok);       // comma is not a point
    EXPECT_FALSE(load("", other).ok);                     // nothing to read
    EXPECT_FALSE(load(std::string(100000, 'a'), other).ok);
    // The eighth event line present but no caption line.
    std::string no_caption = bytes.substr(0, bytes.rfind("caption"));
    EXPECT_FALSE(load(no_caption, other).ok);
    EXPECT_EQ(other.event(8).name, saved.event(8).name);

    // An 18th pair fails the line; it never reaches the next event.
    std::string extra = bytes;
    extra.insert(extra.find("\r\n"), "1\t2\t");
    EventTable guarded;
    EXPECT_FALSE(load(extra, guarded).ok);
    EXPECT_EQ(guarded.cell(1, 17).quote_probability, saved.cell(1, 17).quote_probability);
    EXPECT_TRUE(guarded.event(2).name.empty());
    EXPECT_EQ(guarded.cell(2, 1).quote_probability, Currency());
}

TEST(QuotesFile, EmptyLinesAndBlanks) {
    EventTable table = sample_table();
    std::string bytes = "\r\n Name \t 12.5 \t 3 \r\n";
    bytes.resize(bytes.size() - 2);
    bytes += "\t\r\n";
    for (int e = 3; e <= 8; ++e) bytes += "\n";
    bytes += "\xC7\xE0\xE3";  // the caption in the file's code page, without a final break
    const auto result = load(bytes, table);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.caption, "Заг");
    EXPECT_TRUE(table.event(1).name.empty());
    EXPECT_EQ(table.cell(1, 1).quote_probability, pct("12.5"));  // figures of an empty line stay
    EXPECT_EQ(table.event(2).name, " Name ");
    EXPECT_EQ(table.cell(2, 1).quote_probability, pct("12.5"));
    EXPECT_EQ(table.cell(2, 1).pool_probability, pct("3"));
    EXPECT_EQ(table.cell(2, 2).quote_probability, sample_table().cell(2, 2).quote_probability);
}
