// Shared fixtures of the auxiliary window tests: the application object and a known line.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include <QApplication>

#include "core/model/event_table.h"

namespace morvalen::app::test {

// One application object for the whole test program (the platform comes from QT_QPA_PLATFORM).
class QtTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "aux_windows_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
};

inline std::int64_t raw(core::Currency value) { return value.ten_thousandths(); }

inline const std::array<std::string, 8> team_pairs = {
    "Арсенал - Челси",      "Бавария - Боруссия Д", "Милан - Интер",  "Аякс - ПСВ",
    "Севилья - Бетис",      "Порту - Бенфика",      "Селтик - Рейнджерс", "Лион - Марсель"};

// Event 1 has the bookmaker's 5 % on "1:0" and 12.5 % (pool 13.5 %) on "2:1"; each event's quotes
// sum to 100 %, later events being the same figures turned by one column each.
inline core::EventTable sample_line() {
    static constexpr std::array<std::int64_t, 17> base = {50000, 60000, 125000, 40000, 50000, 30000, 80000, 100000, 40000,
                                                          15000, 60000, 50000, 75000,  20000, 35000, 25000, 145000};
    core::EventTable table;
    for (int e = 1; e <= 8; ++e) {
        table.event(e).name = team_pairs[static_cast<std::size_t>(e - 1)];
        for (int o = 1; o <= 17; ++o) {
            const std::int64_t quote = base[static_cast<std::size_t>((o - 1 + e - 1) % 17)];
            core::OutcomeCell& cell = table.cell(e, o);
            cell.quote_probability = core::Currency::from_ten_thousandths(quote);
            cell.pool_probability = core::Currency::from_ten_thousandths(quote + (o % 2 == 1 ? 10000 : -10000));
            cell.setting_probability = cell.quote_probability;
        }
    }
    return table;
}

}  // namespace morvalen::app::test
