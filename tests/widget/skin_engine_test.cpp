// The skinning library itself (libvelmora-skin.so as built), loaded as the
// program loads it: what attaching a skin does to the program's windows, what
// no skin does, the glass effect, and that no skin moves or resizes a control.

#include <memory>
#include <optional>

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "hermetic_test_main.h"
#include "platform/fake/fake_clock.h"
#include "skin/contrast.h"
#include "skin/skin_format.h"
#include "skin/velmora_skin.h"
#include "ui/skin_library_loader.h"
#include "ui/skins.h"
#include "ui/warning_window.h"

using velmora::skin::ContrastRatio;
using velmora::skin::ParseSkin;
using velmora::skin::Skin;

namespace {

Skin SkinNumber(int number) {
    const std::optional<Skin> skin = ParseSkin(velmora::ui::SkinBytes(number));
    if (!skin) {
        qFatal("skin %d does not parse", number);
    }
    return *skin;
}

// Every colour the skin gives, in the application's palette.
bool PaletteIsTheSkins(const QPalette& palette, const Skin& skin) {
    for (const auto& [role, colour] : skin.colours) {
        if (palette.color(QPalette::Active, role) != colour) {
            return false;
        }
    }
    return true;
}

velmora::app::DesktopShell NoDesktop() {
    velmora::app::DesktopShell shell;
    shell.systemTrayAvailable = [] { return false; };
    shell.statusNotifierTray = [] { return false; };
    shell.exitProgram = [](int) {};
    return shell;
}

}  // namespace

class SkinEngineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void aSkinColoursEveryWindowAndALaterOneReplacesIt();
    void noSkinRestoresTheDefaultLook_data();
    void noSkinRestoresTheDefaultLook();
    void keepsNothingOfTheCallersBytes();
    void paintsControlsAsTheLookSays_data();
    void paintsControlsAsTheLookSays();
    void glassOnOrdinaryFramedWindowsOnly();
    void aWindowWithItsOwnBackgroundKeepsItReadably_data();
    void aWindowWithItsOwnBackgroundKeepsItReadably();
    void noSkinMovesResizesOrRefontsAControl();

private:
    void attach(int number) {
        const QByteArray bytes = velmora::ui::SkinBytes(number);
        m_library->attach(bytes.constData(), static_cast<int>(bytes.size()));
        QCoreApplication::processEvents();
    }
    void attachNothing() {
        m_library->attach(nullptr, 0);
        QCoreApplication::processEvents();
    }
    // A window that goes at the end of the test.
    template <typename W>
    W* keep(std::unique_ptr<W> window) {
        W* kept = window.get();
        m_windows.push_back(std::move(window));
        return kept;
    }
    bool skinned() const { return qobject_cast<QProxyStyle*>(QApplication::style()) != nullptr; }

    std::unique_ptr<velmora::ui::SkinLibraryLoader> m_library;
    QPalette m_defaultPalette;
    QString m_defaultStyle;
    std::vector<std::unique_ptr<QWidget>> m_windows;
};

void SkinEngineTest::initTestCase() {
    m_defaultPalette = QApplication::palette();
    m_defaultStyle = QApplication::style()->name();
    m_library = std::make_unique<velmora::ui::SkinLibraryLoader>(
        std::vector<std::string>{VELMORA_SKIN_LIBRARY}, QStringLiteral("libvelmora-skin.so"),
        [](const QString& message) { QFAIL(qPrintable(message)); });
}

void SkinEngineTest::init() {
    m_library->setGlass(0);
    attachNothing();
}

void SkinEngineTest::cleanup() {
    m_windows.clear();
}

void SkinEngineTest::aSkinColoursEveryWindowAndALaterOneReplacesIt() {
    QWidget* earlier = keep(std::make_unique<QWidget>());
    earlier->show();
    for (const int number : {8, 26, 1}) {
        attach(number);
        QWidget* later = keep(std::make_unique<QWidget>());
        later->show();
        QCoreApplication::processEvents();
        QVERIFY2(skinned(), "drawn by the skin's style");
        QVERIFY(PaletteIsTheSkins(QApplication::palette(), SkinNumber(number)));
        QVERIFY(PaletteIsTheSkins(earlier->palette(), SkinNumber(number)));
        QVERIFY(PaletteIsTheSkins(later->palette(), SkinNumber(number)));
    }
}

