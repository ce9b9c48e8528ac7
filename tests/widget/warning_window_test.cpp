// The warning window on a 1920 x 1080 offscreen screen: its look, its place,
// its timeline driven step by step through advance() (what its timer calls),
// the close button, closing by the system, and the opener's promises: it
// returns at once, one window at a time, the rest of the program stays usable.

#include <memory>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "hermetic_test_main.h"
#include "ui/push_button.h"
#include "ui/transparent_label.h"
#include "ui/warning_window.h"

using velmora::ui::WarningWindow;
using velmora::ui::WarningWindowOpener;

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kRestTop = 956;

QIcon TestIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

std::vector<WarningWindow*> OpenWarningWindows() {
    std::vector<WarningWindow*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<WarningWindow*>(widget)) {
            found.push_back(window);
        }
    }
    return found;
}

// Lets Qt delete what asked to be deleted, and nothing else: no timer runs.
void DeleteClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString SecondsText(const WarningWindow& window) {
    return window.findChild<QLabel*>(QString::fromUtf8(WarningWindow::kSecondsLabel))->text();
}

// A family name without the foundry Qt adds when two foundries share it:
// "Nimbus Sans [URW]" is Nimbus Sans.
QString WithoutFoundry(QString family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    if (bracket >= 0) {
        family.truncate(bracket);
    }
    return family.toLower();
}

// The first family of `preferred` that this machine has; empty when none.
QString FirstInstalled(const QStringList& preferred) {
    QStringList installed;
    for (const QString& family : QFontDatabase::families()) {
        installed << WithoutFoundry(family);
    }
    for (const QString& family : preferred) {
        if (installed.contains(family.toLower())) {
            return family.toLower();
        }
    }
    return {};
}

}  // namespace

class WarningWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void screenIsTheOneTheTestsAssume();
    void frame();
    void controls_data();
    void controls();
    void fonts();
    void outline_data();
    void outline();
    void greenBackground();
    void slidesInFromBelowTheBottomRightCorner();
    void countsDownAndGoes_data();
    void countsDownAndGoes();
    void closeButtonSlidesOutAndTheCountHolds();
    void closeButtonDuringTheSlideIn();
    void openReturnsAtOnceAndLeavesTheRestUsable();
    void oneAtATime();
    void skinStepRunsOncePerWindowBeforeItShows();
    void closedByTheSystemEndsQuietly();
    void escDoesNotClose();
    void openerTakesAStillOpenWindowWithIt();

private:
    // Opens a window through the opener and returns it, after its first step.
    WarningWindow* open(const QString& action = QStringLiteral("关机"),
                        const QString& lead = QStringLiteral("30"));
    // Runs the rest of the slide-in.
    static void slideIn(WarningWindow& window);

    std::unique_ptr<WarningWindowOpener> m_opener;
};

void WarningWindowTest::initTestCase() {
    // The offscreen platform cannot raise, clip or fade a window and says so at
    // every step; the tests read those states from the widget instead.
    static QtMessageHandler testLog = nullptr;
    testLog = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(QLatin1String("This plugin does not support"))) {
                testLog(type, context, message);
            }
        });
}

void WarningWindowTest::cleanup() {
    m_opener.reset();
    DeleteClosedWindows();
    QVERIFY(OpenWarningWindows().empty());
}

WarningWindow* WarningWindowTest::open(const QString& action, const QString& lead) {
    if (!m_opener) {
        m_opener = std::make_unique<WarningWindowOpener>(TestIcon());
    }
    m_opener->open(action, lead);
    return m_opener->window();
}

void WarningWindowTest::slideIn(WarningWindow& window) {
    // The opener made the first step.
    for (int i = 2; i <= window.countdown().slideInSteps(); ++i) {
        window.advance();
    }
}

void WarningWindowTest::screenIsTheOneTheTestsAssume() {
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(),
             QRect(0, 0, kScreenWidth, kScreenHeight));
}

