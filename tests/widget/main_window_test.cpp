// The main window under the offscreen platform: its controls as designed, the
// input rules and spin buttons of the clock-time boxes, the clock, the tray,
// the animation, the keyboard and the end of the program. The desktop (tray,
// StatusNotifier, exit) and the clock are fakes the tests set.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/clock_time_rules.h"
#include "app/main_window.h"
#include "hermetic_test_main.h"
#include "platform/fake/fake_clock.h"
#include "ui/animation_box.h"
#include "ui/push_button.h"
#include "ui/spin_edit.h"
#include "ui/transparent_label.h"
#include "ui/window_font.h"

using namespace std::chrono_literals;
using velmora::app::MainWindow;
using velmora::platform::LocalMillis;

Q_DECLARE_METATYPE(QSystemTrayIcon::ActivationReason)

namespace {

LocalMillis Local(int year, unsigned month, unsigned day, std::chrono::milliseconds timeOfDay) {
    return std::chrono::local_days{std::chrono::year{year} / month / day} + timeOfDay;
}

// 2024-05-01 08:05:09.250, 1 h 23 min 45 s after boot.
const LocalMillis kStartLocal = Local(2024, 5, 1, 8h + 5min + 9s + 250ms);
constexpr std::uint64_t kStartUptimeMs = 5'025'000;

// A moment as the program's day count from 1899-12-30, worked out here from
// the calendar rather than by the program's own conversion.
double DayCount(LocalMillis t) {
    const auto epoch = std::chrono::local_days{std::chrono::year{1899} / 12 / 30};
    const auto seconds = std::chrono::floor<std::chrono::seconds>(t) - epoch;
    return static_cast<double>(seconds.count()) / 86400.0;
}

// Types the text character by character as a keyboard would, including
// characters QTest::keyClicks cannot map to a key.
void Type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &release);
    }
}

QString Text(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        return label->text();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        return edit->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        return button->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
        return group->title();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) {
            items << combo->itemText(i);
        }
        return items.join(QLatin1Char('|'));
    }
    if (const auto* date = qobject_cast<const QDateEdit*>(w)) {
        return date->date().toString(Qt::ISODate);
    }
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void windowFrame();
    void textsFitTheirControls();
    void timersIdleUntilTheClockStarts();
    void creationSequence_data();
    void creationSequence();
    void clockTick_data();
    void clockTick();
    void inputRules_data();
    void inputRules();
    void spinButtons_data();
    void spinButtons();
    void spinButtonsFollowTheirBox();
    void clearButton();
    void hostileInput_data();
    void hostileInput();
    void trayIconBeforeFirstShowAndNeverTwo();
    void minimise_data();
    void minimise();
    void trayActivation_data();
    void trayActivation();
    void trayKindRecheckedWhenMinimised();
    void animationPlaysOnlyWhileShown_data();
    void animationPlaysOnlyWhileShown();
    void animationKeysOutTopLeftColour();
    void escape_data();
    void escape();
    void escapeInOpenDropDownOnlyClosesIt();
    void enterKeepsFocus_data();
    void enterKeepsFocus();
    void exitButton();
    void closingEndsProgram_data();
    void closingEndsProgram();

private:
    velmora::app::DesktopShell shell() {
        velmora::app::DesktopShell s;
        s.systemTrayAvailable = [this] { return m_trayAvailable; };
        s.statusNotifierTray = [this] { return m_statusNotifier; };
        s.exitProgram = [this](int code) { m_exitCodes.push_back(code); };
        return s;
    }

    MainWindow& create() {
        m_window = std::make_unique<MainWindow>(m_state, m_clock, shell(), m_hooks);
        return *m_window;
    }

    // The start-up of main(): creation sequence, one position change, shown
    // centred.
    MainWindow& start() {
        create();
        m_window->runCreationSequence();
        m_window->positionChanged();
        m_window->showCentred();
        return *m_window;
    }

    template <typename T = QWidget>
    T* find(const QString& name) const {
        return m_window->control<T>(name);
    }

    QList<QSystemTrayIcon*> trayIcons() const { return m_window->findChildren<QSystemTrayIcon*>(); }

    QPoint centred() const {
        const QRect screen = m_window->screen()->geometry();
        const QSize outer = m_window->frameGeometry().size();
        return screen.topLeft() +
               QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
    }

    velmora::ui::AnimationSprite* sprite() const {
        return find<velmora::ui::AnimationBox>(QStringLiteral("动画框1"))
            ->findChild<velmora::ui::AnimationSprite*>();
    }

    // Runs what the window queued for the next turn of the event loop.
    static void settle() { QCoreApplication::sendPostedEvents(); }

    // Brings the shown window into one of its states.
    void enterState(const QString& state) {
        if (state == QLatin1String("minimisedToTray")) {
            m_window->showMinimized();
            settle();
        } else if (state == QLatin1String("hiddenFromTray")) {
            m_window->hide();
        } else if (state == QLatin1String("minimisedNoTray")) {
            m_trayAvailable = false;
            m_window->showMinimized();
            settle();
        } else {
            QCOMPARE(state, QStringLiteral("shown"));
        }
    }

    bool m_trayAvailable = true;
    bool m_statusNotifier = false;
    std::vector<int> m_exitCodes;
    velmora::platform::FakeClock m_clock{kStartLocal, kStartUptimeMs};
    velmora::app::ProgramState m_state;
    velmora::app::CreationHooks m_hooks;
    std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init() {
    m_trayAvailable = true;
    m_statusNotifier = false;
    m_exitCodes.clear();
    m_clock = velmora::platform::FakeClock{kStartLocal, kStartUptimeMs};
    m_state = velmora::app::ProgramState{};
    m_hooks = velmora::app::CreationHooks{};
}

