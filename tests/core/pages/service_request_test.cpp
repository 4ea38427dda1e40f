// Request addresses, count digits and the day-count time value.
#include "core/pages/service_request.h"

#include <gtest/gtest.h>

namespace morvalen::core {
namespace {

TEST(ServiceRequestTest, TimeValueIsTheDayCountInGeneralForm) {
    EXPECT_EQ(time_value({2026, 12, 8, 6, 0, 0, 0}), "46364.25");
    EXPECT_EQ(time_value({1899, 12, 30, 0, 0, 0, 0}), "0");
    EXPECT_EQ(time_value({1900, 1, 1, 12, 0, 0, 0}), "2.5");
    // Fifteen significant digits at most.
    EXPECT_EQ(time_value({2026, 12, 8, 6, 5, 0, 0}), "46364.2534722222");
    EXPECT_EQ(time_value({2024, 2, 29, 0, 0, 0, 0}), "45351");
}

TEST(ServiceRequestTest, CountDigitsRunFromZeroToG) {
    EXPECT_EQ(count_digit(1), '0');
    EXPECT_EQ(count_digit(10), '9');
    EXPECT_EQ(count_digit(11), 'A');
    EXPECT_EQ(count_digit(17), 'G');
    EXPECT_EQ(count_digit(0), '0');
    EXPECT_EQ(count_digit(40), 'G');
}

TEST(ServiceRequestTest, AddressesOfTheThreeRequests) {
    const LocalDateTime when{2026, 12, 8, 6, 0, 0, 0};
    EXPECT_EQ(line_page_address("http://127.0.0.1:8080", when),
              "http://127.0.0.1:8080/sttot/getbrief.ashx?line=1&dt=46364.25");
    EXPECT_EQ(list_page_address("http://h/", "7", 3, 2, when), "http://h/sttot/getbrief.ashx?grant=7_21&dt=46364.25");
    EXPECT_EQ(list_page_address("http://h", "5", 17, 11, when), "http://h/sttot/getbrief.ashx?grant=5_GA&dt=46364.25");
    EXPECT_EQ(system_address("http://h", 50111101842), "http://h/sttot/getbrief.ashx?signat=50111101842");
}

}  // namespace
}  // namespace morvalen::core
