#pragma once

// A main() for the widget tests: the offscreen platform, a fixed locale, and a
// home, configuration, runtime and session-bus address of the test's own, so
// nothing from the machine's desktop leaks in and nothing leaks out.

#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

namespace velmora::test {

inline void SetVariable(const char* name, const QString& value) {
    ::setenv(name, value.toLocal8Bit().constData(), 1);
}

// Must run before QApplication exists; `home` must outlive it. A test that
// brings its own private session bus (dbus-run-session) keeps it.
inline bool PrepareHermeticEnvironment(const QTemporaryDir& home, bool keepSessionBus = false) {
    if (!home.isValid()) {
        return false;
    }
    const QString root = home.path();
    for (const char* sub : {"config", "data", "cache", "runtime"}) {
        if (!QDir(root).mkpath(QString::fromLatin1(sub))) {
            return false;
        }
    }
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    SetVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
    SetVariable("HOME", root);
    SetVariable("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
    SetVariable("XDG_DATA_HOME", root + QStringLiteral("/data"));
    SetVariable("XDG_CACHE_HOME", root + QStringLiteral("/cache"));
    SetVariable("XDG_RUNTIME_DIR", root + QStringLiteral("/runtime"));
    // A bus address that leads nowhere: the desktop's tray and its StatusNotifier
    // watcher must not be reached from a test.
    if (!keepSessionBus) {
        SetVariable("DBUS_SESSION_BUS_ADDRESS",
                    QStringLiteral("unix:path=") + root + QStringLiteral("/no-bus"));
    }
    // Never the machine's own logind either, whatever a test does.
    SetVariable("DBUS_SYSTEM_BUS_ADDRESS",
                QStringLiteral("unix:path=") + root + QStringLiteral("/no-system-bus"));
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    SetVariable("LC_ALL", QStringLiteral("C.UTF-8"));
    SetVariable("TZ", QStringLiteral("UTC"));
    return true;
}

// Qt's X11 tray code connects to a signal the offscreen platform lacks and
// warns once for every tray icon made; the warning says nothing about the
// program.
inline void QuietOffscreenTray() {
    QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect.warning=false"));
}

}  // namespace velmora::test

#define VELMORA_HERMETIC_WIDGET_TEST_MAIN(TestClass) \
    VELMORA_WIDGET_TEST_MAIN_WITH_BUS(TestClass, false)

// For tests run under dbus-run-session: their private bus stays reachable.
#define VELMORA_PRIVATE_BUS_WIDGET_TEST_MAIN(TestClass) \
    VELMORA_WIDGET_TEST_MAIN_WITH_BUS(TestClass, true)

#define VELMORA_WIDGET_TEST_MAIN_WITH_BUS(TestClass, keepSessionBus)            \
    int main(int argc, char* argv[]) {                                          \
        QTemporaryDir home;                                                     \
        if (!velmora::test::PrepareHermeticEnvironment(home, keepSessionBus)) { \
            return 1;                                                           \
        }                                                                       \
        QApplication application(argc, argv);                                   \
        QApplication::setQuitOnLastWindowClosed(false);                         \
        QLocale::setDefault(QLocale::c());                                      \
        velmora::test::QuietOffscreenTray();                                    \
        TestClass test;                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                              \
        return QTest::qExec(&test, argc, argv);                                 \
    }
