// The start and cancel buttons and the watchers, in the real program's window
// with its real steps, driven second by second by a fake clock.

#include <chrono>
#include <memory>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/schedule_step.h"
#include "app/services.h"
#include "app/startup_steps.h"
#include "hermetic_test_main.h"
#include "persist/profile_file.h"
#include "platform/fake/fake_autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_power.h"
#include "ui/message_box.h"

using namespace std::chrono;
using velmora::app::MainWindow;
using velmora::app::ScheduleController;
using velmora::platform::FakePower;
using velmora::platform::LocalMillis;
using velmora::platform::PowerRequest;

namespace {

struct Box {
    QString text;
    QString title;
    int style;
    bool operator==(const Box&) const = default;
};

LocalMillis Local(year_month_day date, milliseconds timeOfDay) {
    return LocalMillis{local_days{date}.time_since_epoch()} + timeOfDay;
}

// 2024-05-01 10:00:00.250, a Wednesday; the machine has run for an hour.
const LocalMillis kStart = Local(2024y / May / 1, 10h + 250ms);
const char* const kProgram = "/opt/velmora/velmora";

}  // namespace

class ScheduleStepTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void countdownFiresOnceAtItsSecond();
    void refusalsShowTheirBoxAndArmNothing_data();
    void refusalsShowTheirBoxAndArmNothing();
    void warningOpensBeforeTheAction();
    void dailyTaskSurvivesARestart();
    void cancelledDailyTaskStaysCancelledAfterARestart();
    void cancelWithNothingRepeatingSaysSo();
    void answeringCancelToTheQuestionKeepsTheTask();
    void missedTargetIsToldNotFired();
    void refusedRequestIsTold();

private:
    // The start-up of main(): the real steps and handlers on fake services.
    MainWindow& start() {
        m_state = std::make_unique<velmora::app::ProgramState>();
        velmora::app::DesktopShell shell;
        shell.systemTrayAvailable = [] { return false; };
        shell.statusNotifierTray = [] { return false; };
        shell.exitProgram = [](int) {};
        m_window.reset();
        m_window = std::make_unique<MainWindow>(*m_state, m_clock, shell,
                                                velmora::app::ProgramCreationHooks(m_services));
        velmora::app::ConnectProgramHandlers(*m_window, m_services);
        m_window->runCreationSequence();
        m_window->positionChanged();
        m_window->showCentred();
        return *m_window;
    }
    ScheduleController& schedule() const { return *m_window->findChild<ScheduleController*>(); }
    template <typename T = QWidget>
    T* find(const char* name) const {
        return m_window->control<T>(QString::fromUtf8(name));
    }
    void type(const char* box, const char* text) { find<QLineEdit>(box)->setText(text); }
    void click(const char* button) { find<QPushButton>(button)->click(); }

    // One second passes: the clock ticks, then each running watcher.
    void second() {
        m_clock.advance(1s);
        m_window->clockTick();
        if (schedule().onceRunning()) {
            schedule().onceTick();
        }
        if (schedule().repeatRunning()) {
            schedule().repeatTick();
        }
        QCoreApplication::sendPostedEvents();
    }
    void seconds(int n) {
        for (int i = 0; i < n; ++i) {
            second();
        }
    }
    std::vector<FakePower::Request> powerOffs(int count) const {
        return std::vector<FakePower::Request>(count, {PowerRequest::PowerOff, false});
    }
    QString slot(int number) const {
        return QString::fromStdString(m_file.readValue("配置" + std::to_string(number), "配置"));
    }
    QMessageBox* openNotice() const {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }
    void countdown(const char* seconds) {
        find<QRadioButton>("单选框倒计时关机")->setChecked(true);
        type("编辑框倒计秒", seconds);
    }

    const QString m_settingsPath =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/delp.ini");
    const velmora::persist::ProfileFile m_file{m_settingsPath.toStdString()};
    velmora::platform::FakeClock m_clock{kStart, 3'600'000};
    velmora::platform::FakeAutostart m_autostart;
    FakePower m_power;
    QList<Box> m_boxes;
    int m_answer = velmora::ui::kResultOk;
    velmora::app::Services m_services{m_clock,
                                      m_file,
                                      m_autostart,
                                      m_power,
                                      kProgram,
                                      [this](const QString& text, const QString& title, int style) {
                                          m_boxes.append({text, title, style});
                                          return m_answer;
                                      }};
    std::unique_ptr<velmora::app::ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void ScheduleStepTest::init() {
    QFile::remove(m_settingsPath);
    m_clock = velmora::platform::FakeClock{kStart, 3'600'000};
    m_autostart = velmora::platform::FakeAutostart{};
    m_power = FakePower{};
    m_boxes.clear();
    m_answer = velmora::ui::kResultOk;
}