void SkinEngineTest::noSkinRestoresTheDefaultLook_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("size");  // -1: all of bytes
    QTest::addColumn<bool>("null");
    QTest::newRow("no data") << QByteArray() << 0 << true;
    QTest::newRow("data of no bytes") << QByteArray("VELMORA-SKIN 1") << 0 << false;
    QTest::newRow("a negative size") << QByteArray("VELMORA-SKIN 1") << -5 << false;
    QTest::newRow("not a skin") << QByteArray("PK\x03\x04 some archive") << -1 << false;
    QTest::newRow("a skin with a fault")
        << QByteArray("VELMORA-SKIN 1\nWindow: red\n") << -1 << false;
}

void SkinEngineTest::noSkinRestoresTheDefaultLook() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, size);
    QFETCH(bool, null);
    attach(32);
    QVERIFY(skinned());
    m_library->attach(null ? nullptr : bytes.constData(),
                      size == -1 ? static_cast<int>(bytes.size()) : size);
    QCoreApplication::processEvents();
    QVERIFY(!skinned());
    QCOMPARE(QApplication::style()->name(), m_defaultStyle);
    QCOMPARE(QApplication::palette(), m_defaultPalette);
}

void SkinEngineTest::keepsNothingOfTheCallersBytes() {
    auto bytes = std::make_unique<QByteArray>(velmora::ui::SkinBytes(20));
    m_library->attach(bytes->constData(), static_cast<int>(bytes->size()));
    // The caller frees its buffer as soon as the call returns; drawing comes
    // later.
    bytes->fill('x');
    bytes.reset();
    QWidget* window = keep(std::make_unique<QPushButton>(QStringLiteral("换肤")));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->grab();
    QVERIFY(PaletteIsTheSkins(QApplication::palette(), SkinNumber(20)));
}

void SkinEngineTest::paintsControlsAsTheLookSays_data() {
    QTest::addColumn<int>("skin");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    // Skin 26: a black face inside a white border 2 px wide.
    QTest::newRow("high contrast face") << 26 << "button" << QPoint(36, 16) << QColor(0, 0, 0);
    QTest::newRow("high contrast border")
        << 26 << "button" << QPoint(0, 16) << QColor(255, 255, 255);
    // Skin 25: raised edges, light along the top.
    QTest::newRow("raised edge") << 25 << "button" << QPoint(36, 0) << QColor(0xec, 0xec, 0xec);
    // Skin 3: edit fields on their base colour.
    QTest::newRow("field base") << 3 << "field" << QPoint(40, 12) << QColor(0xff, 0xfb, 0xf2);
    // Skin 8: the group box's fill.
    QTest::newRow("group fill") << 8 << "group" << QPoint(100, 60) << QColor(0xf6, 0xf7, 0xf9);
}

void SkinEngineTest::paintsControlsAsTheLookSays() {
    QFETCH(int, skin);
    QFETCH(QString, control);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    attach(skin);
    QWidget* window = keep(std::make_unique<QWidget>());
    window->resize(300, 200);
    QWidget* widget = nullptr;
    if (control == QLatin1StringView("button")) {
        widget = new QPushButton(QString(), window);
        widget->setGeometry(10, 10, 72, 32);
    } else if (control == QLatin1StringView("field")) {
        widget = new QLineEdit(window);
        widget->setGeometry(10, 10, 80, 24);
    } else {
        widget = new QGroupBox(QStringLiteral("关机设定"), window);
        widget->setGeometry(10, 10, 280, 140);
    }
    // Without the focus: a focused control wears the focus colour.
    widget->setFocusPolicy(Qt::NoFocus);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QImage image = widget->grab().toImage();
    QCOMPARE(image.pixelColor(at * image.devicePixelRatio()).name(), colour.name());
}

void SkinEngineTest::glassOnOrdinaryFramedWindowsOnly() {
    auto make = [this](Qt::WindowFlags flags) -> QWidget& {
        return *keep(std::make_unique<QWidget>(nullptr, flags));
    };
    QWidget& plain = make(Qt::Window);
    QWidget& dialog = make(Qt::Dialog);
    QWidget& tool = make(Qt::Tool | Qt::FramelessWindowHint);
    QWidget& frameless = make(Qt::Window | Qt::FramelessWindowHint);
    QWidget& ownOpacity = make(Qt::Window);
    ownOpacity.setWindowOpacity(0.5);
    const double own = ownOpacity.windowOpacity();
    for (QWidget* window : {&plain, &dialog, &tool, &frameless, &ownOpacity}) {
        window->show();
    }

    m_library->setGlass(1);
    QWidget& later = make(Qt::Window);
    later.show();
    // Qt keeps an opacity in 256 steps.
    const double step = 1.0 / 255;
    QVERIFY(qAbs(plain.windowOpacity() - velmora::skin::kGlassOpacity) < step);
    QVERIFY(qAbs(later.windowOpacity() - velmora::skin::kGlassOpacity) < step);
    QCOMPARE(dialog.windowOpacity(), 1.0);
    QCOMPARE(tool.windowOpacity(), 1.0);
    QCOMPARE(frameless.windowOpacity(), 1.0);
    QCOMPARE(ownOpacity.windowOpacity(), own);

    m_library->setGlass(0);
    QCOMPARE(plain.windowOpacity(), 1.0);
    QCOMPARE(later.windowOpacity(), 1.0);
    QCOMPARE(ownOpacity.windowOpacity(), own);
}