void MainWindowTest::cleanup() {
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// ---------------------------------------------------------------- layout

void MainWindowTest::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QString>("in");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");  // combo items joined with '|', dates ISO
    QTest::addColumn<bool>("visible");
    QTest::addColumn<QPoint>("spinRange");  // (-1, -1): no spin button

    const QString window = QStringLiteral("主窗口");
    const QString group1 = QStringLiteral("分组框1");
    const QString group2 = QStringLiteral("分组框2");
    const QString today = QStringLiteral("2024-05-01");
    struct Row {
        const char* name;
        const char* kind;
        QString in;
        QRect geometry;
        QString text;
        bool visible = true;
        QPoint spinRange = QPoint(-1, -1);
    };
    const Row rows[] = {
        {"透明标签当前时间", "QLabel", window, {16, 9, 64, 32}, "当前时间："},
        {"透明标签显示时间", "QLabel", window, {80, 9, 152, 32}, "2024年5月1日8时5分9秒"},
        {"透明标签开机时长", "QLabel", window, {272, 9, 64, 32}, "开机时长："},
        {"透明标签开机时间", "QLabel", window, {344, 9, 88, 32}, "1 时 23 分"},
        {"透明标签当前时间2", "QLabel", window, {16, 40, 64, 32}, "农历时间："},
        {"透明标签显示农历", "QLabel", window, {80, 40, 152, 32}, ""},
        {"透明标签星期", "QLabel", window, {272, 41, 40, 32}, "星期："},
        {"透明标签星期1", "QLabel", window, {312, 41, 40, 32}, ""},
        {"动画框1", "velmora::ui::AnimationBox", window, {432, 0, 112, 88}, ""},
        {"动画物体1", "velmora::ui::AnimationObject", window, {440, 0, 96, 80}, ""},
        {"分组框1", "QGroupBox", window, {8, 96, 544, 144}, "关机设定"},
        {"单选框定时", "QRadioButton", group1, {16, 20, 24, 20}, ""},
        {"透明标签定时时间", "QLabel", group1, {40, 16, 72, 24}, "每日即时定时："},
        {"日期框1", "QDateEdit", window, {136, 112, 144, 24}, today},
        {"编辑框时", "QLineEdit", group1, {280, 16, 32, 24}, "12", true, {1, 24}},
        {"透明标签时", "QLabel", window, {344, 112, 16, 24}, "时"},
        {"编辑框时分", "QLineEdit", window, {360, 112, 32, 24}, "12", true, {0, 59}},
        {"透明标签分", "QLabel", window, {416, 112, 16, 24}, "分"},
        {"编辑框时秒", "QLineEdit", window, {432, 112, 32, 24}, "12", true, {0, 59}},
        {"透明标签分1", "QLabel", window, {488, 112, 16, 24}, "秒"},
        {"按钮1", "QPushButton", group1, {504, 8, 32, 32}, "时间清零"},
        {"单选框开机后定时", "QRadioButton", group1, {16, 56, 24, 24}, ""},
        {"透明标签开机后定时", "QLabel", group1, {40, 56, 72, 24}, "开机后  ："},
        {"编辑框开机后时", "QLineEdit", window, {136, 152, 80, 24}, ""},
        {"透明标签5", "QLabel", group1, {216, 56, 80, 24}, "小时（0-999）"},
        {"编辑框开机后分", "QLineEdit", window, {304, 152, 80, 24}, ""},
        {"透明标签6", "QLabel", group1, {384, 56, 112, 24}, "分（0-59）后关机"},
        {"单选框倒计时关机", "QRadioButton", group1, {16, 96, 24, 24}, ""},
        {"透明标签倒计时", "QLabel", group1, {40, 96, 80, 24}, "倒计时关机："},
        {"编辑框倒计时", "QLineEdit", window, {136, 192, 64, 24}, ""},
        {"透明标签7", "QLabel", group1, {200, 96, 72, 24}, "小时（0-24）"},
        {"编辑框倒计分", "QLineEdit", window, {280, 192, 64, 24}, ""},
        {"透明标签8", "QLabel", group1, {344, 96, 64, 24}, "分（0-59）"},
        {"编辑框倒计秒", "QLineEdit", window, {410, 192, 64, 24}, ""},
        {"透明标签9", "QLabel", group1, {474, 96, 64, 24}, "秒（0-59）"},
        {"分组框2", "QGroupBox", window, {8, 272, 544, 96}, "电脑执行方式"},
        {"透明标签1", "QLabel", group2, {24, 24, 88, 24}, "电脑执行方式："},
        {"组合框1", "QComboBox", group2, {112, 24, 152, 20}, "关机|重启|注销|强制关机|关闭显示器"},
        {"透明标签4", "QLabel", group2, {296, 24, 80, 24}, "执行次数："},
        {"组合框2", "QComboBox", group2, {368, 24, 152, 20}, "执行一次|每日定时|每周定时"},
        {"选择框关机提示", "QCheckBox", group2, {24, 56, 16, 24}, ""},
        {"透明标签10", "QLabel", group2, {48, 56, 88, 24}, "关机前提示"},
        {"透明标签2", "QLabel", group2, {168, 56, 96, 24}, "执行前提示时间："},
        {"编辑框关机提示秒", "QLineEdit", window, {272, 336, 64, 24}, ""},
        {"透明标签3", "QLabel", group2, {336, 56, 80, 24}, "秒（0-59）"},
        {"按钮执行", "QPushButton", window, {8, 384, 72, 32}, "启动"},
        {"按钮取消", "QPushButton", window, {102, 384, 72, 32}, "取消"},
        {"按钮保存", "QPushButton", window, {196, 384, 72, 32}, "保存"},
        {"按钮皮肤", "QPushButton", window, {290, 384, 72, 32}, "换肤"},
        {"按钮保存立即执行", "QPushButton", window, {384, 384, 72, 32}, "立即执行"},
        {"按钮退出", "QPushButton", window, {480, 384, 72, 32}, "退出"},
        {"农历日期框1", "QDateEdit", window, {536, 240, 8, 8}, today, false},
    };
    for (const Row& row : rows) {
        QTest::newRow(row.name) << QString::fromUtf8(row.name) << QByteArray(row.kind) << row.in
                                << row.geometry << row.text << row.visible << row.spinRange;
    }
}

