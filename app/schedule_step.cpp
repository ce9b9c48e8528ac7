#include "app/schedule_step.h"

#include <QComboBox>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/control_values.h"
#include "app/main_window.h"
#include "app/power_step.h"
#include "app/settings_step.h"
#include "app/skin_step.h"
#include "platform/autostart.h"
#include "schedule/arming.h"
#include "schedule/clock_tick.h"
#include "schedule/texts.h"
#include "ui/message_box.h"

namespace velmora::app {

namespace {

constexpr double kTolerance = 0.0000001;
constexpr std::chrono::milliseconds kTickSlack{5};

std::string_view Slot(const ProgramState& state, std::size_t number) {
    return number <= state.settingsSlots.size() ? std::string_view{state.settingsSlots[number - 1]}
                                                : std::string_view{};
}

}  // namespace

QString ScheduleController::missedText() {
    return QStringLiteral("已错过预定时间，本次任务未执行");
}

QString ScheduleController::refusedText() {
    return QStringLiteral("系统拒绝了本次执行请求，电脑未执行预定操作");
}

QString ScheduleController::noticeTitle() {
    return QStringLiteral("信息提示!");
}

ScheduleController::ScheduleController(MainWindow& window, Services& services)
    : QObject(&window),
      m_window(window),
      m_services(services),
      m_onceTimer(window.control<QTimer>(QStringLiteral("时钟2倒计时"))),
      m_repeatTimer(window.control<QTimer>(QStringLiteral("时钟次数1"))),
      m_warning(QIcon(MainWindow::programIcon()), WarningWindowSkinStep(window)) {
    for (QTimer* timer : {m_onceTimer, m_repeatTimer}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(m_onceTimer, &QTimer::timeout, this, &ScheduleController::onceTick);
    connect(m_repeatTimer, &QTimer::timeout, this, &ScheduleController::repeatTick);
}

ScheduleController::~ScheduleController() = default;

int ScheduleController::repetitionIndex() const {
    return ComboIndex(m_window, "组合框2");
}

void ScheduleController::startClicked() {
    ProgramState& state = m_window.state();
    if (repetitionIndex() != 0) {
        platform::SetAutostart(m_services.autostart, m_services.programPath, true);
        SaveSettings(m_window, m_services);
        LoadSettings(state, m_services);
    }

    // The boxes as a save would read them: the same values, the same rules.
    const persist::SettingsForm form = ReadSettingsForm(m_window);
    schedule::ArmingInput input;
    if (IsTicked(m_window, "单选框定时")) {
        input.mode = schedule::TimingMode::ClockTime;
    } else if (IsTicked(m_window, "单选框开机后定时")) {
        input.mode = schedule::TimingMode::AfterBoot;
    } else if (IsTicked(m_window, "单选框倒计时关机")) {
        input.mode = schedule::TimingMode::Countdown;
    }
    input.dateBoxValue = form.date;
    input.hourText = form.hour;
    input.minuteText = form.minute;
    input.secondText = form.second;
    input.bootHoursText = form.bootHours;
    input.bootMinutesText = form.bootMinutes;
    input.countdownHoursText = form.countdownHours;
    input.countdownMinutesText = form.countdownMinutes;
    input.countdownSecondsText = form.countdownSeconds;
    input.repetitionIndex = form.repetition;
    input.lastClockReading = state.lastClockReading;
    input.uptimeMs = schedule::UptimeMs(m_services.clock);

    const schedule::ArmingResult result = schedule::Arm(input);
    if (result.refusal) {
        m_services.messageBox(QString::fromStdString(result.refusal->text),
                              QString::fromStdString(result.refusal->title), result.refusal->style);
        if (result.refusal->focusBootHours) {
            if (auto* box = m_window.control<QWidget>(QStringLiteral("编辑框开机后时"))) {
                box->setFocus();
            }
        }
        return;
    }
    // The joined text stays as it was until the once-watcher's next tick.
    state.scheduleTarget.dateText = result.target.dateText;
    state.scheduleTarget.hourText = result.target.hourText;
    state.scheduleTarget.minuteText = result.target.minuteText;
    state.scheduleTarget.secondText = result.target.secondText;
    if (input.repetitionIndex == 0) {
        startOnce();
    } else {
        startRepeat();
    }
}

void ScheduleController::cancelClicked() {
    ProgramState& state = m_window.state();
    const bool repeating = schedule::CompareTexts(Slot(state, 20), "1") == 0 ||
                           schedule::CompareTexts(Slot(state, 21), "2") == 0;
    if (!repeating) {
        stopOnce();
        m_services.messageBox(QStringLiteral("电脑所执行操作已被取消!"), noticeTitle(),
                              ui::kStyleInformation);
        return;
    }
    if (m_services.messageBox(QStringLiteral("是否取消每日定时任务？"), noticeTitle(),
                              ui::kStyleOkCancel) != ui::kResultOk) {
        return;
    }
    stopRepeat();
    stopOnce();
    platform::SetAutostart(m_services.autostart, m_services.programPath, false);
    // The markers go too, in memory and in the file: left set, the next start
    // would re-arm the task the user has just cancelled.
    if (state.settingsSlots.size() < 21) {
        state.settingsSlots.resize(21);
    }
    state.settingsSlots[19] = "0";
    state.settingsSlots[20] = "0";
    m_services.settingsFile.writeValue("配置20", "配置", "0");
    m_services.settingsFile.writeValue("配置21", "配置", "0");
}

void ScheduleController::rearmAtStartUp() {
    const ProgramState& state = m_window.state();
    const bool daily =
        schedule::AbsoluteValue(schedule::TextToNumber(Slot(state, 20)) - 1) <= kTolerance;
    const bool weekly =
        schedule::AbsoluteValue(schedule::TextToNumber(Slot(state, 21)) - 2) <= kTolerance;
    if (daily || weekly) {
        startRepeat();
    } else {
        stopRepeat();
    }
}

void ScheduleController::startOnce() {
    m_once.start(m_onceRunning);
    m_onceRunning = true;
    if (!m_onceTimer->isActive()) {
        armNextTick(m_onceTimer);
    }
}

void ScheduleController::stopOnce() {
    m_onceRunning = false;
    m_onceTimer->stop();
}

void ScheduleController::startRepeat() {
    m_repeat.start(m_repeatRunning);
    m_repeatRunning = true;
    if (!m_repeatTimer->isActive()) {
        armNextTick(m_repeatTimer);
    }
}

void ScheduleController::stopRepeat() {
    m_repeatRunning = false;
    m_repeatTimer->stop();
}

void ScheduleController::armNextTick(QTimer* timer) {
    timer->start(schedule::DelayToNextSecond(m_services.clock.localNow(), kTickSlack));
}

schedule::WatchInput ScheduleController::watchInput(const std::string& leadText) const {
    schedule::WatchInput input;
    input.now = schedule::CurrentDateTime(m_services.clock.localNow());
    input.warn = IsTicked(m_window, "选择框关机提示");
    input.leadText = leadText;
    return input;
}

void ScheduleController::onceTick() {
    if (!m_onceRunning) {
        return;
    }
    armNextTick(m_onceTimer);
    const std::string lead = BoxText(m_window, "编辑框关机提示秒");
    const schedule::WatchResult result =
        m_once.tick(m_window.state().scheduleTarget, repetitionIndex(), watchInput(lead));
    if (result.action == schedule::WatchAction::Fire ||
        result.action == schedule::WatchAction::Missed) {
        stopOnce();  // a task that runs once ends either way
    }
    carryOut(result.action);
}

void ScheduleController::repeatTick() {
    if (!m_repeatRunning) {
        return;
    }
    armNextTick(m_repeatTimer);
    const std::string lead = BoxText(m_window, "编辑框关机提示秒");
    const schedule::WatchResult result =
        m_repeat.tick(m_window.state().settingsSlots, repetitionIndex(), watchInput(lead));
    if (result.action == schedule::WatchAction::Fire) {
        // A task that runs once and happens to be armed too goes with it; the
        // repeat watcher keeps running for the next occurrence.
        stopOnce();
    } else if (result.action == schedule::WatchAction::Stop) {
        stopRepeat();
    }
    carryOut(result.action);
}

void ScheduleController::carryOut(schedule::WatchAction action) {
    switch (action) {
        case schedule::WatchAction::Fire:
            fire();
            break;
        case schedule::WatchAction::Missed:
            notify(missedText());
            break;
        case schedule::WatchAction::OpenWarning:
            openWarning();
            break;
        case schedule::WatchAction::Stop:
        case schedule::WatchAction::Nothing:
            break;
    }
}

void ScheduleController::fire() {
    // Nobody is at the keyboard to authenticate a timed request.
    if (RunPowerAction(m_window, m_services, false) == schedule::PowerActionOutcome::Refused) {
        notify(refusedText());
    }
}

void ScheduleController::openWarning() {
    const auto* action = m_window.control<QComboBox>(QStringLiteral("组合框1"));
    m_warning.open(action ? action->currentText() : QString{},
                   QString::fromStdString(BoxText(m_window, "编辑框关机提示秒")));
}

void ScheduleController::notify(const QString& text) {
    QSystemTrayIcon* tray = m_window.trayIcon();
    if (tray && tray->isVisible() && QSystemTrayIcon::isSystemTrayAvailable()) {
        tray->showMessage(noticeTitle(), text, QSystemTrayIcon::Information);
        return;
    }
    // No tray to show it: a box that does not wait, so the ticks go on.
    auto box = ui::MakeMessageBox(text, noticeTitle(), ui::kStyleInformation);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box.release()->open();
}

ScheduleController& AttachScheduleController(MainWindow& window, Services& services) {
    auto* controller = new ScheduleController(window, services);
    QObject::connect(window.control<QPushButton>(QStringLiteral("按钮执行")), &QPushButton::clicked,
                     controller, &ScheduleController::startClicked);
    QObject::connect(window.control<QPushButton>(QStringLiteral("按钮取消")), &QPushButton::clicked,
                     controller, &ScheduleController::cancelClicked);
    return *controller;
}

}  // namespace velmora::app
