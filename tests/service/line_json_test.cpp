// The operator's line file: odds and percents, the checks that keep the page readable, round trip.
#include "service/line_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "service/demo_line.h"

namespace morvalen::service {
namespace {

using nlohmann::json;

json event(const std::string& name) {
    json quotes = json::array();
    json pool = json::array();
    for (int o = 0; o < 17; ++o) {
        quotes.push_back(o == 16 ? 20.0 : 5.0);
        pool.push_back(o == 16 ? 36.0 : 4.0);
    }
    return {{"name", name}, {"quotes", quotes}, {"pool", pool}};
}

json line_doc() {
    json events = json::array();
    for (int e = 1; e <= 8; ++e) events.push_back(event("Хозяева " + std::to_string(e) + " - Гости"));
    return {{"deadline", "12.12 15:00/16:00"}, {"stake", "3,10"}, {"events", events}};
}

std::string error_of(const json& doc) {
    try {
        parse_line_json(doc.dump());
    } catch (const LineFormatError& error) {
        return error.what();
    }
    return {};
}

TEST(LineJsonTest, PercentsAndStakeAreTakenAsGiven) {
    const auto line = parse_line_json(line_doc().dump());
    EXPECT_EQ(line.stake, "3.1");
    EXPECT_EQ(line.deadline, "12.12 15:00/16:00");
    EXPECT_EQ(line.table.cell(8, 17).quote_probability, core::Currency::from_units(20));
    EXPECT_EQ(line.table.cell(8, 17).pool_probability, core::Currency::from_units(36));
}

TEST(LineJsonTest, OddsBecomeNormalisedInverseOdds) {
    json doc = line_doc();
    json odds = json::array();
    for (int o = 0; o < 17; ++o) odds.push_back(o < 2 ? 2.0 : 4.0);  // inverse sum 1 + 15/4 = 4.75
    doc["events"][0].erase("quotes");
    doc["events"][0]["odds"] = odds;
    const auto line = parse_line_json(doc.dump());
    EXPECT_EQ(line.table.cell(1, 1).quote_probability, core::Currency::from_floating(100.0 * 0.5 / 4.75));
    EXPECT_EQ(line.table.cell(1, 3).quote_probability, core::Currency::from_floating(100.0 * 0.25 / 4.75));
}

TEST(LineJsonTest, WhatWouldBreakThePageIsRefused) {
    auto with = [](auto change) {
        json doc = line_doc();
        change(doc);
        return error_of(doc);
    };
    EXPECT_NE(with([](json& d) { d["events"][2]["name"] = "A | B"; }), "");
    EXPECT_NE(with([](json& d) { d["events"][2]["name"] = ""; }), "");
    EXPECT_NE(with([](json& d) { d["events"][2]["name"] = "A\nB"; }), "");
    EXPECT_NE(with([](json& d) { d["deadline"] = "12.12 15:00"; }), "");
    EXPECT_NE(with([](json& d) { d["stake"] = "abc"; }), "");
    EXPECT_NE(with([](json& d) { d["stake"] = -1; }), "");
    EXPECT_NE(with([](json& d) { d["events"].erase(7); }), "");
    EXPECT_NE(with([](json& d) { d["events"][0]["pool"].erase(0); }), "");
    EXPECT_NE(with([](json& d) { d["events"][0]["pool"][3] = 101; }), "");
    EXPECT_NE(with([](json& d) { d["events"][0]["quotes"][3] = "5"; }), "");
    EXPECT_NE(with([](json& d) { d["events"][0]["odds"] = d["events"][0]["quotes"]; }), "");  // both given
    EXPECT_NE(with([](json& d) { d["extra"] = 1; }), "");
    EXPECT_NE(error_of(json::array()), "");
    EXPECT_THROW(parse_line_json("{not json"), LineFormatError);
    EXPECT_EQ(with([](json&) {}), "");
}

TEST(LineJsonTest, ExportImportsBackToTheSameLine) {
    const DrawLine demo = demo_line();
    const DrawLine again = parse_line_json(line_to_json(demo));
    EXPECT_EQ(again.deadline, demo.deadline);
    EXPECT_EQ(again.stake, demo.stake);
    for (int e = 1; e <= 8; ++e) {
        EXPECT_EQ(again.table.event(e).name, demo.table.event(e).name);
        for (int o = 1; o <= 17; ++o) {
            EXPECT_EQ(again.table.cell(e, o).quote_probability, demo.table.cell(e, o).quote_probability);
            EXPECT_EQ(again.table.cell(e, o).pool_probability, demo.table.cell(e, o).pool_probability);
        }
    }
}

}  // namespace
}  // namespace morvalen::service
