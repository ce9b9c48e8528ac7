// The skins in the real program's window with its real steps: StartSkinning and
// the start-up skin, the skin button and SkinNumber, the warning window's skin
// 8, and the library file in the program's folder. A recorder stands in for the
// skinning library and notes, at each call, whether the file was there.

#include <chrono>
#include <filesystem>
#include <memory>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/schedule_step.h"
#include "app/services.h"
#include "app/skin_step.h"
#include "app/startup_steps.h"
#include "hermetic_test_main.h"
#include "persist/profile_file.h"
#include "platform/fake/fake_autostart.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_power.h"
#include "ui/message_box.h"
#include "ui/skin_library.h"
#include "ui/skin_library_file.h"
#include "ui/skins.h"

using namespace std::chrono;
namespace fs = std::filesystem;
using velmora::app::MainWindow;
using velmora::platform::LocalMillis;

namespace {

// 2024-05-01 10:00:00.250; the machine has run for an hour.
const LocalMillis kStart =
    LocalMillis{local_days{2024y / May / 1}.time_since_epoch()} + 10h + 250ms;

// One call of the library: glass on or off, or the skin attached (0: none,
// -1: bytes that are no skin of the program's).
struct Call {
    enum Entry { Glass, Attach } entry;
    int value;
    bool fileThere;
    bool operator==(const Call&) const = default;
};

Call Glass(int on) {
    return {Call::Glass, on, true};
}
Call Attach(int skin) {
    return {Call::Attach, skin, true};
}

class RecordingSkinLibrary : public velmora::ui::SkinLibrary {
public:
    RecordingSkinLibrary(std::vector<Call>& calls, fs::path file)
        : m_calls(calls), m_file(std::move(file)) {}

    void setGlass(int on) override { m_calls.push_back({Call::Glass, on, fileThere()}); }

    void attach(const void* data, int size) override {
        int skin = data == nullptr && size == 0 ? 0 : -1;
        const QByteArray bytes(static_cast<const char*>(data), size);
        for (int number = 1; data != nullptr && number <= velmora::ui::kSkinCount; ++number) {
            if (bytes == velmora::ui::SkinBytes(number)) {
                skin = number;
            }
        }
        m_calls.push_back({Call::Attach, skin, fileThere()});
    }

private:
    bool fileThere() const { return fs::is_regular_file(m_file); }

    std::vector<Call>& m_calls;
    fs::path m_file;
};

}  // namespace

namespace {
QByteArray Describe(const Call& call) {
    return (call.entry == Call::Glass ? "glass(" : "attach(") + QByteArray::number(call.value) +
           (call.fileThere ? ")" : ", no file)");
}
}  // namespace

namespace QTest {
template <>
char* toString(const Call& call) {
    return qstrdup(Describe(call).constData());
}
template <>
char* toString(const std::vector<Call>& calls) {
    QByteArrayList text;
    for (const Call& call : calls) {
        text.append(Describe(call));
    }
    return qstrdup(text.join(' ').constData());
}
}  // namespace QTest

class SkinStepTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartWritesTheLibraryThenShowsSkin8();
    void startUpSkinAndTheButton_data();
    void startUpSkinAndTheButton();
    void warningWindowShowsSkin8AndLeavesTheNumber();
    void aDeletedLibraryFileComesBack();
    void withoutSkinsTheFirstStartStillKeeps8();

private:
    MainWindow& start(bool withSkins = true) {
        m_window = std::make_unique<MainWindow>(*m_state, m_clock, NoDesktop(),
                                                velmora::app::ProgramCreationHooks(m_services));
        if (withSkins) {
            velmora::app::AttachSkins(
                *m_window, std::make_unique<RecordingSkinLibrary>(m_calls, libraryFile()));
        }
        velmora::app::ConnectProgramHandlers(*m_window, m_services);
        m_window->runCreationSequence();
        m_window->positionChanged();
        m_window->showCentred();
        return *m_window;
    }
    static velmora::app::DesktopShell NoDesktop() {
        velmora::app::DesktopShell shell;
        shell.systemTrayAvailable = [] { return false; };
        shell.statusNotifierTray = [] { return false; };
        shell.exitProgram = [](int) {};
        return shell;
    }
    // The example's settings with `value` in slot 1 (the saved skin).
    void savedSkin(const char* value) {
        QVERIFY(QFile::copy(QStringLiteral(VELMORA_TEST_DATA_DIR "/profile_example.ini"),
                            m_settingsPath));
        QFile::setPermissions(m_settingsPath, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(m_file.writeValue("配置1", "配置", value));
    }
    fs::path libraryFile() const {
        return fs::path(m_folder->path().toStdString()) / velmora::ui::kSkinLibraryFileName;
    }
    template <typename T = QWidget>
    T* find(const char* name) const {
        return m_window->control<T>(QString::fromUtf8(name));
    }
    void clickSkinButton() { find<QPushButton>("按钮皮肤")->click(); }
    // A countdown of 5 s with a warning 2 s ahead: the warning window opens on
    // the third second.
    void openWarningWindow() {
        find<QComboBox>("组合框2")->setCurrentIndex(0);
        find<QRadioButton>("单选框倒计时关机")->setChecked(true);
        find<QLineEdit>("编辑框倒计时")->setText(QStringLiteral("0"));
        find<QLineEdit>("编辑框倒计分")->setText(QStringLiteral("0"));
        find<QLineEdit>("编辑框倒计秒")->setText(QStringLiteral("5"));
        find<QCheckBox>("选择框关机提示")->setChecked(true);
        find<QLineEdit>("编辑框关机提示秒")->setText(QStringLiteral("2"));
        find<QPushButton>("按钮执行")->click();
        auto& schedule = *m_window->findChild<velmora::app::ScheduleController*>();
        for (int second = 0; second < 3; ++second) {
            m_clock.advance(1s);
            m_window->clockTick();
            schedule.onceTick();
        }
        QVERIFY(schedule.warningOpener().window() != nullptr);
    }

    const QString m_settingsPath =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/delp.ini");
    const velmora::persist::ProfileFile m_file{m_settingsPath.toStdString()};
    velmora::platform::FakeClock m_clock{kStart, 3'600'000};
    velmora::platform::FakeAutostart m_autostart;
    velmora::platform::FakePower m_power;
    velmora::app::Services m_services{
        m_clock,
        m_file,
        m_autostart,
        m_power,
        "/opt/velmora/velmora",
        [](const QString&, const QString&, int) { return velmora::ui::kResultOk; }};
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<velmora::app::ProgramState> m_state;
    std::unique_ptr<MainWindow> m_window;
    std::vector<Call> m_calls;
};

