#pragma once

#include <string>

namespace velmora::calendar {

// The Chinese name of a weekday numbered as DayOfWeekOf numbers it, 1 = Sunday ...
// 7 = Saturday: 1 gives 日, 2 一, 3 二 ... 7 六 (UTF-8). Empty for any other number.
// The label shows it after 星期: 星期日, 星期一.
std::string WeekdayText(int weekday);

}  // namespace velmora::calendar
