#include "calendar/lunar_texts.h"

#include <optional>

#include "calendar/lunar_tables.h"

namespace velmora::calendar {

namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {
    "正月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "冬月", "腊月"};
constexpr std::array<std::string_view, 10> kDigits = {"一", "二", "三", "四", "五",
                                                      "六", "七", "八", "九", "十"};
constexpr std::string_view kLeapMark = "闰";
constexpr int kCycleOrigin = 1984;  // 甲子

// Remainder in 0 ... divisor - 1, also for years before kCycleOrigin.
int Modulo(int value, int divisor) {
    const int r = value % divisor;
    return r < 0 ? r + divisor : r;
}

}  // namespace

std::string CycleYearText(std::chrono::year_month_day date) {
    if (!date.ok()) {
        return {};
    }
    const std::optional<std::chrono::year_month_day> spring = BeginningOfSpring(date.year());
    if (!spring) {
        return {};
    }
    const int year = static_cast<int>(date.year()) - (date < *spring ? 1 : 0);
    std::string text{kHeavenlyStems[static_cast<std::size_t>(Modulo(year - kCycleOrigin, 10))]};
    text += kEarthlyBranches[static_cast<std::size_t>(Modulo(year - kCycleOrigin, 12))];
    return text;
}

std::string LunarMonthText(int month, bool leap) {
    if (month < 1 || month > 12) {
        return {};
    }
    std::string text{leap ? kLeapMark : std::string_view{}};
    text += kMonthNames[static_cast<std::size_t>(month - 1)];
    return text;
}

std::string LunarDayText(int day) {
    if (day < 1 || day > 30) {
        return {};
    }
    // Tens: 初 for 1-10, 十 for 11-19, 二十 exactly, 廿 for 21-29, 三十 exactly.
    if (day == 20) {
        return "二十";
    }
    if (day == 30) {
        return "三十";
    }
    const std::string_view tens = day <= 10 ? "初" : day < 20 ? "十" : "廿";
    const int unit = day == 10 ? 10 : day % 10;
    std::string text{tens};
    text += kDigits[static_cast<std::size_t>(unit - 1)];
    return text;
}

}  // namespace velmora::calendar