void MainWindowTest::controls() {
    QFETCH(QString, name);
    QFETCH(QByteArray, kind);
    QFETCH(QString, in);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, visible);
    QFETCH(QPoint, spinRange);

    start();
    const QList<QWidget*> named = m_window->findChildren<QWidget*>(name);
    QCOMPARE(named.size(), 1);
    QWidget* control = named.first();
    QVERIFY2(control->inherits(kind.constData()), control->metaObject()->className());
    QCOMPARE(control->parentWidget()->objectName(), in);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(Text(control), text);
    QCOMPARE(control->isVisible(), visible);
    QVERIFY(control->isEnabled());

    if (const auto* label = qobject_cast<QLabel*>(control)) {
        QVERIFY(!label->autoFillBackground());
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(label->wordWrap());
    }
    if (const auto* edit = qobject_cast<QLineEdit*>(control)) {
        QVERIFY(edit->alignment() & Qt::AlignLeft);
        QVERIFY(edit->hasFrame());
    }
    if (const auto* combo = qobject_cast<QComboBox*>(control)) {
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
    }
    if (const auto* radio = qobject_cast<QRadioButton*>(control)) {
        QVERIFY(!radio->isChecked());
        QVERIFY(radio->group() != nullptr);
        QVERIFY(radio->group()->exclusive());
        QCOMPARE(radio->group()->buttons().size(), 3);
    }
    if (const auto* check = qobject_cast<QCheckBox*>(control)) {
        QVERIFY(!check->isChecked());
    }
    if (control->objectName() == QLatin1String("日期框1")) {
        QVERIFY(qobject_cast<QDateEdit*>(control)->calendarPopup());
    }

    auto* spin = qobject_cast<velmora::ui::SpinEdit*>(control);
    if (spinRange == QPoint(-1, -1)) {
        QVERIFY2(spin == nullptr, "an edit box without spin button has one");
    } else {
        QVERIFY(spin != nullptr);
        QCOMPARE(QPoint(spin->minimum(), spin->maximum()), spinRange);
        QCOMPARE(spin->spinButtons()->parentWidget(), control->parentWidget());
        QCOMPARE(spin->spinButtons()->geometry(),
                 QRect(geometry.right() + 1, geometry.top(), 18, geometry.height()));
        QVERIFY(spin->spinButtons()->isVisible());
    }

    // Nothing else covers the control: a click on its centre reaches it, even
    // where it lies on a group box it is not part of.
    if (visible && !control->testAttribute(Qt::WA_TransparentForMouseEvents)) {
        QWidget* hit = m_window->childAt(control->mapTo(m_window.get(), control->rect().center()));
        QVERIFY2(hit == control || control->isAncestorOf(hit),
                 qPrintable(hit != nullptr ? hit->objectName() + QLatin1Char(' ') +
                                                 hit->metaObject()->className()
                                           : QStringLiteral("nothing")));
    }
}

void MainWindowTest::windowFrame() {
    start();
    QCOMPARE(m_window->objectName(), QStringLiteral("主窗口"));
    QVERIFY(m_window->isWindow());
    QCOMPARE(m_window->size(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
    QCOMPARE(m_window->minimumSize(), m_window->size());
    QCOMPARE(m_window->maximumSize(), m_window->size());
    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowStaysOnTopHint));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Velmora 原创By: Quorin"));
    QVERIFY(!m_window->windowIcon().isNull());
    QCOMPARE(m_window->pos(), centred());

    // Every control holds its text with 8 px to spare at the right and bottom.
    QRect used;
    for (const QWidget* child : m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden()) {
            used |= child->geometry();
        }
    }
    QCOMPARE(used.right() + 1 + 8, MainWindow::kClientWidth);
    QCOMPARE(used.bottom() + 1 + 8, MainWindow::kClientHeight);

    QCOMPARE(m_window->font().pixelSize(), 12);
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : velmora::ui::PreferredWindowFontFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            QCOMPARE(QFontInfo(m_window->font()).family(), family);
            break;
        }
    }
}

void MainWindowTest::textsFitTheirControls() {
    start();
    // The longest texts the clock can put into its labels.
    find<QLabel>(QStringLiteral("透明标签显示时间"))
        ->setText(QStringLiteral("2024年12月31日23时59分59秒"));
    find<QLabel>(QStringLiteral("透明标签开机时间"))->setText(QStringLiteral("1193 时 59 分"));

    const auto labels = m_window->findChildren<velmora::ui::TransparentLabel*>();
    QCOMPARE(labels.size(), 24);
    for (const auto* label : labels) {
        const QFont font = label->fittedFont();
        const QRect room = label->contentsRect();
        const QRect needed = QFontMetrics(font).boundingRect(
            room, velmora::ui::TransparentLabel::kTextFlags, label->text());
        QVERIFY2(room.contains(needed), qPrintable(label->objectName()));
        // Every caption of the layout stands on one line.
        const QRect oneLine =
            QFontMetrics(font).boundingRect(room, Qt::AlignLeft | Qt::AlignTop, label->text());
        QVERIFY2(room.contains(oneLine), qPrintable(label->objectName()));
        QVERIFY2(
            font.stretch() == 0 || font.stretch() >= velmora::ui::TransparentLabel::kMinimumStretch,
            qPrintable(label->objectName()));
    }
    for (const auto* button : m_window->findChildren<velmora::ui::PushButton*>()) {
        const QRect room = button->captionRect();
        const QRect needed =
            QFontMetrics(button->font())
                .boundingRect(room, velmora::ui::PushButton::kCaptionFlags, button->text());
        QVERIFY2(room.contains(needed), qPrintable(button->objectName()));
    }
}