void SkinStepTest::init() {
    QFile::remove(m_settingsPath);
    m_clock = velmora::platform::FakeClock{kStart, 3'600'000};
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_state = std::make_unique<velmora::app::ProgramState>();
    m_state->programFolder = m_folder->path().toStdString();
    m_calls.clear();
}

void SkinStepTest::cleanup() {
    m_window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SkinStepTest::firstStartWritesTheLibraryThenShowsSkin8() {
    start();
    // The file is written before the glass call, the first that loads the
    // library.
    QCOMPARE(m_calls, (std::vector<Call>{Glass(1), Attach(8)}));
    QCOMPARE(m_state->skinNumber, 8);
    QFile written(QString::fromStdString(libraryFile().string()));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const auto image = velmora::ui::SkinLibraryImage();
    QCOMPARE(written.readAll(), QByteArray(reinterpret_cast<const char*>(image.data()),
                                           static_cast<qsizetype>(image.size())));

    clickSkinButton();
    QCOMPARE(m_calls.back(), Attach(9));
    QCOMPARE(m_state->skinNumber, 9);
}

void SkinStepTest::startUpSkinAndTheButton_data() {
    QTest::addColumn<QString>("slot1");
    QTest::addColumn<int>("applied");  // at start-up; 0: no skin
    QTest::addColumn<int>("number");   // SkinNumber after start-up
    // SkinNumber after each click, the skin applied being that number, or none
    // outside 1 to 33.
    QTest::addColumn<QList<int>>("clicks");
    QTest::newRow("12") << "12" << 12 << 12 << QList<int>{13};
    QTest::newRow("12.9 is cut to 12") << "12.9" << 12 << 12 << QList<int>{13};
    QTest::newRow("abc gives 0, no skin") << "abc" << 0 << 0 << QList<int>{1, 2};
    QTest::newRow("50 stays 50") << "50" << 0 << 50 << QList<int>{1};
    QTest::newRow("33 wraps to 1") << "33" << 33 << 33 << QList<int>{1, 2};
    QTest::newRow("32 then 33") << "32" << 32 << 32 << QList<int>{33, 1};
    QTest::newRow("-2 climbs to 1") << "-2" << 0 << -2 << QList<int>{-1, 0, 1};
    QTest::newRow("empty first slot: no settings") << "" << 8 << 8 << QList<int>{9};
}

void SkinStepTest::startUpSkinAndTheButton() {
    QFETCH(QString, slot1);
    QFETCH(int, applied);
    QFETCH(int, number);
    QFETCH(QList<int>, clicks);
    savedSkin(slot1.toUtf8().constData());
    start();
    QCOMPARE(m_calls, (std::vector<Call>{Glass(1), Attach(applied)}));
    QCOMPARE(m_state->skinNumber, number);
    for (const int next : clicks) {
        clickSkinButton();
        QCOMPARE(m_state->skinNumber, next);
        QCOMPARE(m_calls.back(), Attach(next >= 1 && next <= velmora::ui::kSkinCount ? next : 0));
    }
    // Nothing saves the number but the save button.
    QCOMPARE(QString::fromStdString(m_file.readValue("配置1", "配置")), slot1);
}

void SkinStepTest::warningWindowShowsSkin8AndLeavesTheNumber() {
    savedSkin("12");
    start();
    openWarningWindow();
    QCOMPARE(m_calls.back(), Attach(8));
    QCOMPARE(m_state->skinNumber, 12);

    // Saving stores the user's skin, not the one on show.
    find<QPushButton>("按钮保存")->click();
    QCOMPARE(m_file.readValue("配置1", "配置"), std::string("12"));
    // The button moves on from the user's skin.
    clickSkinButton();
    QCOMPARE(m_calls.back(), Attach(13));
}

void SkinStepTest::aDeletedLibraryFileComesBack() {
    start();
    QVERIFY(fs::remove(libraryFile()));
    clickSkinButton();
    QCOMPARE(m_calls.back(), Attach(9));  // the file there again when attached
    QVERIFY(fs::remove(libraryFile()));
    openWarningWindow();
    QCOMPARE(m_calls.back(), Attach(8));
    QVERIFY(fs::is_regular_file(libraryFile()));
}

void SkinStepTest::withoutSkinsTheFirstStartStillKeeps8() {
    // Tests of other parts start the window without skins; a first save must
    // still write 8.
    start(false);
    QVERIFY(m_calls.empty());
    QCOMPARE(m_state->skinNumber, 8);
    QVERIFY(!fs::exists(libraryFile()));
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(SkinStepTest)
#include "skin_step_test.moc"