void WarningWindowTest::frame() {
    const QIcon icon = TestIcon();
    WarningWindow window(QStringLiteral("关机"), QStringLiteral("30"), icon);
    QCOMPARE(window.size(), QSize(239, 85));
    QCOMPARE(window.minimumSize(), window.size());
    QCOMPARE(window.maximumSize(), window.size());
    const Qt::WindowFlags flags = window.windowFlags();
    QCOMPARE(window.windowType(), Qt::Tool);  // no taskbar entry
    QVERIFY(flags & Qt::FramelessWindowHint);
    QVERIFY(!(flags & Qt::WindowStaysOnTopHint));  // not kept above other windows
    QCOMPARE(window.windowTitle(), QStringLiteral("提示！"));
    QCOMPARE(window.windowIcon().cacheKey(), icon.cacheKey());
    QVERIFY(window.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(window.windowModality(), Qt::NonModal);
    QCOMPARE(window.alpha(), 255);  // opaque until the first step

    // Its timer: one shot a step, precise, nothing running before start().
    QVERIFY(window.timer()->isSingleShot());
    QCOMPARE(window.timer()->timerType(), Qt::PreciseTimer);
    QVERIFY(!window.timer()->isActive());
}

void WarningWindowTest::controls_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("shut down, 30") << "关机"
                                   << "30"
                                   << "距离 关机 还有";
    QTest::newRow("display off, 2.5") << "关闭显示器"
                                      << "2.5"
                                      << "距离 关闭显示器 还有";
    QTest::newRow("restart, full-width 30") << "重启"
                                            << "３０"
                                            << "距离 重启 还有";
    QTest::newRow("no action, no lead") << ""
                                        << ""
                                        << "距离  还有";
}

void WarningWindowTest::controls() {
    QFETCH(QString, action);
    QFETCH(QString, lead);
    QFETCH(QString, firstLine);
    WarningWindow window(action, lead, QIcon());

    const struct {
        const char* name;
        QRect geometry;
        QString text;
    } kControls[] = {
        {WarningWindow::kCloseButton, QRect(216, 0, 16, 16), QStringLiteral("X")},
        {WarningWindow::kFirstLine, QRect(24, 8, 192, 24), firstLine},
        {WarningWindow::kSecondsLabel, QRect(72, 40, 48, 32), lead},
        {WarningWindow::kUnitLabel, QRect(128, 40, 24, 32), QStringLiteral("秒")},
    };
    for (const auto& c : kControls) {
        const QString name = QString::fromUtf8(c.name);
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY2(control != nullptr, qPrintable(name));
        QCOMPARE(control->parentWidget(), &window);
        QCOMPARE(control->geometry(), c.geometry);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QVERIFY(qobject_cast<velmora::ui::PushButton*>(button) != nullptr);
            QVERIFY(button->isFlat());
            QCOMPARE(button->text(), c.text);
        } else {
            auto* label = qobject_cast<velmora::ui::TransparentLabel*>(control);
            QVERIFY2(label != nullptr, qPrintable(name));
            QVERIFY(!label->autoFillBackground());
            QCOMPARE(label->text(), c.text);
        }
    }
}

void WarningWindowTest::fonts() {
    WarningWindow window(QStringLiteral("关机"), QStringLiteral("30"), QIcon());
    const auto font = [&](const char* name) {
        return window.findChild<QWidget*>(QString::fromUtf8(name))->font();
    };
    const QFont close = font(WarningWindow::kCloseButton);
    QCOMPARE(close.pixelSize(), 12);
    QVERIFY(close.bold());
    const QFont seconds = font(WarningWindow::kSecondsLabel);
    QCOMPARE(seconds.pixelSize(), 21);
    QVERIFY(seconds.bold());
    for (const char* name : {WarningWindow::kFirstLine, WarningWindow::kUnitLabel}) {
        QCOMPARE(font(name).pixelSize(), 14);
        QVERIFY(!font(name).bold());
    }

    // Each resolves to the first face of its list this machine has.
    const struct {
        QFont font;
        QStringList preferred;
    } kFaces[] = {
        {close, WarningWindow::closeButtonFamilies()},
        {seconds, WarningWindow::secondsFamilies()},
    };
    for (const auto& face : kFaces) {
        const QString expected = FirstInstalled(face.preferred);
        if (!expected.isEmpty()) {
            QCOMPARE(WithoutFoundry(QFontInfo(face.font).family()), expected);
        }
    }
}