// ---------------------------------------------------------------- start-up and clock

void MainWindowTest::timersIdleUntilTheClockStarts() {
    create();
    for (const char* name : {"时钟1实施显示时间", "时钟2倒计时", "时钟次数1"}) {
        const auto* timer = find<QTimer>(QString::fromUtf8(name));
        QVERIFY2(timer != nullptr, name);
        QVERIFY2(!timer->isActive(), name);
    }
    QCOMPARE(m_state.lastClockReading, 0.0);
    QVERIFY(find<QLabel>(QStringLiteral("透明标签显示时间"))->text().isEmpty());

    m_window->runCreationSequence();
    const auto* clockTimer = find<QTimer>(QStringLiteral("时钟1实施显示时间"));
    QVERIFY(clockTimer->isActive());
    QVERIFY(clockTimer->isSingleShot());
    QCOMPARE(clockTimer->timerType(), Qt::PreciseTimer);
    QVERIFY(!find<QTimer>(QStringLiteral("时钟2倒计时"))->isActive());
    QVERIFY(!find<QTimer>(QStringLiteral("时钟次数1"))->isActive());
}

void MainWindowTest::creationSequence_data() {
    QTest::addColumn<bool>("settingsFound");
    QTest::addColumn<QStringList>("expectedSteps");
    QTest::newRow("no settings file")
        << false << QStringList{"startSkinning", "settingsStartUp", "calendarLabels"};
    QTest::newRow("settings found")
        << true
        << QStringList{"startSkinning", "settingsStartUp", "rearmRepeatingTask", "calendarLabels"};
}

void MainWindowTest::creationSequence() {
    QFETCH(bool, settingsFound);
    QFETCH(QStringList, expectedSteps);

    QStringList steps;
    QStringList faults;
    const auto step = [&](const QString& name) {
        return [&, name](MainWindow& window) {
            steps << name;
            if (window.windowTitle() != MainWindow::caption()) {
                faults << name + QStringLiteral(": caption not yet set");
            }
            if (!window.control(QStringLiteral("动画框1"))->isVisibleTo(&window) ||
                !window.control(QStringLiteral("动画物体1"))->isVisibleTo(&window)) {
                faults << name + QStringLiteral(": animation not yet shown");
            }
            if (window.control<QTimer>(QStringLiteral("时钟1实施显示时间"))->isActive() ||
                window.state().lastClockReading != 0.0) {
                faults << name + QStringLiteral(": clock already started");
            }
        };
    };
    m_hooks.startSkinning = step(QStringLiteral("startSkinning"));
    m_hooks.settingsStartUp = [&, inner = step(QStringLiteral("settingsStartUp"))](MainWindow& w) {
        inner(w);
        w.state().settingsFoundAtStart = settingsFound;
    };
    m_hooks.rearmRepeatingTask = step(QStringLiteral("rearmRepeatingTask"));
    m_hooks.calendarLabels = step(QStringLiteral("calendarLabels"));

    create();
    m_window->runCreationSequence();
    QCOMPARE(steps, expectedSteps);
    QCOMPARE(faults, QStringList{});
    // The clock's first tick ran at once: nothing ever reads a reading of 0.0.
    QVERIFY(find<QTimer>(QStringLiteral("时钟1实施显示时间"))->isActive());
    QVERIFY(m_state.lastClockReading != 0.0);
    QVERIFY(!find<QLabel>(QStringLiteral("透明标签显示时间"))->text().isEmpty());
}

void MainWindowTest::clockTick_data() {
    QTest::addColumn<qint64>("localMs");  // local civil time, ms since 1970-01-01 00:00
    QTest::addColumn<quint64>("uptimeMs");
    QTest::addColumn<QString>("timeText");
    QTest::addColumn<QString>("uptimeText");
    QTest::addColumn<int>("delayMs");  // until the next tick

    const auto row = [](const char* name, LocalMillis local, std::uint64_t uptime,
                        const char* timeText, const char* uptimeText, int delay) {
        QTest::newRow(name) << qint64{local.time_since_epoch().count()} << quint64{uptime}
                            << QString::fromUtf8(timeText) << QString::fromUtf8(uptimeText)
                            << delay;
    };
    row("a quarter into a second", Local(2024, 5, 1, 8h + 5min + 9s + 250ms), 5'025'000,
        "2024年5月1日8时5分9秒", "1 时 23 分", 755);
    row("end of a second and of the year", Local(2024, 12, 31, 23h + 59min + 59s + 999ms),
        86'399'999, "2024年12月31日23时59分59秒", "23 时 59 分", 6);
    row("on the second, midnight", Local(2024, 2, 29, 0ms), 0, "2024年2月29日", "0 时 0 分", 1005);
    row("uptime at the top of 32 bits", Local(2024, 5, 1, 12h), 4'294'967'295ULL,
        "2024年5月1日12时", "1193 时 2 分", 1005);
    row("uptime wrapped past 32 bits", Local(2024, 5, 1, 12h), 4'294'967'296ULL + 60'000,
        "2024年5月1日12时", "0 时 1 分", 1005);
}

