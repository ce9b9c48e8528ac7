#include "schedule/target_moment.h"

#include <cmath>

#include "schedule/texts.h"

namespace velmora::schedule {

DateTime TargetMoment(std::string_view dateText, std::string_view hourText,
                      std::string_view minuteText, std::string_view secondText) {
    const DateTime date = TextToDateTime(dateText);
    const std::int32_t hour = TruncToInt(TextToNumber(hourText));
    const DateTime moment =
        MakeDateTime(YearOf(date), MonthOf(date), DayOf(date), hour == 24 ? 0 : hour,
                     TruncToInt(TextToNumber(minuteText)), TruncToInt(TextToNumber(secondText)));
    return hour == 24 ? AddToDateTime(moment, DateTimeUnit::Minutes, 24 * 60) : moment;
}

std::int64_t SecondsOf(DateTime moment) {
    return std::llround(LinearDays(ClampDateTime(moment)) * 86400.0);
}

}  // namespace velmora::schedule
