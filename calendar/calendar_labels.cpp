#include "calendar/calendar_labels.h"

#include <optional>

#include "calendar/lunar_date.h"
#include "calendar/lunar_texts.h"
#include "calendar/weekday.h"

namespace velmora::calendar {

CalendarLabels LabelsFor(std::chrono::year_month_day date) {
    CalendarLabels labels;
    const std::optional<LunarDate> lunar = SolarToLunar(date);
    if (lunar) {
        labels.lunarText = CycleYearText(date) + "年" + LunarMonthText(lunar->month, lunar->leap) +
                           LunarDayText(lunar->day) + "日";
    } else {
        labels.lunarText = kOutOfRangeText;
    }
    if (date.ok()) {
        // c_encoding counts 0 = Sunday; the program's weekday numbers start at 1 = Sunday.
        const unsigned weekday = std::chrono::weekday{std::chrono::sys_days{date}}.c_encoding();
        labels.weekdayText = "星期" + WeekdayText(static_cast<int>(weekday) + 1);
    }
    return labels;
}

}  // namespace velmora::calendar
