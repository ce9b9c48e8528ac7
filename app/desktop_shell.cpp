#include "app/desktop_shell.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSystemTrayIcon>

namespace velmora::app {

namespace {

// A local bus answers in well under a millisecond; a hung one must not freeze
// the window for the default 25 seconds.
constexpr int kBusTimeoutMs = 250;

struct StatusNotifierWatcher {
    bool present = false;
    bool hostRegistered = false;
};

StatusNotifierWatcher AskStatusNotifierWatcher() {
    StatusNotifierWatcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return watcher;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher")
        << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, kBusTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        watcher.present = true;
        watcher.hostRegistered =
            qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
        return watcher;
    }
    // Nobody owns the watcher's name: the bus says so at once. Any other
    // failure, such as a watcher that does not answer in time, counts as a
    // watcher without a host: no icon of ours can be relied on then.
    const QString error = reply.errorName();
    watcher.present = error != QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") &&
                      error != QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
    return watcher;
}

}  // namespace

DesktopShell SystemDesktopShell() {
    DesktopShell shell;
    shell.systemTrayAvailable = [] {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            return false;
        }
        // Qt counts a StatusNotifier watcher as a tray even when no panel has
        // registered to show the icons.
        const StatusNotifierWatcher watcher = AskStatusNotifierWatcher();
        return !watcher.present || watcher.hostRegistered;
    };
    shell.statusNotifierTray = [] { return AskStatusNotifierWatcher().hostRegistered; };
    shell.exitProgram = [](int code) { QCoreApplication::exit(code); };
    return shell;
}

}  // namespace velmora::app
