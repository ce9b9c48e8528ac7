#pragma once

#include <string>

#include <QObject>
#include <QString>

#include "app/services.h"
#include "schedule/watch.h"
#include "ui/warning_window.h"

class QTimer;

namespace velmora::app {

class MainWindow;

// The start and cancel buttons, the two watchers and the re-arm of a saved
// repeating task. The decisions are schedule::Arm, OnceWatch and RepeatWatch;
// this class reads the controls, runs the watchers' timers and carries out
// what they decide.
//
// Each watcher's timer (时钟2倒计时 for a task that runs once, 时钟次数1 for a
// daily or weekly one) is re-armed for just after every wall-clock second, so
// a target fires within milliseconds of its second. Nothing here waits inside
// a tick: the warning window, the power request and the notices all return at
// once, so the ticks that fire the action keep coming.
class ScheduleController : public QObject {
    Q_OBJECT

public:
    ScheduleController(MainWindow& window, Services& services);
    ~ScheduleController() override;

    // 按钮执行: for a repeating task the logon entry, a save and a reload
    // first; then arming, and on success the matching watcher runs.
    void startClicked();
    // 按钮取消.
    void cancelClicked();
    // The creation-sequence step run when settings were found: the repeat
    // watcher runs when slot 20 or 21 records a daily or weekly task.
    void rearmAtStartUp();

    // One tick of each watcher, as its timer runs it.
    void onceTick();
    void repeatTick();

    bool onceRunning() const { return m_onceRunning; }
    bool repeatRunning() const { return m_repeatRunning; }
    const ui::WarningWindowOpener& warningOpener() const { return m_warning; }

    // Shown in the tray when a target passed while the machine slept or the
    // clock jumped far ahead, and when the system refused the power request.
    static QString missedText();  // "已错过预定时间，本次任务未执行"
    static QString refusedText();
    static QString noticeTitle();  // "信息提示!"

private:
    void startOnce();
    void stopOnce();
    void startRepeat();
    void stopRepeat();
    void armNextTick(QTimer* timer);
    schedule::WatchInput watchInput(const std::string& leadText) const;
    void carryOut(schedule::WatchAction action);
    int repetitionIndex() const;
    void fire();
    void openWarning();
    void notify(const QString& text);

    MainWindow& m_window;
    Services& m_services;
    QTimer* m_onceTimer;
    QTimer* m_repeatTimer;
    schedule::OnceWatch m_once;
    schedule::RepeatWatch m_repeat;
    bool m_onceRunning = false;
    bool m_repeatRunning = false;
    ui::WarningWindowOpener m_warning;
};

// Connects 按钮执行 and 按钮取消 to a controller owned by the window.
ScheduleController& AttachScheduleController(MainWindow& window, Services& services);

}  // namespace velmora::app
