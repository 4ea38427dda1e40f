// Addresses of the service requests: the line page, the list page and one brief system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvalen::core {

// A marked count c (1 to 17) is written as the c-th character.
inline constexpr std::string_view count_digits = "0123456789ABCDEFG";
// Counts outside 1..17 are clamped: no caller sends them, and a wrong digit is better than a crash.
char count_digit(int count);

inline constexpr std::string_view service_path = "/sttot/getbrief.ashx";

// A local calendar date and time of day, handed in so that the clock stays outside the core.
struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The clock of the machine, in its local time zone.
LocalDateTime local_now();

// Days since 30 December 1899 with the time of day as the fraction.
double day_count(const LocalDateTime& when);
// The day count in general number form: up to 15 significant digits, "." as the point, no trailing
// zeros (8 December 2026 06:00 is "46364.25").
std::string time_value(const LocalDateTime& when);

// The host is a base address such as "http://127.0.0.1:8080"; a trailing "/" is dropped.
std::string line_page_address(std::string_view host, const LocalDateTime& when);
// guarantee_text is the guarantee as the edit shows it; the counts are the two largest marked counts.
std::string list_page_address(std::string_view host, std::string_view guarantee_text, int first_count,
                              int second_count, const LocalDateTime& when);
// The direct download has no time suffix.
std::string system_address(std::string_view host, std::int64_t signature);

}  // namespace morvalen::core
