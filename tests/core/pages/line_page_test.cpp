// Reading the line page: field layout, trailers, and the stop at a number that does not convert.
#include "core/pages/line_page.h"

#include <gtest/gtest.h>

#include <string>

namespace morvalen::core {
namespace {

// One event: its name and 17 pairs; pair o is quote "o" and pool "o.5" unless overridden.
std::string event_fields(const std::string& name, const std::string& first_quote = "1",
                         const std::string& first_pool = "1.5") {
    std::string page = name + "|" + first_quote + "|" + first_pool + "|";
    for (int o = 2; o <= outcome_count; ++o) page += std::to_string(o) + "|" + std::to_string(o) + ".5|";
    return page;
}

std::string eight_events() {
    std::string page;
    for (int e = 1; e <= event_count; ++e) page += event_fields("Команда " + std::to_string(e) + " - Гости");
    return page;
}

TEST(LinePageTest, EightEventsAndTwoTrailers) {
    EventTable table;
    const auto result = read_line_page(eight_events() + "dl=09.12 18:00/19:00|st=3,10|", table);
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_EQ(result.names.size(), 8u);
    EXPECT_EQ(table.event(8).name, "Команда 8 - Гости");
    EXPECT_EQ(result.short_names[0], "Команда 1");
    EXPECT_EQ(table.acceptance_note, ". Прием до 09.12 18:00/19:00");
    ASSERT_TRUE(result.stake_text.has_value());
    EXPECT_EQ(*result.stake_text, "3.10");
    EXPECT_EQ(table.cell(8, 17).quote_probability, Currency::from_units(17));
    EXPECT_EQ(table.cell(8, 17).pool_probability, *Currency::parse("17.5"));
}

TEST(LinePageTest, TrailerPrefixIsThreeCharactersAndLaterTrailersReplace) {
    EventTable table;
    // A Cyrillic prefix is three characters, six bytes; only the first "," is replaced.
    const auto result =
        read_line_page(eight_events() + "ст:1,5,0|ст:2,25|дд:10.12/11.12|дд:11.12 12:00/x|", table);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result.stake_text, "2.25");
    EXPECT_EQ(table.acceptance_note, ". Прием до 11.12 12:00/x");
    const auto first = read_line_page(eight_events() + "st=1,5,0|", table);
    EXPECT_EQ(*first.stake_text, "1.5,0");
    // Clearing: a page without a deadline leaves no stale note.
    EXPECT_EQ(table.acceptance_note, "");
}

TEST(LinePageTest, QuoteIsAlsoTheSettingAndPoolIsSeparate) {
    EventTable table;
    const auto result = read_line_page(event_fields("A - B", "12.5", "13.5"), table);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(table.cell(1, 1).quote_probability, *Currency::parse("12.5"));
    EXPECT_EQ(table.cell(1, 1).setting_probability, *Currency::parse("12.5"));
    EXPECT_EQ(table.cell(1, 1).pool_probability, *Currency::parse("13.5"));
    EXPECT_EQ(outcome_cell_text(table, 1, 1), "12/14");
}

TEST(LinePageTest, ACommaStopsTheReadingAndKeepsWhatWasRead) {
    EventTable table;
    table.event(3).name = "прежнее";
    table.acceptance_note = "old";
    const std::string page = event_fields("A - B") + event_fields("C - D", "12,5") + event_fields("E - F") +
                             "dl=09.12/10.12|st=3|";
    const auto result = read_line_page(page, table);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error, "'12,5' is not a valid floating point value");
    EXPECT_EQ(table.event(1).name, "A - B");
    EXPECT_EQ(table.cell(1, 17).pool_probability, *Currency::parse("17.5"));
    EXPECT_EQ(table.event(2).name, "C - D");  // the name came before the bad field
    EXPECT_EQ(table.cell(2, 1).quote_probability, Currency());
    EXPECT_EQ(table.event(3).name, "прежнее");  // never reached
    EXPECT_FALSE(result.stake_text.has_value());
    EXPECT_EQ(result.names.size(), 2u);
}

TEST(LinePageTest, PagesWithoutBarsOrWithShortLinesEndQuietly) {
    EventTable table;
    table.event(1).name = "stays";
    const auto error_page = read_line_page("Страница не найдена", table);
    EXPECT_TRUE(error_page.ok());
    EXPECT_EQ(table.event(1).name, "stays");

    // Two events and a dangling rest: the rest is ignored, later events keep what they held.
    table.event(5).name = "kept";
    const auto short_page = read_line_page(event_fields("A") + event_fields("B") + "C|1|2", table);
    EXPECT_TRUE(short_page.ok());
    EXPECT_EQ(table.event(3).name, "C");
    EXPECT_EQ(table.cell(3, 1).quote_probability, Currency::from_units(1));
    EXPECT_EQ(table.cell(3, 1).pool_probability, Currency());
    EXPECT_EQ(table.event(5).name, "kept");
    EXPECT_EQ(short_page.short_names[0], "");  // no " -" in the name
}

TEST(LinePageTest, EmptyFieldsAreNamesOrConversionErrors) {
    EventTable table;
    const auto result = read_line_page("||", table);
    EXPECT_EQ(result.error, "'' is not a valid floating point value");
    EXPECT_EQ(table.event(1).name, "");
}

TEST(LinePageTest, WriterAndReaderAgree) {
    EventTable source;
    for (int e = 1; e <= event_count; ++e) {
        source.event(e).name = "Хозяева " + std::to_string(e) + " - Гости";
        for (int o = 1; o <= outcome_count; ++o) {
            source.cell(e, o).quote_probability = Currency::from_ten_thousandths(e * 10007 + o * 131);
            source.cell(e, o).pool_probability = Currency::from_ten_thousandths(e * 7 + o * 50000);
        }
    }
    EventTable read;
    const auto result = read_line_page(write_line_page(source, {"dl=10.12.2026 18:00/19:00", "st=50,00"}), read);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(*result.stake_text, "50.00");
    for (int e = 1; e <= event_count; ++e) {
        EXPECT_EQ(read.event(e).name, source.event(e).name);
        for (int o = 1; o <= outcome_count; ++o) {
            EXPECT_EQ(read.cell(e, o).quote_probability, source.cell(e, o).quote_probability);
            EXPECT_EQ(read.cell(e, o).pool_probability, source.cell(e, o).pool_probability);
        }
    }
}

}  // namespace
}  // namespace morvalen::core