void MainWindowTest::clockTick() {
    QFETCH(qint64, localMs);
    QFETCH(quint64, uptimeMs);
    QFETCH(QString, timeText);
    QFETCH(QString, uptimeText);
    QFETCH(int, delayMs);

    start();
    const LocalMillis local{std::chrono::milliseconds{localMs}};
    m_clock.setLocal(local);
    m_clock.setMsSinceBoot(uptimeMs);
    m_window->clockTick();

    QCOMPARE(find<QLabel>(QStringLiteral("透明标签显示时间"))->text(), timeText);
    QCOMPARE(find<QLabel>(QStringLiteral("透明标签开机时间"))->text(), uptimeText);
    QVERIFY2(qAbs(m_state.lastClockReading - DayCount(local)) < 0.5 / 86400,
             qPrintable(QString::number(m_state.lastClockReading, 'f', 9)));

    // Armed for just after the next wall-clock second begins.
    const auto* timer = find<QTimer>(QStringLiteral("时钟1实施显示时间"));
    QVERIFY(timer->isActive());
    QVERIFY2(timer->remainingTime() <= delayMs && timer->remainingTime() >= delayMs - 100,
             qPrintable(QString::number(timer->remainingTime())));
}

// ---------------------------------------------------------------- clock-time boxes

void MainWindowTest::inputRules_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("expected");

    const QString hour = QStringLiteral("编辑框时");
    const QString minute = QStringLiteral("编辑框时分");
    const QString second = QStringLiteral("编辑框时秒");
    struct Row {
        const char* name;
        QString box;
        const char* written;
        const char* expected;
    };
    const Row rows[] = {
        {"hour 0", hour, "0", "1"},
        {"hour 25", hour, "25", "1"},
        {"hour 24.5", hour, "24.5", "1"},
        {"hour no digits", hour, "abc", "1"},
        {"hour empty", hour, "", "1"},
        {"hour within tolerance of 0", hour, "0.00000001", "1"},
        {"hour full-width 25", hour, "２５", "1"},
        {"hour 24", hour, "24", "24"},
        {"hour 1", hour, "1", "1"},
        {"hour 0.5", hour, "0.5", "0.5"},
        {"hour -3", hour, "-3", "-3"},
        {"hour leading number", hour, "7点", "7点"},
        {"hour full-width 12", hour, "１２", "１２"},
        {"minute 60", minute, "60", "0"},
        {"minute 59.5", minute, "59.5", "0"},
        {"minute 59", minute, "59", "59"},
        {"minute within tolerance of 59", minute, "59.00000001", "59.00000001"},
        {"minute 0", minute, "0", "0"},
        {"minute no digits", minute, "abc", "abc"},
        {"minute -5", minute, "-5", "-5"},
        {"second 60", second, "60", "0"},
        {"second 59.5", second, "59.5", "0"},
        {"second 59", second, "59", "59"},
        {"second full-width 60", second, "６０", "0"},
    };
    for (const Row& row : rows) {
        QTest::newRow(row.name) << row.box << QString::fromUtf8(row.written)
                                << QString::fromUtf8(row.expected);
    }
}

void MainWindowTest::inputRules() {
    QFETCH(QString, box);
    QFETCH(QString, written);
    QFETCH(QString, expected);

    start();
    auto* edit = find<QLineEdit>(box);
    edit->setText(written);
    QCOMPARE(edit->text(), expected);
    // Each rule looks after its own box only.
    for (const char* other : {"编辑框时", "编辑框时分", "编辑框时秒"}) {
        if (QString::fromUtf8(other) != box) {
            QCOMPARE(find<QLineEdit>(QString::fromUtf8(other))->text(), QStringLiteral("12"));
        }
    }

    // Typed key by key the rule runs on every keystroke: the box never holds
    // a text its rule rejects.
    edit->clear();
    Type(edit, written);
    const std::string typed = edit->text().toStdString();
    const bool passes = box == QLatin1String("编辑框时")
                            ? !velmora::app::HourBoxRule(typed).has_value()
                            : !velmora::app::MinuteSecondBoxRule(typed).has_value();
    QVERIFY2(passes, typed.c_str());
}

void MainWindowTest::spinButtons_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("action");  // up / down arrow click, keyUp / keyDown
    QTest::addColumn<QString>("after");

    const QString hour = QStringLiteral("编辑框时");
    const QString minute = QStringLiteral("编辑框时分");
    const QString second = QStringLiteral("编辑框时秒");
    QTest::newRow("hour 24 up wraps") << hour << "24"
                                      << "up"
                                      << "1";
    QTest::newRow("hour 1 down wraps") << hour << "1"
                                       << "down"
                                       << "24";
    QTest::newRow("hour 0.5 up") << hour << "0.5"
                                 << "up"
                                 << "1";
    QTest::newRow("hour 12 up") << hour << "12"
                                << "up"
                                << "13";
    QTest::newRow("hour 12 down") << hour << "12"
                                  << "down"
                                  << "11";
    QTest::newRow("hour leading number") << hour << "7点"
                                         << "up"
                                         << "8";
    QTest::newRow("hour -3 up out of range") << hour << "-3"
                                             << "up"
                                             << "1";
    QTest::newRow("minute 59 up wraps") << minute << "59"
                                        << "up"
                                        << "0";
    QTest::newRow("minute 0 down wraps") << minute << "0"
                                         << "down"
                                         << "59";
    QTest::newRow("minute 75 up") << minute << "75"
                                  << "up"
                                  << "0";
    QTest::newRow("minute no digits up") << minute << "abc"
                                         << "up"
                                         << "1";
    QTest::newRow("second 59 up wraps") << second << "59"
                                        << "up"
                                        << "0";
    QTest::newRow("second 30 down") << second << "30"
                                    << "down"
                                    << "29";
    QTest::newRow("second Up key wraps") << second << "59"
                                         << "keyUp"
                                         << "0";
    QTest::newRow("hour Down key wraps") << hour << "1"
                                         << "keyDown"
                                         << "24";
}

