// The lunar date and weekday labels as the real program's creation sequence
// writes them, driven by a fake clock.

#include <chrono>
#include <memory>

#include <QLabel>
#include <QTest>

#include "app/calendar_step.h"
#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "hermetic_test_main.h"
#include "platform/fake/fake_clock.h"

using namespace std::chrono;
using velmora::app::MainWindow;
using velmora::platform::FakeClock;
using velmora::platform::LocalMillis;

namespace {

LocalMillis Local(year_month_day date, milliseconds timeOfDay) {
    return LocalMillis{local_days{date}.time_since_epoch()} + timeOfDay;
}

velmora::app::DesktopShell NoDesktop() {
    velmora::app::DesktopShell shell;
    shell.systemTrayAvailable = [] { return false; };
    shell.statusNotifierTray = [] { return false; };
    shell.exitProgram = [](int) {};
    return shell;
}

}  // namespace

Q_DECLARE_METATYPE(LocalMillis)

class CalendarStepTest : public QObject {
    Q_OBJECT

private slots:
    void labelsOfTheStartDay_data();
    void labelsOfTheStartDay();
    void labelsKeepTheStartDayPastMidnight();

private:
    MainWindow& start(LocalMillis now) {
        m_clock = std::make_unique<FakeClock>(now, 3'600'000);
        velmora::app::CreationHooks hooks;
        hooks.calendarLabels = velmora::app::ShowCalendarLabels;
        m_window = std::make_unique<MainWindow>(m_state, *m_clock, NoDesktop(), hooks);
        m_window->runCreationSequence();
        return *m_window;
    }
    QString label(const char* name) const {
        return m_window->control<QLabel>(QString::fromUtf8(name))->text();
    }

    velmora::app::ProgramState m_state;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<MainWindow> m_window;
};

void CalendarStepTest::labelsOfTheStartDay_data() {
    QTest::addColumn<LocalMillis>("now");
    QTest::addColumn<QString>("lunar");
    QTest::addColumn<QString>("weekday");
    QTest::newRow("leap month") << Local(2020y / May / 23, 9h) << "庚子年闰四月初一日"
                                << "星期六";
    QTest::newRow("cycle year turns at the Beginning of Spring, not at new year")
        << Local(2025y / January / 29, 0h) << "甲辰年正月初一日"
        << "星期三";
    QTest::newRow("last second of a day")
        << Local(2018y / February / 15, 23h + 59min + 59s) << "戊戌年腊月三十日"
        << "星期四";
    QTest::newRow("clock set before the tables")
        << Local(1899y / December / 31, 12h) << "超出农历范围(1901-2048)"
        << "星期日";
    QTest::newRow("clock set after the tables")
        << Local(2049y / January / 1, 12h) << "超出农历范围(1901-2048)"
        << "星期五";
}

void CalendarStepTest::labelsOfTheStartDay() {
    QFETCH(LocalMillis, now);
    QFETCH(QString, lunar);
    QFETCH(QString, weekday);
    start(now);
    QCOMPARE(label("透明标签显示农历"), lunar);
    QCOMPARE(label("透明标签星期1"), weekday);
}

void CalendarStepTest::labelsKeepTheStartDayPastMidnight() {
    MainWindow& window = start(Local(2024y / February / 3, 23h + 59min + 58s));
    QCOMPARE(label("透明标签显示农历"), QStringLiteral("癸卯年腊月廿四日"));
    m_clock->advance(3s);
    window.clockTick();
    QCOMPARE(label("透明标签显示时间"), QStringLiteral("2024年2月4日0时0分1秒"));
    QCOMPARE(label("透明标签显示农历"), QStringLiteral("癸卯年腊月廿四日"));
    QCOMPARE(label("透明标签星期1"), QStringLiteral("星期六"));
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(CalendarStepTest)
#include "calendar_step_test.moc"
