// The power actions as the main window runs them: the action combo box, the
// warning when it names no action, and the execute-now button, against a fake
// power backend.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/power_step.h"
#include "app/program_state.h"
#include "app/services.h"
#include "app/startup_steps.h"
#include "hermetic_test_main.h"
#include "persist/profile_file.h"
#include "platform/fake/fake_autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_power.h"
#include "platform/power.h"
#include "schedule/power_action.h"

using namespace std::chrono;
using velmora::app::MainWindow;
using velmora::platform::FakePower;
using velmora::platform::PowerRequest;
using velmora::schedule::PowerActionOutcome;

namespace {

struct Box {
    QString text;
    QString title;
    int style;
    bool operator==(const Box&) const = default;
};

const Box kNoActionWarning{QStringLiteral("请选择电脑执行方式！"), QStringLiteral("警告框！"), 48};

const char* const kTimers[] = {"时钟1实施显示时间", "时钟2倒计时", "时钟次数1"};

}  // namespace

Q_DECLARE_METATYPE(PowerRequest)

class PowerStepTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void selectedItemDecides_data();
    void selectedItemDecides();
    void noActionWarnsThenFocusesTheBox_data();
    void noActionWarnsThenFocusesTheBox();
    void warningWaitsForTheEventLoop();
    void executeNowActsAtOnceAndLeavesTheScheduleArmed_data();
    void executeNowActsAtOnceAndLeavesTheScheduleArmed();
    void refusedRequestChangesNothing();

private:
    MainWindow& start() {
        velmora::app::DesktopShell shell;
        shell.systemTrayAvailable = [] { return false; };
        shell.statusNotifierTray = [] { return false; };
        shell.exitProgram = [this](int code) { m_exitCodes.push_back(code); };
        m_window = std::make_unique<MainWindow>(*m_state, m_clock, shell);
        m_window->runCreationSequence();
        velmora::app::ConnectProgramHandlers(*m_window, m_services);
        m_window->showCentred();
        return *m_window;
    }
    QComboBox* actionBox() const { return m_window->control<QComboBox>(QStringLiteral("组合框1")); }
    QTimer* timer(const char* name) const {
        return m_window->control<QTimer>(QString::fromUtf8(name));
    }
    // Runs what was queued for the next turn of the event loop.
    static void settle() { QCoreApplication::sendPostedEvents(); }

    // Two watchers armed, the way a started schedule leaves them.
    void armSchedule() {
        timer("时钟2倒计时")->start(1000);
        timer("时钟次数1")->start(1000);
    }
    std::vector<bool> timersRunning() const {
        std::vector<bool> running;
        for (const char* name : kTimers) {
            running.push_back(timer(name)->isActive());
        }
        return running;
    }

    const QString m_settingsPath =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/delp.ini");
    const velmora::persist::ProfileFile m_file{m_settingsPath.toStdString()};
    velmora::platform::FakeClock m_clock{
        velmora::platform::LocalMillis{local_days{2024y / May / 1}.time_since_epoch()} + 9h,
        3'600'000};
    velmora::platform::FakeAutostart m_autostart;
    FakePower m_power;
    QList<Box> m_boxes;
    std::vector<int> m_exitCodes;
    velmora::app::Services m_services{m_clock,
                                      m_file,
                                      m_autostart,
                                      m_power,
                                      "/opt/velmora/velmora",
                                      [this](const QString& text, const QString& title, int style) {
                                          m_boxes.append({text, title, style});
                                          return 0;
                                      }};
    std::unique_ptr<velmora::app::ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
};

void PowerStepTest::init() {
    QFile::remove(m_settingsPath);
    m_power = FakePower{};
    m_boxes.clear();
    m_exitCodes.clear();
    m_state = std::make_unique<velmora::app::ProgramState>();
}

void PowerStepTest::cleanup() {
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void PowerStepTest::selectedItemDecides_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<PowerRequest>("request");
    QTest::newRow("关机") << 0 << PowerRequest::PowerOff;
    QTest::newRow("重启") << 1 << PowerRequest::Reboot;
    QTest::newRow("注销") << 2 << PowerRequest::LogOff;
    QTest::newRow("强制关机") << 3 << PowerRequest::ForcedPowerOff;
    QTest::newRow("关闭显示器") << 4 << PowerRequest::DisplayOff;
}

void PowerStepTest::selectedItemDecides() {
    QFETCH(int, index);
    QFETCH(PowerRequest, request);

    start();
    actionBox()->setCurrentIndex(index);
    for (const bool interactive : {false, true}) {
        QCOMPARE(velmora::app::RunPowerAction(*m_window, m_services, interactive),
                 PowerActionOutcome::Accepted);
    }
    settle();
    QCOMPARE(m_power.requests(),
             (std::vector<FakePower::Request>{{request, false}, {request, true}}));
    QVERIFY(m_boxes.isEmpty());
}

