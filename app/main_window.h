#pragma once

#include <chrono>
#include <functional>

#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

#include "app/desktop_shell.h"
#include "app/program_state.h"
#include "platform/clock.h"

class QLabel;
class QTimer;

namespace velmora::ui {
class AnimationBox;
class AnimationObject;
class SpinEdit;
}  // namespace velmora::ui

namespace velmora::app {

class MainWindow;

// The steps of the creation sequence that other parts of the program own. The
// window runs them in this order, between starting the animation and starting
// the clock; an empty step is skipped.
struct CreationHooks {
    std::function<void(MainWindow&)> startSkinning;
    // Restores the saved settings into the controls, or sets the defaults, and
    // applies the start-up skin. Sets ProgramState::settingsFoundAtStart.
    std::function<void(MainWindow&)> settingsStartUp;
    // Runs only when ProgramState::settingsFoundAtStart is true afterwards.
    std::function<void(MainWindow&)> rearmRepeatingTask;
    // Fills the lunar date and weekday labels.
    std::function<void(MainWindow&)> calendarLabels;
};

// The program's one main window: its controls, found by their names with
// control<T>(name); the input rules of the clock-time boxes; the one-second
// clock; hiding to the tray icon and coming back; the end of the program. The
// other parts of the program hook into the creation sequence and connect to the
// controls' signals.
//
// Start-up, in this order: construct, runCreationSequence(), positionChanged()
// (installs the tray icon), showCentred().
class MainWindow : public QWidget {
    Q_OBJECT

public:
    // The layout was drawn for a Windows window of 564 x 453 outside its frame;
    // on Linux the window manager draws the frame, so the client area is fixed
    // instead, at the size that holds every control with 8 px margins.
    static constexpr int kDesignedOuterWidth = 564;
    static constexpr int kDesignedOuterHeight = 453;
    static constexpr int kClientWidth = 560;
    static constexpr int kClientHeight = 424;

    // Where the animation's copy sits inside its box.
    static constexpr int kAnimationCopyLeft = 5;
    static constexpr int kAnimationCopyTop = 5;

    // The clock ticks this long after each wall-clock second begins, so the
    // labels change within a few milliseconds of the second and a tick that is
    // a little early still reads the new second.
    static constexpr std::chrono::milliseconds kTickSlack{5};

    static QString caption();      // "Velmora 原创By: Quorin"
    static QString trayTip();      // "Tarnvel"
    static QString programIcon();  // resource path of the window and tray icon

    // Throws std::runtime_error when a control cannot be made.
    MainWindow(ProgramState& state, const platform::Clock& clock, DesktopShell shell,
               CreationHooks hooks = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Caption, animation, the hooks in order, then the clock, whose first tick
    // runs at once.
    void runCreationSequence();

    // The window was moved, minimised or restored (and once at start-up): when
    // it is minimised and a tray is there to bring it back, hides it (on the
    // next turn of the event loop); puts the tray icon in place, adding it the
    // first time and refreshing the one icon afterwards.
    void positionChanged();

    // Centred on its screen, (screen size - window size) / 2, then shown.
    void showCentred();
    void centreOnScreen();

    // One tick of the one-second clock: the time and uptime labels and
    // ProgramState::lastClockReading, then the clock timer is armed for the
    // start of the next wall-clock second.
    void clockTick();

    // The control of that name, or nullptr.
    template <typename T = QWidget>
    T* control(const QString& name) const {
        return findChild<T*>(name);
    }

    ProgramState& state() { return m_state; }
    const platform::Clock& clock() const { return m_clock; }
    QSystemTrayIcon* trayIcon() const { return m_tray; }

protected:
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename T>
    T* requireControl(const char* name) const;

    void connectInputRules();
    void clearClockTime();
    void startClock();
    void startAnimation();
    void updateAnimationPlayState();

    void hideIfMinimised();
    void putTrayIconInPlace(bool recheckTrayKind);
    void makeTrayIcon();
    void removeTrayIcon();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void showFromTray();

    bool otherWindowOpen() const;
    void endWhenNoWindowLeft();

    ProgramState& m_state;
    const platform::Clock& m_clock;
    DesktopShell m_shell;
    CreationHooks m_hooks;

    ui::SpinEdit* m_hourBox;
    ui::SpinEdit* m_minuteBox;
    ui::SpinEdit* m_secondBox;
    ui::AnimationBox* m_animationBox;
    ui::AnimationObject* m_animationObject;
    QTimer* m_clockTimer;
    QLabel* m_timeLabel;
    QLabel* m_uptimeLabel;

    QSystemTrayIcon* m_tray = nullptr;
    bool m_trayIsStatusNotifier = false;
    bool m_animationStarted = false;
    bool m_hidePending = false;
    bool m_centreWhenFramed = false;
    bool m_closed = false;
    bool m_waitingForLastWindow = false;
};

}  // namespace velmora::app
