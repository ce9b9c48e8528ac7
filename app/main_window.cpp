#include "app/main_window.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionFrame>
#include <QTimer>

#include "app/clock_time_rules.h"
#include "app/main_window_layout.h"
#include "schedule/clock_tick.h"
#include "ui/animation_box.h"
#include "ui/edit_text.h"
#include "ui/spin_edit.h"
#include "ui/window_font.h"

// The pictures are compiled into the window library; a static library's
// resources are registered only when something names them.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace velmora::app {

namespace {

QDate TodayOf(const platform::Clock& clock) {
    const std::chrono::year_month_day day{std::chrono::floor<std::chrono::days>(clock.localNow())};
    return QDate(static_cast<int>(day.year()), static_cast<int>(static_cast<unsigned>(day.month())),
                 static_cast<int>(static_cast<unsigned>(day.day())));
}

void RunHook(const std::function<void(MainWindow&)>& hook, MainWindow& window) {
    if (hook) {
        hook(window);
    }
}

// Connects a box's input rule so that it runs on every change of the box's
// text, nested inside the write that changed it. The rule's own write fires it
// once more, and the text it wrote passes.
template <typename Rule>
void ConnectRule(QLineEdit* box, Rule rule) {
    QObject::connect(box, &QLineEdit::textChanged, box, [box, rule](const QString& text) {
        if (const auto corrected = rule(text.toStdString())) {
            ui::WriteEditText(*box, QString::fromStdString(*corrected));
        }
    });
}

}  // namespace

QString MainWindow::caption() {
    return QStringLiteral("Velmora 原创By: Quorin");
}

QString MainWindow::trayTip() {
    return QStringLiteral("Tarnvel");
}

QString MainWindow::programIcon() {
    return QStringLiteral(":/velmora.png");
}

template <typename T>
T* MainWindow::requireControl(const char* name) const {
    T* found = control<T>(QString::fromUtf8(name));
    if (found == nullptr) {
        throw std::runtime_error(std::string("main window control missing: ") + name);
    }
    return found;
}

