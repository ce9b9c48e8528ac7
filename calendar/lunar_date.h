#pragma once

#include <chrono>
#include <optional>

#include "calendar/lunar_tables.h"

// Gregorian date to Chinese lunar date, from the published tables in lunar_tables.h.
namespace velmora::calendar {

// A day of the Chinese lunar calendar. The year is the Gregorian year in which the
// lunar year begins; month is 1-12; leap marks the leap month that follows the
// regular month of the same number; day is 1-30.
struct LunarDate {
    int year = 0;
    int month = 0;
    bool leap = false;
    int day = 0;

    friend bool operator==(const LunarDate&, const LunarDate&) = default;
};

// The dates SolarToLunar accepts: the first day of lunar year 1901 to the last
// Gregorian day of 2048.
inline constexpr std::chrono::year_month_day kFirstLunarDate = kFirstLunarNewYear;
inline constexpr std::chrono::year_month_day kLastLunarDate{
    std::chrono::year{2048}, std::chrono::December, std::chrono::day{31}};

// The lunar date of a Gregorian date in kFirstLunarDate ... kLastLunarDate; nullopt for
// any other date, an invalid one (2023-02-30) among them.
// Example: 2020-05-23 gives {2020, 4, leap, 1}; 2018-02-15 gives {2017, 12, not leap, 30}.
std::optional<LunarDate> SolarToLunar(std::chrono::year_month_day date);

}  // namespace velmora::calendar
