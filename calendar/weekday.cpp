#include "calendar/weekday.h"

#include <array>
#include <string_view>

namespace velmora::calendar {

std::string WeekdayText(int weekday) {
    static constexpr std::array<std::string_view, 7> kNames = {"日", "一", "二", "三",
                                                               "四", "五", "六"};
    if (weekday < 1 || weekday > 7) {
        return {};
    }
    return std::string{kNames[static_cast<std::size_t>(weekday - 1)]};
}

}  // namespace velmora::calendar
