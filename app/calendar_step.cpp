#include "app/calendar_step.h"

#include <QLabel>
#include <QString>

#include "app/main_window.h"
#include "calendar/calendar_labels.h"
#include "schedule/date_time.h"

namespace velmora::app {

void ShowCalendarLabels(MainWindow& window) {
    using namespace velmora::schedule;
    const DateTime now = CurrentDateTime(window.clock().localNow());
    const std::chrono::year_month_day date{std::chrono::year{YearOf(now)},
                                           std::chrono::month{static_cast<unsigned>(MonthOf(now))},
                                           std::chrono::day{static_cast<unsigned>(DayOf(now))}};
    const calendar::CalendarLabels labels = calendar::LabelsFor(date);
    if (auto* lunar = window.control<QLabel>(QStringLiteral("透明标签显示农历"))) {
        lunar->setText(QString::fromStdString(labels.lunarText));
    }
    if (auto* weekday = window.control<QLabel>(QStringLiteral("透明标签星期1"))) {
        weekday->setText(QString::fromStdString(labels.weekdayText));
    }
}

}  // namespace velmora::app