MainWindow::MainWindow(ProgramState& state, const platform::Clock& clock, DesktopShell shell,
                       CreationHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_state(state),
      m_clock(clock),
      m_shell(std::move(shell)),
      m_hooks(std::move(hooks)) {
    InitResources();
    setObjectName(QStringLiteral("主窗口"));
    setFixedSize(kClientWidth, kClientHeight);
    setWindowIcon(QIcon(programIcon()));
    setFont(ui::WindowFont());

    BuildMainWindowControls(*this, TodayOf(m_clock));
    m_hourBox = requireControl<ui::SpinEdit>("编辑框时");
    m_minuteBox = requireControl<ui::SpinEdit>("编辑框时分");
    m_secondBox = requireControl<ui::SpinEdit>("编辑框时秒");
    m_animationBox = requireControl<ui::AnimationBox>("动画框1");
    m_animationObject = requireControl<ui::AnimationObject>("动画物体1");
    m_clockTimer = requireControl<QTimer>("时钟1实施显示时间");
    m_timeLabel = requireControl<QLabel>("透明标签显示时间");
    m_uptimeLabel = requireControl<QLabel>("透明标签开机时间");

    // Re-armed by every tick for the start of the next second: a fixed
    // 1000 ms period drifts against the wall clock and shows a time up to a
    // second old.
    m_clockTimer->setSingleShot(true);
    m_clockTimer->setTimerType(Qt::PreciseTimer);
    connect(m_clockTimer, &QTimer::timeout, this, &MainWindow::clockTick);

    connectInputRules();
    connect(requireControl<QPushButton>("按钮1"), &QPushButton::clicked, this,
            &MainWindow::clearClockTime);
    connect(requireControl<QPushButton>("按钮退出"), &QPushButton::clicked, this,
            [this] { m_shell.exitProgram(0); });
}

MainWindow::~MainWindow() {
    if (m_waitingForLastWindow) {
        qApp->removeEventFilter(this);
    }
}

void MainWindow::connectInputRules() {
    ConnectRule(m_hourBox, HourBoxRule);
    ConnectRule(m_minuteBox, MinuteSecondBoxRule);
    ConnectRule(m_secondBox, MinuteSecondBoxRule);
    // The warning-lead box has no rule: the rest of the program accepts any
    // number of seconds there, whatever its "0-59" hint says.
}

void MainWindow::clearClockTime() {
    // In this order; the hour box's rule turns its "0" into "1" at once.
    ui::WriteEditText(*m_hourBox, QStringLiteral("0"));
    ui::WriteEditText(*m_minuteBox, QStringLiteral("0"));
    ui::WriteEditText(*m_secondBox, QStringLiteral("0"));
}

void MainWindow::runCreationSequence() {
    setWindowTitle(caption());
    startAnimation();
    RunHook(m_hooks.startSkinning, *this);
    RunHook(m_hooks.settingsStartUp, *this);
    if (m_state.settingsFoundAtStart) {
        RunHook(m_hooks.rearmRepeatingTask, *this);
    }
    RunHook(m_hooks.calendarLabels, *this);
    startClock();
    // No random numbers are drawn anywhere, so no generator is seeded.
}

void MainWindow::startAnimation() {
    m_animationBox->show();
    m_animationObject->show();
    m_animationBox->addCopy(*m_animationObject, QPoint(kAnimationCopyLeft, kAnimationCopyTop));
    m_animationStarted = true;
    updateAnimationPlayState();
}

void MainWindow::updateAnimationPlayState() {
    // A window that is hidden in the tray or minimised shows nothing, so it
    // decodes and draws nothing either.
    m_animationBox->setPlaying(m_animationStarted && isVisible() && !isMinimized());
}

void MainWindow::startClock() {
    // The first tick runs now, not a second from now: the labels are filled
    // before the window is first shown, and an arming computation never starts
    // from a LastClockReading of 0.0.
    clockTick();
}

void MainWindow::clockTick() {
    const schedule::ClockTick tick = schedule::ReadClockTick(m_clock);
    m_timeLabel->setText(QString::fromStdString(tick.timeText));
    m_state.lastClockReading = tick.lastClockReading;
    m_uptimeLabel->setText(QString::fromStdString(tick.uptimeText));
    m_clockTimer->start(schedule::DelayToNextSecond(m_clock.localNow(), kTickSlack));
}

void MainWindow::centreOnScreen() {
    const QScreen* shownOn = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (shownOn == nullptr) {
        return;
    }
    const QRect area = shownOn->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void MainWindow::showCentred() {
    centreOnScreen();
    show();
    // Once shown, the frame the window system adds may be known; centre the
    // whole window, frame included.
    centreOnScreen();
    // Under X11 the window manager reports its frame only after mapping; the
    // first move that comes with a known frame centres the window once more.
    m_centreWhenFramed = frameGeometry().size() == size();
}

void MainWindow::positionChanged() {
    if (m_closed) {
        return;
    }
    const bool minimised = isMinimized();
    if (minimised && !m_hidePending) {
        // One turn of the event loop later: QWidget::showMinimized() and some
        // window managers make the window visible again right after reporting
        // the minimised state, which would undo a hide done here.
        m_hidePending = true;
        QMetaObject::invokeMethod(this, &MainWindow::hideIfMinimised, Qt::QueuedConnection);
    }
    putTrayIconInPlace(minimised);
}

void MainWindow::hideIfMinimised() {
    m_hidePending = false;
    // The tray is asked now: without one, a hidden window could never be
    // brought back, so it stays minimised in the taskbar.
    if (!m_closed && isMinimized() && isVisible() && m_shell.systemTrayAvailable()) {
        hide();
    }
}

void MainWindow::putTrayIconInPlace(bool recheckTrayKind) {
    if (m_tray != nullptr && recheckTrayKind &&
        m_shell.statusNotifierTray() != m_trayIsStatusNotifier) {
        // Qt picks the tray protocol when an icon object is made; a panel of
        // the other kind has come up since, so only a new object reaches it.
        removeTrayIcon();
    }
    if (m_tray == nullptr) {
        makeTrayIcon();
        return;
    }
    // Refreshing the one icon in place: Qt re-registers it with a tray that
    // restarts, and sending the picture again on every move while the window is
    // dragged would be wasted work.
    if (m_tray->toolTip() != trayTip()) {
        m_tray->setToolTip(trayTip());
    }
    if (!m_tray->isVisible()) {
        m_tray->show();
    }
}

void MainWindow::makeTrayIcon() {
    m_trayIsStatusNotifier = m_shell.statusNotifierTray();
    m_tray = new QSystemTrayIcon(QIcon(programIcon()), this);
    m_tray->setToolTip(trayTip());
    connect(m_tray, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
    m_tray->show();
}

void MainWindow::removeTrayIcon() {
    if (m_tray == nullptr) {
        return;
    }
    m_tray->hide();
    // Possibly inside the icon's own signal: let it finish before it goes.
    m_tray->setParent(nullptr);
    m_tray->deleteLater();
    m_tray = nullptr;
}

void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason) {
    // Only a left double-click toggles. A StatusNotifier tray reports the left
    // click as Trigger and never sends a double-click, so there Trigger
    // toggles; elsewhere a Trigger also precedes every double-click and must
    // do nothing.
    const bool toggle = reason == QSystemTrayIcon::DoubleClick ||
                        (reason == QSystemTrayIcon::Trigger && m_trayIsStatusNotifier);
    if (!toggle || m_closed) {
        return;
    }
    if (isVisible()) {
        hide();
    } else {
        showFromTray();
    }
}

void MainWindow::showFromTray() {
    // Restored before it is mapped, so the window does not first come back as
    // an icon.
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show();
    centreOnScreen();
    raise();
    activateWindow();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        updateAnimationPlayState();
        positionChanged();
    }
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (m_centreWhenFramed && frameGeometry().size() != size()) {
        m_centreWhenFramed = false;
        centreOnScreen();
    }
    positionChanged();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateAnimationPlayState();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateAnimationPlayState();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Reaches the window only when the focused control did not use the key.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    // Enter and Return are left alone: they never move the focus.
    QWidget::keyPressEvent(event);
}

void MainWindow::paintEvent(QPaintEvent*) {
    // The sunken edge around the client area.
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.state |= QStyle::State_Sunken;
    frame.lineWidth = 1;
    frame.frameShape = QFrame::StyledPanel;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_closed) {
        return;
    }
    m_closed = true;
    removeTrayIcon();
    endWhenNoWindowLeft();
}

bool MainWindow::otherWindowOpen() const {
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        if (window == this || !window->isVisible()) {
            continue;
        }
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop) {
            continue;
        }
        return true;
    }
    return false;
}

void MainWindow::endWhenNoWindowLeft() {
    // Qt's own quit-on-last-window-closed counts only visible windows, so it
    // would end the program when a warning window closes while this window is
    // hidden in the tray. The program instead ends once this window was closed
    // and no other window is open.
    if (!otherWindowOpen()) {
        if (m_waitingForLastWindow) {
            qApp->removeEventFilter(this);
            m_waitingForLastWindow = false;
        }
        m_shell.exitProgram(0);
        return;
    }
    if (!m_waitingForLastWindow) {
        m_waitingForLastWindow = true;
        qApp->installEventFilter(this);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_waitingForLastWindow &&
        (event->type() == QEvent::Hide || event->type() == QEvent::Close)) {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (widget != nullptr && widget->isWindow()) {
            // Checked once the window has finished going away.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_waitingForLastWindow) {
                        endWhenNoWindowLeft();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace velmora::app