void ScheduleStepTest::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(widget)) {
            delete widget;
        }
    }
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ScheduleStepTest::countdownFiresOnceAtItsSecond() {
    start();
    countdown("3");
    click("按钮执行");
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(find<QTimer>("时钟2倒计时")->isActive());
    QVERIFY(!find<QTimer>("时钟次数1")->isActive());

    seconds(2);
    QVERIFY(m_power.requests().empty());
    second();  // 10:00:03
    QCOMPARE(m_power.requests(), powerOffs(1));
    QVERIFY(!find<QTimer>("时钟2倒计时")->isActive());
    seconds(5);
    QCOMPARE(m_power.requests(), powerOffs(1));
    // The joined target text, which the settings file keeps, was refreshed.
    QCOMPARE(m_state->scheduleTarget.joinedText, std::string("2024年5月1日1003"));
}

void ScheduleStepTest::refusalsShowTheirBoxAndArmNothing_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no mode") << ""
                             << ""
                             << ""
                             << "还未设定任何关机方式！请选择后再尝试！"
                             << "提示框"
                             << "";
    QTest::newRow("countdown of nothing") << "单选框倒计时关机"
                                          << "编辑框倒计秒"
                                          << ""
                                          << "倒计时时间必须大于0"
                                          << "错误提示！"
                                          << "";
    QTest::newRow("after boot before the machine started") << "单选框开机后定时"
                                                           << "编辑框开机后时"
                                                           << "0"
                                                           << "开机后小时不得小于启动时间"
                                                           << "错误提示"
                                                           << "编辑框开机后时";
    QTest::newRow("clock time earlier today") << "单选框定时"
                                              << "编辑框时"
                                              << "9"
                                              << "时间不能小于当前时间"
                                              << "错误提示！"
                                              << "";
}

void ScheduleStepTest::refusalsShowTheirBoxAndArmNothing() {
    QFETCH(QString, radio);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedTitle);
    QFETCH(QString, focus);
    start();
    second();
    if (!radio.isEmpty()) {
        m_window->control<QRadioButton>(radio)->setChecked(true);
        m_window->control<QLineEdit>(box)->setText(text);
    }
    click("按钮执行");
    QCOMPARE(m_boxes, (QList<Box>{{expectedText, expectedTitle, velmora::ui::kStyleExclamation}}));
    QVERIFY(!find<QTimer>("时钟2倒计时")->isActive());
    QVERIFY(!find<QTimer>("时钟次数1")->isActive());
    QVERIFY(m_state->scheduleTarget.dateText.empty());
    if (!focus.isEmpty()) {
        QCOMPARE(m_window->focusWidget(), m_window->control<QWidget>(focus));
    }
}

void ScheduleStepTest::warningOpensBeforeTheAction() {
    start();
    countdown("5");
    find<QCheckBox>("选择框关机提示")->setChecked(true);
    type("编辑框关机提示秒", "2");
    click("按钮执行");
    seconds(2);
    QVERIFY(schedule().warningOpener().window() == nullptr);
    second();  // 10:00:03, two seconds before the target
    QVERIFY(schedule().warningOpener().window() != nullptr);
    QVERIFY(m_power.requests().empty());
    seconds(2);  // the action follows at its own second while the window shows
    QCOMPARE(m_power.requests(), powerOffs(1));
}