void PowerStepTest::noActionWarnsThenFocusesTheBox_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("itemText");  // replaces the selected item's text unless null
    QTest::addColumn<QString>("typedText");
    QTest::newRow("nothing selected") << -1 << QString() << QString();
    QTest::newRow("an item's text changed") << 0 << QStringLiteral("关机了") << QString();
    QTest::newRow("an item's text emptied") << 2 << QStringLiteral("") << QString();
    // The edit field is not an item: typing an action's name selects nothing.
    QTest::newRow("typed, not selected") << -1 << QString() << QStringLiteral("关机");
}

void PowerStepTest::noActionWarnsThenFocusesTheBox() {
    QFETCH(int, index);
    QFETCH(QString, itemText);
    QFETCH(QString, typedText);

    start();
    armSchedule();
    QComboBox* box = actionBox();
    box->setCurrentIndex(index);
    if (!itemText.isNull()) {
        box->setItemText(index, itemText);
    }
    if (!typedText.isEmpty()) {
        box->setEditText(typedText);
    }
    m_window->control<QWidget>(QStringLiteral("按钮执行"))->setFocus();
    const std::vector<bool> running = timersRunning();

    QCOMPARE(velmora::app::RunPowerAction(*m_window, m_services, false),
             PowerActionOutcome::NoSuchAction);
    settle();
    QCOMPARE(m_boxes, QList<Box>{kNoActionWarning});
    QVERIFY(m_power.requests().empty());
    QVERIFY(box->isAncestorOf(m_window->focusWidget()) || m_window->focusWidget() == box);
    QCOMPARE(timersRunning(), running);
    QCOMPARE(box->currentIndex(), index);
}

// A watcher calls RunPowerAction from its tick: the warning must not hold the
// tick inside a message box's event loop.
void PowerStepTest::warningWaitsForTheEventLoop() {
    start();
    actionBox()->setCurrentIndex(-1);
    QCOMPARE(velmora::app::RunPowerAction(*m_window, m_services, false),
             PowerActionOutcome::NoSuchAction);
    QVERIFY(m_boxes.isEmpty());
    settle();
    QCOMPARE(m_boxes.size(), 1);
}

void PowerStepTest::executeNowActsAtOnceAndLeavesTheScheduleArmed_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<PowerRequest>("request");
    QTest::newRow("关机") << 0 << PowerRequest::PowerOff;
    QTest::newRow("关闭显示器") << 4 << PowerRequest::DisplayOff;
}

void PowerStepTest::executeNowActsAtOnceAndLeavesTheScheduleArmed() {
    QFETCH(int, index);
    QFETCH(PowerRequest, request);

    start();
    actionBox()->setCurrentIndex(index);
    armSchedule();
    m_state->scheduleTarget.joinedText = "2024050110150";
    m_state->settingsSlots[5] = "2024050110150";
    const velmora::app::ProgramState before = *m_state;

    QTest::mouseClick(m_window->control<QPushButton>(QStringLiteral("按钮保存立即执行")),
                      Qt::LeftButton);
    settle();

    QCOMPARE(m_power.requests(), (std::vector<FakePower::Request>{{request, true}}));
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(timersRunning(), (std::vector<bool>{true, true, true}));
    QCOMPARE(m_state->scheduleTarget.joinedText, before.scheduleTarget.joinedText);
    QCOMPARE(m_state->settingsSlots, before.settingsSlots);
    QVERIFY(!QFileInfo::exists(m_settingsPath));  // nothing saved
    // The display off (or a power-off still under way) leaves the program running.
    QVERIFY(m_window->isVisible());
    QVERIFY(m_exitCodes.empty());
}

void PowerStepTest::refusedRequestChangesNothing() {
    start();
    actionBox()->setCurrentIndex(1);
    armSchedule();
    m_power.setRefusing(true);

    QTest::mouseClick(m_window->control<QPushButton>(QStringLiteral("按钮保存立即执行")),
                      Qt::LeftButton);
    settle();

    QCOMPARE(m_power.requests(),
             (std::vector<FakePower::Request>{{PowerRequest::Reboot, true}}));  // not retried
    QVERIFY(m_boxes.isEmpty());                                                 // silently
    QCOMPARE(timersRunning(), (std::vector<bool>{true, true, true}));
    QCOMPARE(actionBox()->currentIndex(), 1);
    QVERIFY(m_window->isVisible());
    QVERIFY(m_exitCodes.empty());
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(PowerStepTest)
#include "power_step_test.moc"
