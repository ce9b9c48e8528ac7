#pragma once

#include <cstdint>
#include <string_view>

#include "schedule/date_time.h"

namespace velmora::schedule {

// The moment a target's texts stand for: the date of dateText (a date-time text
// such as "2024年1月5日") at the hour, minute and second texts read as numbers
// and cut to whole numbers. An hour of 24 is 0 o'clock of the next day, so
// "24", "0", "0" on 5 January is midnight between the 5th and the 6th. A
// minute typed as "05" is minute 5. Parts outside their range are forced into
// it as MakeDateTime does.
//
// Watchers compare moments, not joined texts: "1", "15", "0" and "11", "5",
// "0" join to the same text but are ten hours apart.
DateTime TargetMoment(std::string_view dateText, std::string_view hourText,
                      std::string_view minuteText, std::string_view secondText);

// A moment as a whole count of seconds on the linear day scale: equal
// distances are equal durations, so moments can be subtracted and compared.
std::int64_t SecondsOf(DateTime moment);

}  // namespace velmora::schedule