void WarningWindowTest::outline_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("inside");
    // d = min(239 / 5, 85 / 5) = 17: the corner ellipses are 17 x 17.
    const QSize design(239, 85);
    QTest::newRow("top left corner") << design << QPoint(0, 0) << false;
    QTest::newRow("top right corner") << design << QPoint(238, 0) << false;
    QTest::newRow("bottom left corner") << design << QPoint(0, 84) << false;
    QTest::newRow("bottom right corner") << design << QPoint(238, 84) << false;
    QTest::newRow("diagonal, just outside the arc") << design << QPoint(1, 1) << false;
    QTest::newRow("diagonal, far inside the arc") << design << QPoint(5, 5) << true;
    QTest::newRow("bottom right, just outside") << design << QPoint(237, 83) << false;
    QTest::newRow("top edge past the corner") << design << QPoint(17, 0) << true;
    QTest::newRow("left edge past the corner") << design << QPoint(0, 17) << true;
    QTest::newRow("right edge, middle") << design << QPoint(238, 42) << true;
    QTest::newRow("bottom edge, middle") << design << QPoint(119, 84) << true;
    QTest::newRow("close button") << design << QPoint(224, 8) << true;
    // d = min(100 / 5, 20 / 5) = 4: a small window keeps small corners.
    QTest::newRow("flat window, corner") << QSize(100, 20) << QPoint(0, 0) << false;
    QTest::newRow("flat window, near the corner") << QSize(100, 20) << QPoint(4, 0) << true;
    QTest::newRow("no corners below 5 px") << QSize(100, 4) << QPoint(0, 0) << true;
}

void WarningWindowTest::outline() {
    QFETCH(QSize, size);
    QFETCH(QPoint, point);
    QFETCH(bool, inside);
    const QRegion outline = WarningWindow::roundedOutline(size);
    QCOMPARE(outline.contains(point), inside);
    QCOMPARE(outline.boundingRect(), QRect(QPoint(0, 0), size));

    WarningWindow window(QStringLiteral("关机"), QStringLiteral("30"), QIcon());
    QCOMPARE(window.mask(), WarningWindow::roundedOutline(window.size()));
}

void WarningWindowTest::greenBackground() {
    WarningWindow window(QStringLiteral("关机"), QStringLiteral("30"), QIcon());
    const QImage image = window.grab().toImage();
    // Points no control covers.
    for (const QPoint point : {QPoint(10, 60), QPoint(200, 75), QPoint(160, 50)}) {
        QCOMPARE(image.pixelColor(point), QColor(0, 255, 0));
    }
    // Something is drawn on it: the seconds and the "X".
    const auto greenOnly = [&](const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y) != QColor(0, 255, 0)) {
                    return false;
                }
            }
        }
        return true;
    };
    QVERIFY(!greenOnly(QRect(72, 40, 48, 32)));
    QVERIFY(!greenOnly(QRect(216, 0, 16, 16)));
}

void WarningWindowTest::slidesInFromBelowTheBottomRightCorner() {
    WarningWindow* window = open();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    // Placed with its top on the screen's bottom edge and its right edge on the
    // right edge, then the first step of the slide-in made at once.
    QCOMPARE(window->frameGeometry().left(), kScreenWidth - 239);
    QCOMPARE(window->frameGeometry().right(), kScreenWidth - 1);
    QCOMPARE(window->pos(), QPoint(1681, kScreenHeight - 4));
    QCOMPARE(window->alpha(), 163);
    QCOMPARE(window->timer()->interval(), 50);
    QVERIFY(window->timer()->isActive());

    for (int i = 2; i <= 31; ++i) {
        window->advance();
        QCOMPARE(window->pos(), QPoint(1681, kScreenHeight - 4 * i));
        QCOMPARE(window->alpha(), 160 + 3 * i);
        QCOMPARE(window->timer()->interval(), 50);
        QCOMPARE(SecondsText(*window), QStringLiteral("30"));
    }
    QCOMPARE(window->pos().y(), kRestTop);
    QCOMPARE(window->alpha(), 253);
    QCOMPARE(window->windowOpacity(), 253 / 255.0);
    QCOMPARE(window->frameGeometry().bottom() + 1, kScreenHeight - 39);
}

