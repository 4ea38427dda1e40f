// The request addresses keep the time suffix so that no cache between us and the service answers.
#include "core/pages/service_request.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "core/formats/decimal_text.h"

namespace morvalen::core {
namespace {

std::string base(std::string_view host) {
    while (!host.empty() && host.back() == '/') host.remove_suffix(1);
    return std::string(host) + std::string(service_path);
}

}  // namespace

char count_digit(int count) {
    const int clamped = std::clamp(count, 1, static_cast<int>(count_digits.size()));
    return count_digits[static_cast<std::size_t>(clamped - 1)];
}

LocalDateTime local_now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
            parts.tm_sec, static_cast<int>(millis < 0 ? millis + 1000 : millis)};
}

double day_count(const LocalDateTime& when) {
    using namespace std::chrono;
    const sys_days date{year{when.year} / month{static_cast<unsigned>(when.month)} /
                        day{static_cast<unsigned>(when.day)}};
    const sys_days epoch{year{1899} / December / day{30}};
    const auto days = (date - epoch).count();
    const long long millis = ((static_cast<long long>(when.hour) * 60 + when.minute) * 60 + when.second) * 1000LL +
                             when.millisecond;
    return static_cast<double>(days) + static_cast<double>(millis) / 86400000.0;
}

std::string time_value(const LocalDateTime& when) {
    // Written without the C locale, whose decimal point a desktop toolkit may have changed.
    return write_general(day_count(when), 15);
}

std::string line_page_address(std::string_view host, const LocalDateTime& when) {
    return base(host) + "?line=1&dt=" + time_value(when);
}

std::string list_page_address(std::string_view host, std::string_view guarantee_text, int first_count,
                              int second_count, const LocalDateTime& when) {
    std::string address = base(host) + "?grant=" + std::string(guarantee_text) + "_";
    address += count_digit(first_count);
    address += count_digit(second_count);
    return address + "&dt=" + time_value(when);
}

std::string system_address(std::string_view host, std::int64_t signature) {
    return base(host) + "?signat=" + std::to_string(signature);
}

}  // namespace morvalen::core