void MainWindowTest::spinButtons() {
    QFETCH(QString, box);
    QFETCH(QString, before);
    QFETCH(QString, action);
    QFETCH(QString, after);

    start();
    auto* spin = find<velmora::ui::SpinEdit>(box);
    QVERIFY(spin != nullptr);
    {
        // Set up as restored, past the box's rule: "75" in a minute box.
        const QSignalBlocker quiet(spin);
        spin->setText(before);
    }
    find<QWidget>(QStringLiteral("按钮执行"))->setFocus();

    if (action == QLatin1String("up")) {
        QTest::mouseClick(spin->upButton(), Qt::LeftButton);
    } else if (action == QLatin1String("down")) {
        QTest::mouseClick(spin->downButton(), Qt::LeftButton);
    } else {
        QTest::keyClick(spin, action == QLatin1String("keyUp") ? Qt::Key_Up : Qt::Key_Down);
    }
    QCOMPARE(spin->text(), after);
    QCOMPARE(spin->selectedText(), after);
    QCOMPARE(m_window->focusWidget(), static_cast<QWidget*>(spin));
}

void MainWindowTest::spinButtonsFollowTheirBox() {
    start();
    auto* spin = find<velmora::ui::SpinEdit>(QStringLiteral("编辑框时分"));
    spin->setText(QStringLiteral("30"));

    spin->setEnabled(false);
    QVERIFY(!spin->spinButtons()->isEnabled());
    spin->stepBy(+1);
    QCOMPARE(spin->text(), QStringLiteral("30"));
    spin->setEnabled(true);
    QVERIFY(spin->spinButtons()->isEnabled());

    spin->hide();
    QVERIFY(!spin->spinButtons()->isVisible());
    spin->stepBy(+1);
    QCOMPARE(spin->text(), QStringLiteral("30"));
    spin->show();
    QVERIFY(spin->spinButtons()->isVisible());

    spin->move(100, 60);
    spin->resize(40, 30);
    QCOMPARE(spin->spinButtons()->geometry(), QRect(140, 60, 18, 30));
    // A window hidden in the tray and shown again brings the arrows back.
    m_window->hide();
    m_window->show();
    QVERIFY(spin->spinButtons()->isVisible());
}

void MainWindowTest::clearButton() {
    start();
    auto* hour = find<QLineEdit>(QStringLiteral("编辑框时"));
    auto* minute = find<QLineEdit>(QStringLiteral("编辑框时分"));
    auto* second = find<QLineEdit>(QStringLiteral("编辑框时秒"));
    hour->setText(QStringLiteral("5"));
    minute->setText(QStringLiteral("0"));  // already the value written: still fires
    second->setText(QStringLiteral("7"));
    QSignalSpy hourChanges(hour, &QLineEdit::textChanged);
    QSignalSpy minuteChanges(minute, &QLineEdit::textChanged);

    QTest::mouseClick(find<QPushButton>(QStringLiteral("按钮1")), Qt::LeftButton);
    QCOMPARE(hour->text(), QStringLiteral("1"));
    QCOMPARE(minute->text(), QStringLiteral("0"));
    QCOMPARE(second->text(), QStringLiteral("0"));
    // "0" was written, and the hour rule turned it into "1" inside that write
    // (so a listener connected after the rule hears the "1" first).
    QStringList hourTexts;
    for (const auto& change : hourChanges) {
        hourTexts << change.first().toString();
    }
    hourTexts.sort();
    QCOMPARE(hourTexts, (QStringList{"0", "1"}));
    QCOMPARE(minuteChanges.size(), 1);
}