void SkinEngineTest::aWindowWithItsOwnBackgroundKeepsItReadably_data() {
    QTest::addColumn<int>("skin");
    QTest::addColumn<bool>("skinsTextReads");
    for (int number = 1; number <= velmora::ui::kSkinCount; ++number) {
        const QColor text = *SkinNumber(number).colour(QPalette::WindowText);
        QTest::addRow("skin %d", number)
            << number << (ContrastRatio(text, QColor(0, 255, 0)) >= 4.5);
    }
    QTest::newRow("no skin") << 0 << true;
}

void SkinEngineTest::aWindowWithItsOwnBackgroundKeepsItReadably() {
    QFETCH(int, skin);
    QFETCH(bool, skinsTextReads);
    // The warning window: pure green, and its texts in whatever the skin gives.
    QWidget* warning = keep(std::make_unique<velmora::ui::WarningWindow>(
        QStringLiteral("关机"), QStringLiteral("30"), QIcon()));
    // A window that chose its text colour as well keeps both.
    QWidget* chosen = keep(std::make_unique<QWidget>());
    QPalette colours = chosen->palette();
    colours.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    colours.setColor(QPalette::WindowText, QColor(0xff, 0xcc, 0x00));
    chosen->setPalette(colours);
    auto* chosenLabel = new QLabel(QStringLiteral("秒"), chosen);

    if (skin == 0) {
        attachNothing();
    } else {
        attach(skin);
    }
    warning->show();
    chosen->show();
    QCoreApplication::processEvents();

    const auto* firstLine = warning->findChild<QLabel*>(velmora::ui::WarningWindow::kFirstLine);
    QVERIFY(firstLine != nullptr);
    const QColor green(0, 255, 0);
    QCOMPARE(warning->palette().color(QPalette::Window), green);
    const QColor text = firstLine->palette().color(QPalette::WindowText);
    QVERIFY2(ContrastRatio(text, green) >= 4.5, qPrintable(text.name()));
    if (skin != 0 && skinsTextReads) {
        QCOMPARE(text, *SkinNumber(skin).colour(QPalette::WindowText));
    }
    QCOMPARE(chosenLabel->palette().color(QPalette::WindowText), QColor(0xff, 0xcc, 0x00));
    QCOMPARE(chosen->palette().color(QPalette::Window), QColor(0x40, 0x40, 0x40));
}

void SkinEngineTest::noSkinMovesResizesOrRefontsAControl() {
    velmora::app::ProgramState state;
    const velmora::platform::FakeClock clock{velmora::platform::LocalMillis{}, 0};
    auto window = std::make_unique<velmora::app::MainWindow>(state, clock, NoDesktop());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    struct Placed {
        QWidget* widget;
        QRect geometry;
        QFont font;
    };
    std::vector<Placed> before;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        // The controls on show; a combo box's hidden list is laid out anew
        // when it opens.
        if (widget->isVisibleTo(window.get())) {
            before.push_back({widget, widget->geometry(), widget->font()});
        }
    }
    QVERIFY(before.size() > 40);

    // Twice round, so that a change between skins shows as well as the first.
    for (int round = 0; round < 2; ++round) {
        for (int number = 1; number <= velmora::ui::kSkinCount; ++number) {
            attach(number);
            window->grab();
            for (const Placed& placed : before) {
                const QString what =
                    QStringLiteral("skin %1, %2 %3")
                        .arg(number)
                        .arg(QLatin1StringView(placed.widget->metaObject()->className()),
                             placed.widget->objectName());
                QVERIFY2(placed.widget->geometry() == placed.geometry, qPrintable(what));
                QVERIFY2(placed.widget->font() == placed.font, qPrintable(what));
            }
        }
    }
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(SkinEngineTest)
#include "skin_engine_test.moc"