void ScheduleStepTest::dailyTaskSurvivesARestart() {
    start();
    find<QRadioButton>("单选框定时")->setChecked(true);
    type("编辑框时", "10");
    type("编辑框时分", "1");
    type("编辑框时秒", "0");
    find<QComboBox>("组合框2")->setCurrentIndex(1);
    click("按钮执行");
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.value(0).text));
    QVERIFY(m_autostart.exists(kProgram));
    QCOMPARE(m_autostart.entries().size(), std::size_t{1});
    QCOMPARE(slot(20), QStringLiteral("1"));
    QCOMPARE(slot(21), QStringLiteral("0"));
    QVERIFY(find<QTimer>("时钟次数1")->isActive());

    // The program ends before the time and starts again at logon.
    start();
    QVERIFY(m_state->settingsFoundAtStart);
    QCOMPARE(find<QComboBox>("组合框2")->currentIndex(), 1);
    QVERIFY(find<QTimer>("时钟次数1")->isActive());
    seconds(59);
    QVERIFY(m_power.requests().empty());
    second();  // 10:01:00
    QCOMPARE(m_power.requests(), powerOffs(1));
    QVERIFY(find<QTimer>("时钟次数1")->isActive());  // tomorrow again

    m_clock.setLocal(Local(2024y / May / 2, 10h + 59s + 250ms));
    second();
    QCOMPARE(m_power.requests(), powerOffs(2));
}

void ScheduleStepTest::cancelledDailyTaskStaysCancelledAfterARestart() {
    start();
    find<QRadioButton>("单选框定时")->setChecked(true);
    type("编辑框时", "22");
    find<QComboBox>("组合框2")->setCurrentIndex(1);
    click("按钮执行");
    QVERIFY(find<QTimer>("时钟次数1")->isActive());

    click("按钮取消");
    QCOMPARE(m_boxes, (QList<Box>{{QStringLiteral("是否取消每日定时任务？"),
                                   QStringLiteral("信息提示!"), velmora::ui::kStyleOkCancel}}));
    QVERIFY(!find<QTimer>("时钟次数1")->isActive());
    QVERIFY(m_autostart.entries().empty());
    QCOMPARE(slot(20), QStringLiteral("0"));
    QCOMPARE(slot(21), QStringLiteral("0"));

    start();
    QVERIFY(!find<QTimer>("时钟次数1")->isActive());
    m_clock.setLocal(Local(2024y / May / 1, 21h + 59min + 58s));
    seconds(5);
    QVERIFY(m_power.requests().empty());
}

void ScheduleStepTest::cancelWithNothingRepeatingSaysSo() {
    start();
    countdown("30");
    click("按钮执行");
    click("按钮取消");
    QCOMPARE(m_boxes, (QList<Box>{{QStringLiteral("电脑所执行操作已被取消!"),
                                   QStringLiteral("信息提示!"), velmora::ui::kStyleInformation}}));
    QVERIFY(!find<QTimer>("时钟2倒计时")->isActive());
    seconds(40);
    QVERIFY(m_power.requests().empty());
}

void ScheduleStepTest::answeringCancelToTheQuestionKeepsTheTask() {
    start();
    find<QRadioButton>("单选框定时")->setChecked(true);
    type("编辑框时", "22");
    find<QComboBox>("组合框2")->setCurrentIndex(2);
    click("按钮执行");
    m_answer = velmora::ui::kResultCancel;
    click("按钮取消");
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(find<QTimer>("时钟次数1")->isActive());
    QCOMPARE(m_autostart.entries().size(), std::size_t{1});
    QCOMPARE(slot(21), QStringLiteral("2"));
}

void ScheduleStepTest::missedTargetIsToldNotFired() {
    start();
    countdown("10");
    click("按钮执行");
    seconds(2);
    m_clock.setLocal(m_clock.localNow() + 2h);  // the machine slept through it
    second();
    QVERIFY(m_power.requests().empty());
    QVERIFY(!find<QTimer>("时钟2倒计时")->isActive());
    // No tray here, so the notice comes as a box that does not wait.
    QMessageBox* notice = openNotice();
    QVERIFY(notice != nullptr);
    QCOMPARE(notice->text(), ScheduleController::missedText());
    QCOMPARE(notice->windowTitle(), QStringLiteral("信息提示!"));
}

void ScheduleStepTest::refusedRequestIsTold() {
    start();
    m_power.setRefusing(true);
    countdown("1");
    click("按钮执行");
    second();
    QCOMPARE(m_power.requests(), powerOffs(1));
    QMessageBox* notice = openNotice();
    QVERIFY(notice != nullptr);
    QCOMPARE(notice->text(), ScheduleController::refusedText());
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(ScheduleStepTest)
#include "schedule_step_test.moc"
