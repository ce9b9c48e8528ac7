#include "calendar/lunar_date.h"

namespace velmora::calendar {

std::optional<LunarDate> SolarToLunar(std::chrono::year_month_day date) {
    if (!date.ok() || date < kFirstLunarDate || date > kLastLunarDate) {
        return std::nullopt;
    }
    // Days since the first day of lunar 1901; at most about 54,000, so an int holds it.
    int n = static_cast<int>(
        (std::chrono::sys_days{date} - std::chrono::sys_days{kFirstLunarNewYear}).count());

    int year = kFirstLunarYear;
    for (int length = YearLengthOf(year); n >= length; length = YearLengthOf(year)) {
        n -= length;
        ++year;
    }

    // Months in calendar order; the leap month, when there is one, takes the index
    // right after its regular month and shares its number.
    const int leapAfter = LeapMonthOf(year);
    int index = 0;
    for (int month = 1; month <= 12; ++month) {
        const int regularLength = MonthLengthOf(year, index++);
        if (n < regularLength) {
            return LunarDate{year, month, false, n + 1};
        }
        n -= regularLength;
        if (month == leapAfter) {
            const int leapLength = MonthLengthOf(year, index++);
            if (n < leapLength) {
                return LunarDate{year, month, true, n + 1};
            }
            n -= leapLength;
        }
    }
    // Unreachable: n was less than the year's length, the sum of the months walked.
    return std::nullopt;
}

}  // namespace velmora::calendar
