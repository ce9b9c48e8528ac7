#pragma once

#include <functional>

#include <QFont>
#include <QIcon>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "schedule/warning_countdown.h"

class QTimer;

namespace velmora::ui {

class PushButton;
class TransparentLabel;

// The small window that slides up at the bottom right of the screen before the
// power action and counts the last seconds down: 239 x 85, frameless, green,
// clipped to a rounded rectangle, out of the taskbar and, like any other
// window, not kept above the rest. Its life is a schedule::WarningCountdown;
// this class only shows it.
//
// The window runs on a timer of its own: each step is applied, then the timer
// is set for the step's wait and the program sleeps until then. Nothing waits
// inside a handler, so the one who opened the window, the clock and the
// watchers go on as usual, and the power action fires at its own second while
// the window counts. advance() is what the timer calls; a test calls it to move
// the window's time on without waiting.
//
// The window deletes itself when the count ends, and also when the system
// closes it (Alt+F4): then the count just stops, nothing else happens, since
// the action does not depend on the window.
//
// Where the desktop does not let a window place or fade itself (Wayland), it
// shows where the compositor puts it, opaque, and still counts down and goes.
class WarningWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 239;
    static constexpr int kHeight = 85;

    // The controls, by object name: the close button "X", the first line, the
    // seconds label and the unit label after it.
    static constexpr const char* kCloseButton = "超级按钮下漂浮";
    static constexpr const char* kFirstLine = "透明标签";
    static constexpr const char* kSecondsLabel = "透明标签剩余时间";
    static constexpr const char* kUnitLabel = "透明标签1";

    // "距离 " + the action + " 还有": 关机 gives "距离 关机 还有".
    static QString firstLineText(const QString& actionText);

    // The outline: the window's rectangle with its corners rounded by an ellipse
    // of d x d pixels, d = min(width / 5, height / 5) in whole pixels (17 at
    // 239 x 85).
    static QRegion roundedOutline(QSize size);

    // Font families in order of preference, each list ending in faces found on
    // Linux desktops; Qt takes the first installed one that has the glyph.
    static QStringList closeButtonFamilies();  // a heavy sans for "X"
    static QStringList secondsFamilies();      // a Song (Ming) serif face
    static QFont closeButtonFont();            // bold, 12 px
    static QFont secondsFont();                // bold, 21 px
    static QFont captionFont();                // the window font at 14 px

    // Not shown yet: start() shows it. actionText is the selected action's name
    // (关机), leadText the warning-lead box's text as typed (30).
    WarningWindow(const QString& actionText, const QString& leadText, const QIcon& icon);
    ~WarningWindow() override;

    // Puts the window just below the bottom right corner of `screen` (the whole
    // screen, panels included), shows it there and makes the first step of the
    // slide-in; the timer makes the rest. Returns at once.
    void start(const QRect& screen);

    // The step that is due: what the timer runs. Closes the window once the
    // count has ended; it is deleted on the next turn of the event loop. Does
    // nothing once the window is closed.
    void advance();

    // The close button's click: the window sinks out of sight and the count
    // holds until it has.
    void slideOut();

    int alpha() const { return m_alpha; }  // 255 until the first step
    const schedule::WarningCountdown& countdown() const { return m_countdown; }
    const QTimer* timer() const { return m_timer; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void apply(const schedule::WarningStep& step);
    void setAlpha(int alpha);

    schedule::WarningCountdown m_countdown;
    QTimer* m_timer;
    PushButton* m_closeButton;
    TransparentLabel* m_secondsLabel;
    int m_alpha = 255;
    bool m_closed = false;  // by the end of the count or by the system
};

// Opens the warning window, one at a time, and returns at once. Both watchers
// call open() at the warning moment, the repeat-watcher too: nothing opens the
// window modally, and the main window stays usable while it counts.
class WarningWindowOpener {
public:
    // The skin step for a new window, run before it is shown. Empty: the window
    // keeps its own look.
    using SkinStep = std::function<void(QWidget& window)>;

    // icon: the program's icon, the one of the main window and the tray.
    explicit WarningWindowOpener(QIcon icon, SkinStep skinStep = {});
    // A window still counting goes with the opener.
    ~WarningWindowOpener();
    WarningWindowOpener(const WarningWindowOpener&) = delete;
    WarningWindowOpener& operator=(const WarningWindowOpener&) = delete;

    // Opens a window on the primary screen, or, while one is open, brings that
    // one forward and leaves it as it is.
    void open(const QString& actionText, const QString& leadText);

    // The open window, or nullptr once it has gone.
    WarningWindow* window() const { return m_window.data(); }

private:
    QIcon m_icon;
    SkinStep m_skinStep;
    QPointer<WarningWindow> m_window;
};

}  // namespace velmora::ui
