#pragma once

#include <chrono>
#include <cstdio>
#include <string>

// Helpers shared by the calendar tests.
namespace velmora::calendar::testing_dates {

inline std::chrono::year_month_day Ymd(int y, unsigned m, unsigned d) {
    return std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                       std::chrono::day{d}};
}

// "2020-05-23", for failure messages.
inline std::string DateText(std::chrono::year_month_day date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

}  // namespace velmora::calendar::testing_dates