void MainWindowTest::hostileInput_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("letters") << QStringLiteral("abcXYZ");
    QTest::newRow("full-width digits") << QStringLiteral("１２３．５");
    QTest::newRow("control characters") << QString::fromLatin1("\x01\x02\x7f\t\r\n\x1b", 7);
    QTest::newRow("lone surrogate") << QString(QChar(0xD800));
    QTest::newRow("emoji") << QStringLiteral("😀⏰");
    QTest::newRow("huge exponent") << QStringLiteral("1e99999");
    QTest::newRow("nan and inf") << QStringLiteral("nan inf -inf");
    QTest::newRow("signs only") << QStringLiteral("+-.e");
    QTest::newRow("10 000 digits") << QString(10'000, QLatin1Char('9'));
    QTest::newRow("10 000 letters") << QString(10'000, QLatin1Char('x'));
}

void MainWindowTest::hostileInput() {
    QFETCH(QString, text);

    start();
    const auto edits = m_window->findChildren<QLineEdit*>();
    QVERIFY(edits.size() >= 10);  // the window's boxes and the combo and date fields
    for (QLineEdit* edit : edits) {
        edit->setText(text);
        QApplication::clipboard()->setText(text);
        edit->selectAll();
        edit->paste();
        if (text.size() < 100) {
            edit->selectAll();
            Type(edit, text);
        }
    }
    for (auto* combo : m_window->findChildren<QComboBox*>()) {
        QTest::keyClick(combo, Qt::Key_Return);
    }
    const auto hour = find<QLineEdit>(QStringLiteral("编辑框时"))->text().toStdString();
    const auto minute = find<QLineEdit>(QStringLiteral("编辑框时分"))->text().toStdString();
    const auto second = find<QLineEdit>(QStringLiteral("编辑框时秒"))->text().toStdString();
    QVERIFY2(!velmora::app::HourBoxRule(hour).has_value(), hour.c_str());
    QVERIFY2(!velmora::app::MinuteSecondBoxRule(minute).has_value(), minute.c_str());
    QVERIFY2(!velmora::app::MinuteSecondBoxRule(second).has_value(), second.c_str());
    QCOMPARE(find<QComboBox>(QStringLiteral("组合框1"))->count(), 5);
    QVERIFY(m_window->isVisible());
}

// ---------------------------------------------------------------- tray

void MainWindowTest::trayIconBeforeFirstShowAndNeverTwo() {
    create();
    m_window->runCreationSequence();
    m_window->positionChanged();
    QVERIFY(!m_window->isVisible());
    QCOMPARE(trayIcons().size(), 1);
    QVERIFY(trayIcons().first()->isVisible());
    QCOMPARE(trayIcons().first()->toolTip(), QStringLiteral("Tarnvel"));
    QVERIFY(!trayIcons().first()->icon().isNull());

    m_window->showCentred();
    for (int i = 0; i < 5; ++i) {
        m_window->move(20 * i, 10 * i);
        m_window->positionChanged();
    }
    settle();
    QCOMPARE(trayIcons().size(), 1);
    QVERIFY(trayIcons().first()->isVisible());
    QCOMPARE(trayIcons().first()->toolTip(), QStringLiteral("Tarnvel"));
}

void MainWindowTest::minimise_data() {
    QTest::addColumn<bool>("trayAtStart");
    QTest::addColumn<bool>("trayWhenMinimised");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("tray") << true << true << true;
    QTest::newRow("no tray: stays minimised in the taskbar") << true << false << false;
    QTest::newRow("tray came up after start") << false << true << true;
}

void MainWindowTest::minimise() {
    QFETCH(bool, trayAtStart);
    QFETCH(bool, trayWhenMinimised);
    QFETCH(bool, hidden);

    m_trayAvailable = trayAtStart;
    start();
    m_trayAvailable = trayWhenMinimised;
    m_window->showMinimized();
    settle();
    QCOMPARE(m_window->isVisible(), !hidden);
    QVERIFY(m_window->isMinimized());
    QCOMPARE(trayIcons().size(), 1);
    QVERIFY(trayIcons().first()->isVisible());
}

void MainWindowTest::trayActivation_data() {
    QTest::addColumn<bool>("statusNotifier");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("reason");
    QTest::addColumn<bool>("visibleAfter");

    const auto doubleClick = QSystemTrayIcon::DoubleClick;
    const auto click = QSystemTrayIcon::Trigger;
    const auto rightClick = QSystemTrayIcon::Context;
    const auto middleClick = QSystemTrayIcon::MiddleClick;
    QTest::newRow("double-click hides a shown window") << false << "shown" << doubleClick << false;
    QTest::newRow("double-click brings back a minimised one")
        << false << "minimisedToTray" << doubleClick << true;
    QTest::newRow("double-click brings back a hidden one")
        << false << "hiddenFromTray" << doubleClick << true;
    QTest::newRow("double-click hides a window minimised without tray")
        << false << "minimisedNoTray" << doubleClick << false;
    QTest::newRow("click on shown") << false << "shown" << click << true;
    QTest::newRow("click on hidden") << false << "minimisedToTray" << click << false;
    QTest::newRow("right click on shown") << false << "shown" << rightClick << true;
    QTest::newRow("right click on hidden") << false << "hiddenFromTray" << rightClick << false;
    QTest::newRow("middle click on hidden") << false << "hiddenFromTray" << middleClick << false;
    QTest::newRow("StatusNotifier: activate hides") << true << "shown" << click << false;
    QTest::newRow("StatusNotifier: activate brings back")
        << true << "minimisedToTray" << click << true;
    QTest::newRow("StatusNotifier: menu does nothing")
        << true << "hiddenFromTray" << rightClick << false;
    QTest::newRow("StatusNotifier: menu on shown") << true << "shown" << rightClick << true;
}

void MainWindowTest::trayActivation() {
    QFETCH(bool, statusNotifier);
    QFETCH(QString, state);
    QFETCH(QSystemTrayIcon::ActivationReason, reason);
    QFETCH(bool, visibleAfter);

    m_statusNotifier = statusNotifier;
    start();
    m_window->move(centred() + QPoint(-100, 37));  // off centre
    enterState(state);
    const bool wasVisible = m_window->isVisible();
    const QPoint before = m_window->pos();

    QCOMPARE(trayIcons().size(), 1);
    emit trayIcons().first()->activated(reason);
    settle();
    QCOMPARE(m_window->isVisible(), visibleAfter);
    if (visibleAfter && !wasVisible) {
        // Back at normal size, centred.
        QVERIFY(!m_window->isMinimized());
        QCOMPARE(m_window->size(), QSize(MainWindow::kClientWidth, MainWindow::kClientHeight));
        QCOMPARE(m_window->pos(), centred());
    } else if (visibleAfter) {
        QCOMPARE(m_window->pos(), before);
    }
    QCOMPARE(trayIcons().size(), 1);
}

void MainWindowTest::trayKindRecheckedWhenMinimised() {
    // The program started before the panel: Qt made an icon for the old kind
    // of tray. A StatusNotifier panel is up by the time the window is minimised.
    m_statusNotifier = false;
    start();
    QSystemTrayIcon* first = m_window->trayIcon();
    m_statusNotifier = true;
    m_window->showMinimized();
    settle();
    QVERIFY(!m_window->isVisible());
    QCOMPARE(trayIcons().size(), 1);
    QVERIFY(trayIcons().first() != first);
    QCOMPARE(trayIcons().first(), m_window->trayIcon());

    emit m_window->trayIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(m_window->isVisible());
}

// ---------------------------------------------------------------- animation

void MainWindowTest::animationPlaysOnlyWhileShown_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("running");
    QTest::newRow("shown") << "shown" << true;
    QTest::newRow("minimised to the tray") << "minimisedToTray" << false;
    QTest::newRow("hidden from the tray") << "hiddenFromTray" << false;
    QTest::newRow("minimised without tray") << "minimisedNoTray" << false;
}

