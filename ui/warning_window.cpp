#include "ui/warning_window.h"

#include <algorithm>
#include <utility>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTimer>

#include "ui/push_button.h"
#include "ui/transparent_label.h"
#include "ui/window_font.h"

namespace velmora::ui {

namespace {

constexpr int kCloseButtonPixelSize = 12;
constexpr int kSecondsPixelSize = 21;
constexpr int kCaptionPixelSize = 14;
const QColor kBackground(0, 255, 0);

struct Placement {
    const char* name;
    int left, top, width, height;
};
constexpr Placement kCloseButtonPlace{WarningWindow::kCloseButton, 216, 0, 16, 16};
constexpr Placement kFirstLinePlace{WarningWindow::kFirstLine, 24, 8, 192, 24};
constexpr Placement kSecondsPlace{WarningWindow::kSecondsLabel, 72, 40, 48, 32};
constexpr Placement kUnitPlace{WarningWindow::kUnitLabel, 128, 40, 24, 32};

template <typename Control>
Control* Place(Control* control, const Placement& place) {
    control->setObjectName(QString::fromUtf8(place.name));
    control->setGeometry(place.left, place.top, place.width, place.height);
    return control;
}

QFont FontOf(const QStringList& families, int pixelSize, bool bold) {
    QFont font = QGuiApplication::font();
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QString WarningWindow::firstLineText(const QString& actionText) {
    return QStringLiteral("距离 ") + actionText + QStringLiteral(" 还有");
}

QRegion WarningWindow::roundedOutline(QSize size) {
    const int w = size.width();
    const int h = size.height();
    const int d = std::min(w / 5, h / 5);
    if (d <= 0) {
        return QRegion(0, 0, w, h);
    }
    const int r = d / 2;
    // Two bands make the cross of the rectangle less its corners; an ellipse in
    // each corner rounds it off.
    QRegion outline = QRegion(r, 0, w - 2 * r, h) + QRegion(0, r, w, h - 2 * r);
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(w - d, 0), QPoint(0, h - d), QPoint(w - d, h - d)}) {
        outline += QRegion(QRect(corner, QSize(d, d)), QRegion::Ellipse);
    }
    return outline;
}

QStringList WarningWindow::closeButtonFamilies() {
    return {QStringLiteral("Arial Black"), QStringLiteral("Arial"),
            QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
            QStringLiteral("DejaVu Sans")};
}

QStringList WarningWindow::secondsFamilies() {
    // The Song faces of Windows first, then the Ming and Song serif faces of
    // Linux; the window's own faces last, for a machine with no serif CJK face.
    QStringList families = {QStringLiteral("SimSun"),
                            QStringLiteral("宋体"),
                            QStringLiteral("NSimSun"),
                            QStringLiteral("AR PL UMing CN"),
                            QStringLiteral("Noto Serif CJK SC"),
                            QStringLiteral("Source Han Serif SC"),
                            QStringLiteral("AR PL SungtiL GB")};
    for (const QString& family : PreferredWindowFontFamilies()) {
        if (!families.contains(family)) {
            families.append(family);
        }
    }
    return families;
}

QFont WarningWindow::closeButtonFont() {
    return FontOf(closeButtonFamilies(), kCloseButtonPixelSize, true);
}

QFont WarningWindow::secondsFont() {
    return FontOf(secondsFamilies(), kSecondsPixelSize, true);
}

QFont WarningWindow::captionFont() {
    QFont font = WindowFont();
    font.setPixelSize(kCaptionPixelSize);
    return font;
}

WarningWindow::WarningWindow(const QString& actionText, const QString& leadText, const QIcon& icon)
    // A tool window stays out of the taskbar. It is not kept on top: it opens
    // above the rest and then takes its place among the user's windows.
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
      m_countdown(leadText.toStdString(), kHeight),
      m_timer(new QTimer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("提示窗口"));
    setWindowTitle(QStringLiteral("提示！"));
    if (!icon.isNull()) {
        setWindowIcon(icon);
    }
    setFixedSize(kWidth, kHeight);
    setFont(captionFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kBackground);
    setPalette(colours);
    setAutoFillBackground(true);
    setMask(roundedOutline(size()));

    m_closeButton = Place(new PushButton(QStringLiteral("X"), this), kCloseButtonPlace);
    m_closeButton->setFlat(true);
    m_closeButton->setFont(closeButtonFont());
    connect(m_closeButton, &QPushButton::clicked, this, &WarningWindow::slideOut);

    Place(new TransparentLabel(firstLineText(actionText), this), kFirstLinePlace);
    // The lead shows as typed while the window slides in; the rounds then
    // write plain numbers.
    m_secondsLabel = Place(new TransparentLabel(leadText, this), kSecondsPlace);
    m_secondsLabel->setFont(secondsFont());
    Place(new TransparentLabel(QStringLiteral("秒"), this), kUnitPlace);

    // Steps of 50 ms are seen as movement: a coarse timer would make the slide
    // stutter.
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &WarningWindow::advance);
}

WarningWindow::~WarningWindow() = default;

void WarningWindow::start(const QRect& screen) {
    // Placed before it is shown, so it never flashes up where Qt would put it.
    const schedule::WarningPlace place =
        schedule::PlaceWarningWindow(screen.width(), screen.height(), frameGeometry().width());
    move(screen.x() + place.left, screen.y() + place.top);
    show();
    advance();
}

void WarningWindow::advance() {
    if (m_closed) {
        return;
    }
    apply(m_countdown.next(pos().y()));
}

void WarningWindow::slideOut() {
    if (m_closed) {
        return;
    }
    const auto step = m_countdown.closeClicked(pos().y(), frameGeometry().height());
    if (step) {
        // Restarting the timer drops the wait in progress: the slide-in or the
        // count holds until the slide-out has run.
        apply(*step);
    }
}

void WarningWindow::apply(const schedule::WarningStep& step) {
    if (step.end) {
        close();
        return;
    }
    if (step.top) {
        move(pos().x(), *step.top);
    }
    if (step.alpha) {
        setAlpha(*step.alpha);
    }
    if (step.secondsText) {
        m_secondsLabel->setText(QString::fromStdString(*step.secondsText));
    }
    m_timer->start(step.waitMs);
}

void WarningWindow::setAlpha(int alpha) {
    m_alpha = alpha;
    setWindowOpacity(alpha / 255.0);
}

void WarningWindow::closeEvent(QCloseEvent* event) {
    // The end of the count, or the system closing the window: either way the
    // count stops here and the window goes (WA_DeleteOnClose).
    m_closed = true;
    m_timer->stop();
    event->accept();
}

void WarningWindow::resizeEvent(QResizeEvent* event) {
    setMask(roundedOutline(size()));
    QWidget::resizeEvent(event);
}

WarningWindowOpener::WarningWindowOpener(QIcon icon, SkinStep skinStep)
    : m_icon(std::move(icon)), m_skinStep(std::move(skinStep)) {
}

WarningWindowOpener::~WarningWindowOpener() {
    delete m_window.data();
}

void WarningWindowOpener::open(const QString& actionText, const QString& leadText) {
    // A window closed in this turn of the event loop is gone already, though
    // Qt deletes it only on the next.
    if (m_window && m_window->isVisible()) {
        m_window->raise();
        m_window->activateWindow();
        return;
    }
    auto* window = new WarningWindow(actionText, leadText, m_icon);
    m_window = window;
    if (m_skinStep) {
        m_skinStep(*window);
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    window->start(screen != nullptr ? screen->geometry() : QRect());
}

}  // namespace velmora::ui
