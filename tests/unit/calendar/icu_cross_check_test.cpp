// Compares every day of the range with ICU's Chinese calendar. ICU computes the
// calendar from its own approximate astronomy, in UTC+8 throughout; the published
// calendar that our tables hold differs from it on the days listed below, where a
// new moon or a principal solar term falls within minutes of midnight. Any other
// difference, or a listed one that disappears, fails the test.
#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/simpletz.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "calendar/lunar_date.h"
#include "test_dates.h"

namespace velmora::calendar {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;
using testing_dates::DateText;
using testing_dates::Ymd;

// Days on which the published calendar and ICU disagree, one row per lunar month of
// the published calendar. Times are China Standard Time (UTC+8) from a modern
// ephemeris, to the minute; "Beijing" is local mean time at 116°25'E (UTC+7:45:40),
// on which the calendar was reckoned before 1929.
const struct KnownDifference {
    year_month_day first;
    year_month_day last;
    const char* reason;
} kKnownDifferences[] = {
    {Ymd(1917, 3, 23), Ymd(1917, 4, 20),
     "leap month: 谷雨 (sun at 30°) is at 00:17 on 04-21 (00:03 Beijing), in the month "
     "starting that day, so this month has no principal term and is leap 2; ICU puts 谷雨 "
     "before midnight, calls this month 3 and the next leap 3"},
    {Ymd(1917, 4, 21), Ymd(1917, 5, 20), "the same leap month: month 3 here, ICU's leap 3"},
    {Ymd(1922, 6, 25), Ymd(1922, 7, 23),
     "leap month: 大暑 (120°) is at 00:20 on 07-24 (00:06 Beijing), in the month starting "
     "that day, so this month is leap 5; ICU puts 大暑 before midnight, calls this month 6 "
     "and the next leap 6"},
    {Ymd(1922, 7, 24), Ymd(1922, 8, 22), "the same leap month: month 6 here, ICU's leap 6"},
    {Ymd(1954, 2, 3), Ymd(1954, 3, 4),
     "new moon at 23:55 on 02-03 starts the year that day; ICU puts it after midnight and "
     "starts the year a day later"},
    {Ymd(1955, 2, 22), Ymd(1955, 3, 23),
     "new moon at 23:54 on 02-22 starts month 2 that day; ICU starts it a day later"},
    {Ymd(1987, 7, 26), Ymd(1987, 8, 23),
     "leap month: 处暑 (150°) is at 00:10 on 08-24, in the month starting that day, so this "
     "month is leap 6; ICU puts 处暑 on 08-23, calls this month 7 and the next leap 7"},
    {Ymd(1987, 8, 24), Ymd(1987, 9, 22), "the same leap month: month 7 here, ICU's leap 7"},
    {Ymd(1999, 1, 17), Ymd(1999, 2, 15),
     "new moon at 23:46 on 01-17 starts month 12 that day; ICU starts it a day later"},
    {Ymd(2012, 8, 17), Ymd(2012, 9, 15),
     "new moon at 23:54 on 08-17 starts month 7 that day; ICU starts it a day later"},
    {Ymd(2018, 11, 7), Ymd(2018, 11, 7),
     "new moon at 00:02 on 11-08, so month 9 has 30 days; ICU puts the new moon before "
     "midnight and starts month 10 on 11-07"},
    {Ymd(2018, 11, 8), Ymd(2018, 12, 6), "the same new moon: ICU's month 10 began a day early"},
    {Ymd(2027, 2, 6), Ymd(2027, 3, 7),
     "new moon at 23:56 on 02-06 starts the year that day; ICU starts it a day later"},
    {Ymd(2030, 2, 2), Ymd(2030, 2, 2),
     "new moon at 00:07 on 02-03, so month 12 has 30 days; ICU puts the new moon before "
     "midnight and starts the year on 02-02"},
    {Ymd(2030, 2, 3), Ymd(2030, 3, 3), "the same new moon: ICU's month 1 began a day early"},
};

std::string LunarText(const LunarDate& d) {
    return std::to_string(d.year) + "-" + (d.leap ? "leap " : "") + std::to_string(d.month) + "-" +
           std::to_string(d.day);
}

class IcuChineseCalendar {
public:
    IcuChineseCalendar() {
        UErrorCode status = U_ZERO_ERROR;
        m_calendar.reset(icu::Calendar::createInstance(icu::Locale("@calendar=chinese"), status));
        if (U_FAILURE(status) || !m_calendar) {
            m_calendar.reset();
            return;
        }
        m_calendar->adoptTimeZone(new icu::SimpleTimeZone(8 * 3600 * 1000, "UTC+8"));
    }