void MainWindowTest::animationPlaysOnlyWhileShown() {
    QFETCH(QString, state);
    QFETCH(bool, running);

    start();
    auto* copy = sprite();
    QVERIFY(copy != nullptr);
    QCOMPARE(copy->pos(), QPoint(5, 5));
    QCOMPARE(copy->size(), QSize(100, 90));
    QVERIFY(copy->isVisible());

    enterState(state);
    QCOMPARE(copy->movie()->state() == QMovie::Running, running);

    // Back on the screen, it plays again.
    emit m_window->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    if (!m_window->isVisible()) {
        emit m_window->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    }
    QVERIFY(m_window->isVisible());
    QCOMPARE(copy->movie()->state(), QMovie::Running);
}

void MainWindowTest::animationKeysOutTopLeftColour() {
    start();
    auto* copy = sprite();
    QVERIFY(copy != nullptr);
    for (int frame : {0, copy->movie()->frameCount() / 2}) {
        QVERIFY(copy->movie()->jumpToFrame(frame));
        const QImage original =
            copy->movie()->currentImage().convertToFormat(QImage::Format_ARGB32);
        const QImage shown = copy->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shown.size(), original.size());
        const QRgb key = original.pixel(0, 0);
        int keyed = 0;
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                if (original.pixel(x, y) == key) {
                    QCOMPARE(qAlpha(shown.pixel(x, y)), 0);
                    ++keyed;
                } else {
                    QCOMPARE(shown.pixel(x, y), original.pixel(x, y));
                }
            }
        }
        QVERIFY(keyed > 0);
    }
}

// ---------------------------------------------------------------- keyboard and end

void MainWindowTest::escape_data() {
    QTest::addColumn<QString>("focus");
    for (const char* name :
         {"编辑框开机后时", "编辑框时", "组合框1", "按钮执行", "选择框关机提示"}) {
        QTest::newRow(name) << QString::fromUtf8(name);
    }
}

void MainWindowTest::escape() {
    QFETCH(QString, focus);

    start();
    QWidget* control = find<QWidget>(focus);
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Escape);
    settle();
    QVERIFY(!m_window->isVisible());
    QVERIFY(trayIcons().isEmpty());
    QCOMPARE(m_exitCodes, std::vector<int>{0});
}

void MainWindowTest::escapeInOpenDropDownOnlyClosesIt() {
    start();
    auto* combo = find<QComboBox>(QStringLiteral("组合框2"));
    combo->setFocus();
    combo->showPopup();
    QVERIFY(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    settle();
    QVERIFY(!combo->view()->isVisible());
    QVERIFY(m_window->isVisible());
    QVERIFY(m_exitCodes.empty());
}

void MainWindowTest::enterKeepsFocus_data() {
    QTest::addColumn<QString>("focus");
    for (const char* name :
         {"编辑框开机后时", "编辑框时", "编辑框关机提示秒", "组合框1", "日期框1"}) {
        QTest::newRow(name) << QString::fromUtf8(name);
    }
}

void MainWindowTest::enterKeepsFocus() {
    QFETCH(QString, focus);

    start();
    QWidget* control = find<QWidget>(focus);
    control->setFocus();
    QWidget* focused = m_window->focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(QStringLiteral("输入"));
    }
    QTest::keyClick(focused, Qt::Key_Return);
    QTest::keyClick(focused, Qt::Key_Enter);
    settle();
    QCOMPARE(m_window->focusWidget(), focused);
    QVERIFY(m_window->isVisible());
    // A drop-down keeps its list as it is.
    QCOMPARE(find<QComboBox>(QStringLiteral("组合框1"))->count(), 5);
}

void MainWindowTest::exitButton() {
    start();
    QTest::mouseClick(find<QPushButton>(QStringLiteral("按钮退出")), Qt::LeftButton);
    QCOMPARE(m_exitCodes, std::vector<int>{0});
}

void MainWindowTest::closingEndsProgram_data() {
    QTest::addColumn<bool>("otherWindowOpen");
    QTest::newRow("main window alone") << false;
    QTest::newRow("another window still open") << true;
}

void MainWindowTest::closingEndsProgram() {
    QFETCH(bool, otherWindowOpen);

    start();
    QWidget other;
    if (otherWindowOpen) {
        other.show();
    }
    m_window->close();
    settle();
    QVERIFY(!m_window->isVisible());
    QVERIFY(trayIcons().isEmpty());
    if (!otherWindowOpen) {
        QCOMPARE(m_exitCodes, std::vector<int>{0});
        return;
    }
    QVERIFY(m_exitCodes.empty());
    // A move of the closed window must not bring the tray icon back.
    m_window->positionChanged();
    QVERIFY(trayIcons().isEmpty());
    other.close();
    settle();
    QCOMPARE(m_exitCodes, std::vector<int>{0});
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
