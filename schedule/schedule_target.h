#pragma once

#include <string>

namespace velmora::schedule {

// The armed target as texts: the date text and the hour, minute and second texts
// as entered or computed, and the four joined without separators.
struct ScheduleTarget {
    std::string dateText;
    std::string hourText;
    std::string minuteText;
    std::string secondText;
    std::string joinedText;
};

}  // namespace velmora::schedule