void WarningWindowTest::countsDownAndGoes_data() {
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QStringList>("labels");
    QStringList thirty;
    for (int n = 29; n >= 0; --n) {
        thirty << QString::number(n);
    }
    QTest::newRow("30") << "30" << thirty;
    QTest::newRow("full-width 30") << "３０" << thirty;
    QTest::newRow("2.5") << "2.5" << QStringList{"1.5", "0.5"};
    QTest::newRow("0") << "0" << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("abc") << "abc" << QStringList{};
    QTest::newRow("-5") << "-5" << QStringList{};
}

void WarningWindowTest::countsDownAndGoes() {
    QFETCH(QString, lead);
    QFETCH(QStringList, labels);
    QPointer<WarningWindow> window = open(QStringLiteral("关机"), lead);
    slideIn(*window);
    QCOMPARE(SecondsText(*window), lead);

    for (const QString& expected : labels) {
        window->advance();
        QCOMPARE(SecondsText(*window), expected);
        QCOMPARE(window->timer()->interval(), 1000);
        QVERIFY(window->timer()->isActive());
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos().y(), kRestTop);
    }
    // The step after the last round: gone.
    window->advance();
    QVERIFY(!window->isVisible());
    QVERIFY(!window->timer()->isActive());
    DeleteClosedWindows();
    QVERIFY(window.isNull());
    QCOMPARE(m_opener->window(), nullptr);
}

void WarningWindowTest::closeButtonSlidesOutAndTheCountHolds() {
    QPointer<WarningWindow> window = open(QStringLiteral("关机"), QStringLiteral("3"));
    slideIn(*window);
    window->advance();
    QCOMPARE(SecondsText(*window), QStringLiteral("2"));

    auto* button = window->findChild<QPushButton*>(QString::fromUtf8(WarningWindow::kCloseButton));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window->pos().y(), kRestTop + 4);
    QCOMPARE(window->alpha(), 249);
    QCOMPARE(window->timer()->interval(), 50);  // the round's wait is dropped

    for (int i = 2; i <= 85; ++i) {
        window->advance();
        QCOMPARE(window->pos().y(), kRestTop + 4 * i);
        QCOMPARE(window->alpha(), i <= 42 ? 255 - 6 * i : 255);
        QCOMPARE(SecondsText(*window), QStringLiteral("2"));
    }
    QCOMPARE(window->windowOpacity(), 1.0);  // turned opaque again, out of sight
    QVERIFY(window->isVisible());            // neither hidden nor gone

    // The count goes on from where it stood, every round of it.
    window->advance();
    QCOMPARE(SecondsText(*window), QStringLiteral("1"));
    QCOMPARE(window->timer()->interval(), 1000);
    window->advance();
    QCOMPARE(SecondsText(*window), QStringLiteral("0"));
    QVERIFY(window->isVisible());
    window->advance();
    DeleteClosedWindows();
    QVERIFY(window.isNull());
}

void WarningWindowTest::closeButtonDuringTheSlideIn() {
    QPointer<WarningWindow> window = open(QStringLiteral("关机"), QStringLiteral("1"));
    for (int i = 2; i <= 10; ++i) {
        window->advance();
    }
    QCOMPARE(window->pos().y(), kScreenHeight - 40);
    window->slideOut();
    for (int i = 2; i <= 85; ++i) {
        window->advance();
    }
    QCOMPARE(window->pos().y(), kScreenHeight - 40 + 340);
    // The slide-in goes on from far below and ends out of sight.
    for (int i = 11; i <= 31; ++i) {
        window->advance();
        QCOMPARE(window->alpha(), 160 + 3 * i);
    }
    QCOMPARE(window->pos().y(), kScreenHeight + 216);
    QCOMPARE(SecondsText(*window), QStringLiteral("1"));
    window->advance();
    QCOMPARE(SecondsText(*window), QStringLiteral("0"));
    window->advance();
    DeleteClosedWindows();
    QVERIFY(window.isNull());
}

void WarningWindowTest::openReturnsAtOnceAndLeavesTheRestUsable() {
    // Another window of the program, standing in for the main window.
    QWidget other;
    auto* button = new QPushButton(QStringLiteral("取消"), &other);
    other.show();
    QSignalSpy clicks(button, &QPushButton::clicked);

    // open() must not run the event loop: a posted call is still waiting when
    // it returns.
    bool loopRan = false;
    QTimer::singleShot(0, [&] { loopRan = true; });
    WarningWindow* window = open();
    QVERIFY(!loopRan);
    QVERIFY(window->isVisible());
    QVERIFY(!window->countdown().ended());
    QVERIFY(window->timer()->isActive());  // the rest of its life is on its timer

    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(window->isVisible());
}

