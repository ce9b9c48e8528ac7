#include "app/clock_time_rules.h"

#include "schedule/texts.h"

namespace velmora::app {

namespace {
constexpr double kTolerance = 0.0000001;
}  // namespace

std::optional<std::string> HourBoxRule(std::string_view text) {
    const double v = schedule::TextToNumber(text);
    // Written so that NaN (which TextToNumber should never give) passes
    // unchanged instead of looping.
    if (v - 24 > kTolerance || schedule::AbsoluteValue(v) <= kTolerance) {
        return "1";
    }
    return std::nullopt;
}

std::optional<std::string> MinuteSecondBoxRule(std::string_view text) {
    if (schedule::TextToNumber(text) - 59 > kTolerance) {
        return "0";
    }
    return std::nullopt;
}

}  // namespace velmora::app
