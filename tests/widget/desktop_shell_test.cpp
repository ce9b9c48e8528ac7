// The real desktop answers, against a StatusNotifier watcher this test plays
// on a private session bus (the test runs under dbus-run-session).

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>

#include "app/desktop_shell.h"
#include "hermetic_test_main.h"

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

}  // namespace

// Only the property the program reads.
class FakeWatcherAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isStatusNotifierHostRegistered)

public:
    explicit FakeWatcherAdaptor(QObject* watcher) : QDBusAbstractAdaptor(watcher) {}
    bool isStatusNotifierHostRegistered() const { return hostRegistered; }
    bool hostRegistered = false;
};

class DesktopShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void statusNotifierTray_data();
    void statusNotifierTray();

private:
    QObject m_watcher;
    FakeWatcherAdaptor* m_adaptor = nullptr;
};

void DesktopShellTest::initTestCase() {
    if (!QDBusConnection::sessionBus().isConnected()) {
        QSKIP("needs a private session bus: run under dbus-run-session");
    }
    m_adaptor = new FakeWatcherAdaptor(&m_watcher);
}

void DesktopShellTest::statusNotifierTray_data() {
    QTest::addColumn<bool>("watcherPresent");
    QTest::addColumn<bool>("hostRegistered");
    QTest::addColumn<bool>("statusNotifier");
    QTest::newRow("no watcher") << false << false << false;
    QTest::newRow("watcher without host") << true << false << false;
    QTest::newRow("watcher with host") << true << true << true;
}

void DesktopShellTest::statusNotifierTray() {
    QFETCH(bool, watcherPresent);
    QFETCH(bool, hostRegistered);
    QFETCH(bool, statusNotifier);

    QDBusConnection bus = QDBusConnection::sessionBus();
    m_adaptor->hostRegistered = hostRegistered;
    if (watcherPresent) {
        QVERIFY(bus.registerObject(kWatcherPath, &m_watcher));
        QVERIFY(bus.registerService(kWatcherService));
    }
    const auto shell = velmora::app::SystemDesktopShell();
    QCOMPARE(shell.statusNotifierTray(), statusNotifier);
    // Under the offscreen platform there is no tray of the other kind either,
    // so a watcher without a host leaves no tray at all.
    if (watcherPresent && !hostRegistered) {
        QVERIFY(!shell.systemTrayAvailable());
    }
    bus.unregisterService(kWatcherService);
    bus.unregisterObject(kWatcherPath);
}

VELMORA_PRIVATE_BUS_WIDGET_TEST_MAIN(DesktopShellTest)
#include "desktop_shell_test.moc"