void WarningWindowTest::oneAtATime() {
    QWidget other;
    other.show();
    WarningWindow* window = open(QStringLiteral("关机"), QStringLiteral("30"));
    for (int i = 2; i <= 5; ++i) {
        window->advance();
    }
    const QPoint pos = window->pos();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);

    open(QStringLiteral("重启"), QStringLiteral("10"));
    QCOMPARE(m_opener->window(), window);
    QCOMPARE(OpenWarningWindows().size(), std::size_t{1});
    // Left as it was: place, alpha, texts and where its count stands.
    QCOMPARE(window->pos(), pos);
    QCOMPARE(window->alpha(), 160 + 3 * 5);
    QCOMPARE(SecondsText(*window), QStringLiteral("30"));
    QCOMPARE(window->findChild<QLabel*>(QString::fromUtf8(WarningWindow::kFirstLine))->text(),
             QStringLiteral("距离 关机 还有"));
    // Brought forward.
    QTRY_COMPARE(QApplication::activeWindow(), window);

    // Once it has gone, the next warning opens a new window, also before Qt
    // has deleted the old one.
    QPointer<WarningWindow> old = window;
    window->close();
    WarningWindow* next = open(QStringLiteral("重启"), QStringLiteral("10"));
    QVERIFY(next != nullptr);
    QVERIFY(next != old);
    QVERIFY(next->isVisible());
    QCOMPARE(SecondsText(*next), QStringLiteral("10"));
    QCOMPARE(next->pos(), QPoint(1681, kScreenHeight - 4));
    DeleteClosedWindows();
    QVERIFY(old.isNull());
    QCOMPARE(OpenWarningWindows(), std::vector<WarningWindow*>{next});
}

void WarningWindowTest::skinStepRunsOncePerWindowBeforeItShows() {
    std::vector<QWidget*> skinned;
    bool visibleWhenSkinned = true;
    m_opener = std::make_unique<WarningWindowOpener>(TestIcon(), [&](QWidget& window) {
        skinned.push_back(&window);
        visibleWhenSkinned = window.isVisible();
    });
    WarningWindow* window = open();
    QCOMPARE(skinned, std::vector<QWidget*>{window});
    QVERIFY(!visibleWhenSkinned);
    open();  // brought forward, not skinned again
    QCOMPARE(skinned.size(), std::size_t{1});
}

void WarningWindowTest::closedByTheSystemEndsQuietly() {
    QWidget other;
    other.show();
    QPointer<WarningWindow> window = open();
    slideIn(*window);
    window->advance();
    window->advance();
    QCOMPARE(SecondsText(*window), QStringLiteral("28"));

    // What the window manager's close (Alt+F4) does: a close request from the
    // platform window.
    QVERIFY(window->windowHandle()->close());
    QVERIFY(!window->isVisible());
    QVERIFY(!window->timer()->isActive());
    window->advance();  // a step already due does nothing now
    QCOMPARE(SecondsText(*window), QStringLiteral("28"));
    DeleteClosedWindows();
    QVERIFY(window.isNull());
    QCOMPARE(m_opener->window(), nullptr);
    QVERIFY(other.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void WarningWindowTest::escDoesNotClose() {
    WarningWindow* window = open();
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(window->isVisible());
    QCOMPARE(m_opener->window(), window);
}

void WarningWindowTest::openerTakesAStillOpenWindowWithIt() {
    QPointer<WarningWindow> window = open();
    QVERIFY(!window.isNull());
    m_opener.reset();
    QVERIFY(window.isNull());
}

// As VELMORA_HERMETIC_WIDGET_TEST_MAIN, on an offscreen screen of 1920 x 1080.
int main(int argc, char* argv[]) {
    QTemporaryDir home;
    if (!velmora::test::PrepareHermeticEnvironment(home)) {
        return 1;
    }
    const QString config = home.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1920,
                    "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    velmora::test::SetVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=") + config);

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale::c());
    velmora::test::QuietOffscreenTray();
    WarningWindowTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "warning_window_test.moc"