    bool ok() const { return m_calendar != nullptr; }
    std::string type() const { return m_calendar->getType(); }

    // The lunar date ICU gives for noon of the day in UTC+8 (04:00 UTC).
    LunarDate at(sys_days day) {
        UErrorCode status = U_ZERO_ERROR;
        const double hours = static_cast<double>(day.time_since_epoch().count()) * 24.0 + 4.0;
        m_calendar->setTime(hours * 3600.0 * 1000.0, status);
        LunarDate d;
        // ICU counts years from 2637 BCE; the related Gregorian year is 2637 less.
        d.year = m_calendar->get(UCAL_EXTENDED_YEAR, status) - 2637;
        d.month = m_calendar->get(UCAL_MONTH, status) + 1;
        d.leap = m_calendar->get(UCAL_IS_LEAP_MONTH, status) != 0;
        d.day = m_calendar->get(UCAL_DATE, status);
        if (U_FAILURE(status)) {
            ADD_FAILURE() << "ICU: " << u_errorName(status);
        }
        return d;
    }

private:
    std::unique_ptr<icu::Calendar> m_calendar;
};

// A run of consecutive days inside one lunar month on which the two calendars differ.
struct Difference {
    sys_days first;
    sys_days last;
    LunarDate ours;  // on the first day
    LunarDate icu;
};

TEST(IcuCrossCheck, DiffersOnlyWhereTheReasonIsKnown) {
    IcuChineseCalendar icu;
    ASSERT_TRUE(icu.ok());
    ASSERT_EQ(icu.type(), "chinese");

    std::vector<Difference> found;
    for (sys_days d{kFirstLunarDate}; d <= sys_days{kLastLunarDate}; d += days{1}) {
        const auto ours = SolarToLunar(year_month_day{d});
        ASSERT_TRUE(ours.has_value()) << DateText(year_month_day{d});
        const LunarDate theirs = icu.at(d);
        if (*ours == theirs) {
            continue;
        }
        const bool sameRun = !found.empty() && found.back().last + days{1} == d &&
                             found.back().ours.year == ours->year &&
                             found.back().ours.month == ours->month &&
                             found.back().ours.leap == ours->leap;
        if (sameRun) {
            found.back().last = d;
        } else {
            found.push_back({d, d, *ours, theirs});
        }
    }

    for (const Difference& f : found) {
        bool known = false;
        for (const KnownDifference& k : kKnownDifferences) {
            known = known || (sys_days{k.first} == f.first && sys_days{k.last} == f.last);
        }
        EXPECT_TRUE(known) << "new difference " << DateText(year_month_day{f.first}) << " ... "
                           << DateText(year_month_day{f.last}) << ": ours " << LunarText(f.ours)
                           << ", ICU " << LunarText(f.icu);
    }
    for (const KnownDifference& k : kKnownDifferences) {
        bool seen = false;
        for (const Difference& f : found) {
            seen = seen || (sys_days{k.first} == f.first && sys_days{k.last} == f.last);
        }
        EXPECT_TRUE(seen) << "listed difference " << DateText(k.first) << " ... "
                          << DateText(k.last) << " not found (" << k.reason << ")";
    }
}

}  // namespace
}  // namespace velmora::calendar
