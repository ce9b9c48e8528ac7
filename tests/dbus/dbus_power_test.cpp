// The D-Bus power backend against mock services: python-dbusmock's logind
// template on a private system bus; mock session managers, display
// configuration and global shortcuts on a private session bus. The checks read
// which method each mock received, with which arguments.
//
// Runs only under run_on_private_buses.py, which starts both buses: main()
// refuses to run on any other bus, so no request can reach the logind or the
// session manager of the machine running the tests.

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QThread>

#include "mock_service.h"
#include "platform/fake/fake_power.h"
#include "platform/linux/dbus_power.h"
#include "platform/linux/x11_display_power.h"
#include "platform/power.h"

// Readable failures: gtest prints the lists themselves.
void PrintTo(const QList<QString>& list, std::ostream* out) {
    *out << '[';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *out << (i > 0 ? ", " : "") << '"' << list[i].toStdString() << '"';
    }
    *out << ']';
}

namespace velmora::platform {
namespace {

using namespace std::chrono_literals;
using test::Bus;
using test::Mock;

// The mocks answer within milliseconds; these leave room for a busy machine,
// so a refusal always arrives within the wait. Only the tests of requests that
// are never answered wait them out.
constexpr DbusPower::Timing kTiming{5000ms, 2000ms};

constexpr PowerRequest kAllRequests[] = {
    PowerRequest::PowerOff,       PowerRequest::Reboot,       PowerRequest::LogOff,
    PowerRequest::ForcedPowerOff, PowerRequest::ForcedReboot, PowerRequest::ForcedLogOff,
    PowerRequest::Suspend,        PowerRequest::Hibernate,    PowerRequest::DisplayOff,
};

const char* Name(PowerRequest request) {
    switch (request) {
        case PowerRequest::PowerOff:
            return "PowerOff";
        case PowerRequest::Reboot:
            return "Reboot";
        case PowerRequest::LogOff:
            return "LogOff";
        case PowerRequest::ForcedPowerOff:
            return "ForcedPowerOff";
        case PowerRequest::ForcedReboot:
            return "ForcedReboot";
        case PowerRequest::ForcedLogOff:
            return "ForcedLogOff";
        case PowerRequest::Suspend:
            return "Suspend";
        case PowerRequest::Hibernate:
            return "Hibernate";
        case PowerRequest::DisplayOff:
            return "DisplayOff";
    }
    return "?";
}

QString Flag(bool value) {
    return value ? QStringLiteral("b true") : QStringLiteral("b false");
}
QString OwnPid() {
    return QString::number(QCoreApplication::applicationPid());
}

// ------------------------------------------------------------------ the desktops

// One mock service: where it lives and which object's calls the tests read.
struct Service {
    Bus bus;
    const char* name;
    const char* templateName;
    const char* parameters;
    const char* path;
    const char* interface;
};

const Service kLogind{Bus::System, "org.freedesktop.login1",  "logind",
                      "",          "/org/freedesktop/login1", "org.freedesktop.login1.Manager"};
const Service kGnome{Bus::Session,
                     "org.gnome.SessionManager",
                     "gnome_session.py",
                     R"({"flavour": "gnome"})",
                     "/org/gnome/SessionManager",
                     "org.gnome.SessionManager"};
const Service kCinnamon{Bus::Session,
                        "org.gnome.SessionManager",
                        "gnome_session.py",
                        R"({"flavour": "cinnamon"})",
                        "/org/gnome/SessionManager",
                        "org.gnome.SessionManager"};
const Service kMate{Bus::Session,
                    "org.gnome.SessionManager",
                    "gnome_session.py",
                    R"({"flavour": "mate"})",
                    "/org/gnome/SessionManager",
                    "org.gnome.SessionManager"};
const Service kKsmserver6{Bus::Session,       "org.kde.ksmserver", "ksmserver.py",
                          R"({"plasma": 6})", "/KSMServer",        "org.kde.KSMServerInterface"};
const Service kKsmserver5{Bus::Session,       "org.kde.ksmserver", "ksmserver.py",
                          R"({"plasma": 5})", "/KSMServer",        "org.kde.KSMServerInterface"};
const Service kPlasmaShutdown{Bus::Session, "org.kde.Shutdown", "plasma_shutdown.py",
                              "",           "/Shutdown",        "org.kde.Shutdown"};
const Service kXfce{Bus::Session, "org.xfce.SessionManager",  "xfce_session.py",
                    "",           "/org/xfce/SessionManager", "org.xfce.Session.Manager"};
const Service kLxqt{Bus::Session, "org.lxqt.session", "lxqt_session.py",
                    "",           "/LXQtSession",     "org.lxqt.session"};
const Service kMutter{
    Bus::Session, "org.gnome.Mutter.DisplayConfig",  "mutter_display_config.py",
    "",           "/org/gnome/Mutter/DisplayConfig", "org.freedesktop.DBus.Properties"};
const Service kShortcuts{
    Bus::Session, "org.kde.kglobalaccel",          "kglobalaccel.py",
    "",           "/component/org_kde_powerdevil", "org.kde.kglobalaccel.Component"};

const QString kLogindManager = QLatin1String(kLogind.interface);

bool operator==(const Service& a, const Service& b) {
    return QLatin1String(a.name) == QLatin1String(b.name) &&
           QLatin1String(a.parameters) == QLatin1String(b.parameters);
}

// The mock services of one desktop, logind among them unless left out. This
// process sits in logind's session c1.
class Desktop {
public:
    explicit Desktop(std::vector<Service> services, bool withLogind = true) {
        if (withLogind) {
            services.insert(services.begin(), kLogind);
        }
        for (const Service& service : services) {
            auto mock = Mock::fromTemplate(service.bus, QLatin1String(service.name),
                                           QLatin1String(service.templateName),
                                           QLatin1String(service.parameters));
            m_started = m_started && mock->started();
            m_mocks.emplace_back(service, std::move(mock));
        }
        if (m_started && withLogind) {
            putOwnProcessInSession();
        }
        clearCalls();
    }

    bool started() const { return m_started; }

    Mock& mock(const Service& service) const {
        for (const auto& [s, mock] : m_mocks) {
            if (s == service) {
                return *mock;
            }
        }
        throw std::logic_error("no such mock on this desktop");
    }
    QStringList calls(const Service& service) const {
        return mock(service).calls(QLatin1String(service.path));
    }
    QStringList logindCalls() const { return calls(kLogind); }

    // Every mock but `except` has received nothing since the last clearCalls().
    bool othersUntouched(const Service& except) const {
        for (const auto& [service, mock] : m_mocks) {
            if (!(service == except) && !calls(service).isEmpty()) {
                return false;
            }
        }
        return true;
    }

    void clearCalls() const {
        if (!m_started) {
            return;
        }
        for (const auto& [service, mock] : m_mocks) {
            mock->clearCalls(QLatin1String(service.path));
        }
    }

    // Replaces a method of service by one answering with the D-Bus error.
    void refuse(const Service& service, const char* method, const char* signature,
                const char* error) const {
        mock(service).refuse(QLatin1String(service.path), QLatin1String(service.interface),
                             QLatin1String(method), QLatin1String(signature), QLatin1String(error));
    }

    // logind knows no process of this process's session until told.
    void forgetOwnSession() const {
        refuse(kLogind, "GetSessionByPID", "u", "org.freedesktop.login1.NoSessionForPID");
    }

private:
    void putOwnProcessInSession() const {
        const Mock& logind = mock(kLogind);
        const QString path = QLatin1String(kLogind.path);
        logind.mockCall(path, QStringLiteral("AddSession"),
                        {QStringLiteral("c1"), QStringLiteral("seat0"), QVariant::fromValue(1000u),
                         QStringLiteral("user"), true});
        logind.setMethod(
            path, kLogindManager, QStringLiteral("GetSessionByPID"), QStringLiteral("u"),
            QStringLiteral("o"),
            QStringLiteral("if args[0] != %1:\n"
                           "    raise dbus.exceptions.DBusException(\n"
                           "        'no session', name='org.freedesktop.login1.NoSessionForPID')\n"
                           "ret = dbus.ObjectPath('/org/freedesktop/login1/session/c1')")
                .arg(OwnPid()));
    }

    bool m_started = true;
    std::vector<std::pair<Service, std::unique_ptr<Mock>>> m_mocks;
};

// Sets or removes an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<QByteArray> value)
        : m_name(name),
          m_old(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                : std::nullopt) {
        set(value);
    }
    ~ScopedVariable() { set(m_old); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void set(const std::optional<QByteArray>& value) const {
        if (value) {
            qputenv(m_name, *value);
        } else {
            qunsetenv(m_name);
        }
    }
    const char* m_name;
    std::optional<QByteArray> m_old;
};

// ------------------------------------------------------------------ contract

// The promises of the Power interface, kept by the fake and by the D-Bus
// backend alike: an accepted request says true and is made once; a refused one
// says false and is not repeated.

class FakeWorld {
public:
    bool ready() const { return true; }
    Power& power() { return m_power; }
    void refuseEverything() { m_power.setRefusing(true); }
    int seen(PowerRequest request) const {
        int count = 0;
        for (const auto& made : m_power.requests()) {
            count += made.request == request ? 1 : 0;
        }
        return count;
    }

private:
    FakePower m_power;
};

// No session manager, so the session's end is logind's too; the display
// belongs to Mutter.
class DbusWorld {
public:
    bool ready() const { return m_desktop.started(); }
    Power& power() { return m_power; }
    void refuseEverything() const {
        const char* denied = "org.freedesktop.DBus.Error.AccessDenied";
        for (const char* method : {"PowerOff", "Reboot", "Suspend", "Hibernate"}) {
            m_desktop.refuse(kLogind, method, "b", denied);
        }
        m_desktop.refuse(kLogind, "TerminateSession", "s", denied);
        m_desktop.refuse(kMutter, "Set", "ssv", denied);
    }
    int seen(PowerRequest request) const {
        const auto count = [](const QStringList& calls, const char* method) {
            const QString call = QLatin1String(method) + QLatin1Char('(');
            return static_cast<int>(std::count_if(
                calls.begin(), calls.end(), [&](const QString& c) { return c.startsWith(call); }));
        };
        switch (request) {
            case PowerRequest::PowerOff:
            case PowerRequest::ForcedPowerOff:
                return count(m_desktop.logindCalls(), "PowerOff");
            case PowerRequest::Reboot:
            case PowerRequest::ForcedReboot:
                return count(m_desktop.logindCalls(), "Reboot");
            case PowerRequest::LogOff:
            case PowerRequest::ForcedLogOff:
                return count(m_desktop.logindCalls(), "TerminateSession");
            case PowerRequest::Suspend:
                return count(m_desktop.logindCalls(), "Suspend");
            case PowerRequest::Hibernate:
                return count(m_desktop.logindCalls(), "Hibernate");
            case PowerRequest::DisplayOff:
                return count(m_desktop.calls(kMutter), "Set");
        }
        return -1;
    }

private:
    Desktop m_desktop{{kMutter}};
    DbusPower m_power{kTiming};
};

template <typename World>
class PowerContract : public testing::Test {
protected:
    World world;
};

struct WorldNames {
    template <typename World>
    static std::string GetName(int) {
        return std::is_same_v<World, FakeWorld> ? "Fake" : "Dbus";
    }
};

using Worlds = testing::Types<FakeWorld, DbusWorld>;
TYPED_TEST_SUITE(PowerContract, Worlds, WorldNames);

TYPED_TEST(PowerContract, AnAcceptedRequestSaysTrueAndIsMadeOnce) {
    ASSERT_TRUE(this->world.ready());
    for (const PowerRequest request : kAllRequests) {
        for (const bool interactive : {false, true}) {
            SCOPED_TRACE(testing::Message() << Name(request) << " interactive " << interactive);
            const int before = this->world.seen(request);
            EXPECT_TRUE(this->world.power().request(request, interactive));
            EXPECT_EQ(this->world.seen(request), before + 1);
        }
    }
}

TYPED_TEST(PowerContract, ARefusedRequestSaysFalseAndIsNotRepeated) {
    ASSERT_TRUE(this->world.ready());
    this->world.refuseEverything();
    for (const PowerRequest request : kAllRequests) {
        for (const bool interactive : {false, true}) {
            SCOPED_TRACE(testing::Message() << Name(request) << " interactive " << interactive);
            const int before = this->world.seen(request);
            EXPECT_FALSE(this->world.power().request(request, interactive));
            EXPECT_EQ(this->world.seen(request), before + 1);
        }
    }
}

// ------------------------------------------------------------------ routes

TEST(DbusPowerRoutes, TheSessionManagerEndsTheSessionWithoutAConfirmationOfItsOwn) {
    const struct {
        const char* desktop;
        std::vector<Service> services;
        Service answering;
        const char* powerOff;
        const char* reboot;
        const char* logOff;
    } kDesktops[] = {
        // GNOME has no quiet variant; its dialog goes ahead by itself.
        {"GNOME", {kGnome}, kGnome, "Shutdown()", "Reboot()", "Logout(u 1)"},
        {"Cinnamon", {kCinnamon}, kCinnamon, "RequestShutdown()", "RequestReboot()", "Logout(u 1)"},
        {"MATE", {kMate}, kMate, "RequestShutdown()", "RequestReboot()", "Logout(u 1)"},
        {"Plasma 6",
         {kKsmserver6, kPlasmaShutdown},
         kPlasmaShutdown,
         "logoutAndShutdown()",
         "logoutAndReboot()",
         "logout()"},
        {"Plasma 5",
         {kKsmserver5},
         kKsmserver5,
         "logout(i 0, i 2, i 0)",
         "logout(i 0, i 1, i 0)",
         "logout(i 0, i 0, i 0)"},
        {"Xfce",
         {kXfce},
         kXfce,
         "Shutdown(b false)",
         "Restart(b false)",
         "Logout(b false, b false)"},
        {"LXQt", {kLxqt}, kLxqt, "powerOff()", "reboot()", "logout()"},
    };
    for (const auto& d : kDesktops) {
        SCOPED_TRACE(d.desktop);
        const Desktop desktop(d.services);
        ASSERT_TRUE(desktop.started());
        DbusPower power(kTiming);
        const std::pair<PowerRequest, const char*> kRequests[] = {
            {PowerRequest::PowerOff, d.powerOff},
            {PowerRequest::Reboot, d.reboot},
            {PowerRequest::LogOff, d.logOff},
        };
        for (const auto& [request, expected] : kRequests) {
            for (const bool interactive : {false, true}) {
                SCOPED_TRACE(testing::Message() << Name(request) << " interactive " << interactive);
                desktop.clearCalls();
                EXPECT_TRUE(power.request(request, interactive));
                EXPECT_EQ(desktop.calls(d.answering), QStringList{QLatin1String(expected)});
                EXPECT_TRUE(desktop.othersUntouched(d.answering));  // logind among them
            }
        }
    }
}

TEST(DbusPowerRoutes, ForcedAndSleepRequestsGoStraightToLogind) {
    const Desktop desktop({kGnome});
    ASSERT_TRUE(desktop.started());
    DbusPower power(kTiming);
    for (const bool interactive : {false, true}) {
        const struct {
            PowerRequest request;
            QStringList calls;
        } kCases[] = {
            {PowerRequest::ForcedPowerOff, {QStringLiteral("PowerOff(%1)").arg(Flag(interactive))}},
            {PowerRequest::ForcedReboot, {QStringLiteral("Reboot(%1)").arg(Flag(interactive))}},
            {PowerRequest::ForcedLogOff,
             {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid()),
              QStringLiteral("TerminateSession(s c1)")}},
            {PowerRequest::Suspend, {QStringLiteral("Suspend(%1)").arg(Flag(interactive))}},
            {PowerRequest::Hibernate, {QStringLiteral("Hibernate(%1)").arg(Flag(interactive))}},
        };
        for (const auto& c : kCases) {
            SCOPED_TRACE(testing::Message() << Name(c.request) << " interactive " << interactive);
            desktop.clearCalls();
            EXPECT_TRUE(power.request(c.request, interactive));
            EXPECT_EQ(desktop.logindCalls(), c.calls);
            EXPECT_TRUE(desktop.othersUntouched(kLogind));  // the session manager
        }
    }
}

TEST(DbusPowerRoutes, WithoutASessionManagerLogindEndsTheSession) {
    const Desktop desktop({});
    ASSERT_TRUE(desktop.started());
    DbusPower power(kTiming);
    for (const bool interactive : {false, true}) {
        const struct {
            PowerRequest request;
            QStringList calls;
        } kCases[] = {
            {PowerRequest::PowerOff, {QStringLiteral("PowerOff(%1)").arg(Flag(interactive))}},
            {PowerRequest::Reboot, {QStringLiteral("Reboot(%1)").arg(Flag(interactive))}},
            {PowerRequest::LogOff,
             {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid()),
              QStringLiteral("TerminateSession(s c1)")}},
        };
        for (const auto& c : kCases) {
            SCOPED_TRACE(testing::Message() << Name(c.request) << " interactive " << interactive);
            desktop.clearCalls();
            EXPECT_TRUE(power.request(c.request, interactive));
            EXPECT_EQ(desktop.logindCalls(), c.calls);
        }
    }
}

// A service that owns a session manager's name but knows none of its methods:
// the session still ends, through logind.
TEST(DbusPowerRoutes, ASessionManagerWithoutTheRequestLeavesItToLogind) {
    const Desktop desktop({});
    ASSERT_TRUE(desktop.started());
    const Mock bare(
        Bus::Session, QStringLiteral("org.gnome.SessionManager"),
        {QStringLiteral("--session"), QStringLiteral("org.gnome.SessionManager"),
         QStringLiteral("/org/gnome/SessionManager"), QStringLiteral("org.gnome.SessionManager")});
    ASSERT_TRUE(bare.started());
    DbusPower power(kTiming);
    EXPECT_TRUE(power.request(PowerRequest::PowerOff, false));
    EXPECT_EQ(desktop.logindCalls(), QStringList{QStringLiteral("PowerOff(b false)")});
}

// Plasma 5.25 and later start their shutdown service when it is first called.
TEST(DbusPowerRoutes, PlasmasShutdownServiceIsStartedOnDemand) {
    const QString services =
        qEnvironmentVariable("VELMORA_PRIVATE_BUS_DIR") + QStringLiteral("/session-services");
    const QString serviceFile = services + QStringLiteral("/org.kde.Shutdown.service");
    {
        QFile file(serviceFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("[D-BUS Service]\nName=org.kde.Shutdown\n"
                           "Exec=/usr/bin/env DBUS_SESSION_BUS_ADDRESS=%1 "
                           "/usr/bin/python3 -m dbusmock --session --template %2\n")
                .arg(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                     test::MockTemplateFolder() + QLatin1String(kPlasmaShutdown.templateName))
                .toUtf8());
    }
    const auto reload = [] {
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));
    };
    reload();
    const Desktop desktop({kKsmserver6});
    ASSERT_TRUE(desktop.started());
    ASSERT_FALSE(test::HasOwner(Bus::Session, QLatin1String(kPlasmaShutdown.name)));

    DbusPower power(kTiming);
    EXPECT_TRUE(power.request(PowerRequest::PowerOff, false));

    // The bus started the service for the call; read what it got, then end it.
    const QString name = QLatin1String(kPlasmaShutdown.name);
    QDeadlineTimer limit(30'000);
    while (!test::HasOwner(Bus::Session, name) && !limit.hasExpired()) {
        QThread::msleep(10);
    }
    const bool activated = test::HasOwner(Bus::Session, name);
    const QStringList calls =
        activated ? test::Calls(Bus::Session, name, QLatin1String(kPlasmaShutdown.path))
                  : QStringList{};
    const uint pid =
        activated ? QDBusConnection::sessionBus().interface()->servicePid(name).value() : 0;
    if (pid != 0) {
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        limit = QDeadlineTimer(30'000);
        while (test::HasOwner(Bus::Session, name) && !limit.hasExpired()) {
            QThread::msleep(10);
        }
    }
    QFile::remove(serviceFile);
    reload();
    ASSERT_TRUE(activated);
    EXPECT_EQ(calls, QStringList{QStringLiteral("logoutAndShutdown()")});
    EXPECT_TRUE(desktop.calls(kKsmserver6).isEmpty());
    EXPECT_TRUE(desktop.logindCalls().isEmpty());
    EXPECT_FALSE(test::HasOwner(Bus::Session, name));
}

// ------------------------------------------------------------------ own session

TEST(DbusPowerOwnSession, LogOffEndsTheSessionThisProcessIsIn) {
    const struct {
        const char* name;
        bool knownByPid;
        std::optional<QByteArray> announced;  // XDG_SESSION_ID
        bool accepted;
        QStringList calls;
    } kCases[] = {
        {"found by process id",
         true,
         std::nullopt,
         true,
         {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid()),
          QStringLiteral("TerminateSession(s c1)")}},
        {"process id before what the desktop announced",
         true,
         QByteArray("7"),
         true,
         {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid()),
          QStringLiteral("TerminateSession(s c1)")}},
        {"started outside any session, announced by the desktop",
         false,
         QByteArray("7"),
         true,
         {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid()),
          QStringLiteral("TerminateSession(s 7)")}},
        {"no session at all",
         false,
         std::nullopt,
         false,
         {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid())}},
        {"an empty announcement is none",
         false,
         QByteArray(""),
         false,
         {QStringLiteral("GetSessionByPID(u %1)").arg(OwnPid())}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const Desktop fresh({});
        ASSERT_TRUE(fresh.started());
        if (!c.knownByPid) {
            fresh.forgetOwnSession();
        }
        const ScopedVariable announced("XDG_SESSION_ID", c.announced);
        DbusPower power(kTiming);
        EXPECT_EQ(power.request(PowerRequest::LogOff, false), c.accepted);
        EXPECT_EQ(fresh.logindCalls(), c.calls);
    }
}

// ------------------------------------------------------------------ failures

TEST(DbusPowerFailures, WithNeitherLogindNorADesktopEveryRequestFails) {
    const Desktop desktop({}, /*withLogind=*/false);
    ASSERT_TRUE(desktop.started());
    ASSERT_FALSE(test::HasOwner(Bus::System, QLatin1String(kLogind.name)));
    DbusPower power(kTiming);
    for (const PowerRequest request : kAllRequests) {
        SCOPED_TRACE(Name(request));
        EXPECT_FALSE(power.request(request, false));
    }
}

TEST(DbusPowerFailures, ALogindRefusalIsFinal) {
    const char* kErrors[] = {
        "org.freedesktop.DBus.Error.AccessDenied",
        "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
        "org.freedesktop.login1.OperationInProgress",
        "org.freedesktop.login1.BlockedByInhibitor",
    };
    const Desktop desktop({});
    ASSERT_TRUE(desktop.started());
    DbusPower power(kTiming);
    for (const char* error : kErrors) {
        for (const bool interactive : {false, true}) {
            SCOPED_TRACE(testing::Message() << error << " interactive " << interactive);
            desktop.refuse(kLogind, "PowerOff", "b", error);
            desktop.clearCalls();
            EXPECT_FALSE(power.request(PowerRequest::PowerOff, interactive));
            EXPECT_EQ(desktop.logindCalls(),
                      QStringList{QStringLiteral("PowerOff(%1)").arg(Flag(interactive))});
        }
    }
}

// The desktop's administrator may have locked logging out; a timer does not
// go around that through logind.
TEST(DbusPowerFailures, ASessionManagerRefusalIsFinal) {
    const struct {
        Service service;
        const char* method;
        const char* signature;
        const char* error;
        PowerRequest request;
    } kCases[] = {
        {kGnome, "Shutdown", "", "org.gnome.SessionManager.LockedDown", PowerRequest::PowerOff},
        {kGnome, "Logout", "u", "org.gnome.SessionManager.NotInRunning", PowerRequest::LogOff},
        {kXfce, "Restart", "b", "org.xfce.SessionManager.Error.BadState", PowerRequest::Reboot},
        {kPlasmaShutdown, "logoutAndShutdown", "", "org.freedesktop.DBus.Error.Failed",
         PowerRequest::PowerOff},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.error);
        const Desktop desktop({c.service});
        ASSERT_TRUE(desktop.started());
        desktop.refuse(c.service, c.method, c.signature, c.error);
        desktop.clearCalls();
        DbusPower power(kTiming);
        EXPECT_FALSE(power.request(c.request, false));
        EXPECT_EQ(desktop.calls(c.service).size(), 1);
        EXPECT_TRUE(desktop.logindCalls().isEmpty());
    }
}

// ------------------------------------------------------------------ answers that wait

// GNOME answers Shutdown only when the session is over: the request is under
// way as soon as no refusal has come.
TEST(DbusPowerWaits, ASessionManagerStillEndingTheSessionHasTakenTheRequest) {
    const Desktop desktop({kGnome});
    ASSERT_TRUE(desktop.started());
    desktop.mock(kGnome).addTemplate(QLatin1String(kGnome.path), QStringLiteral("unanswered.py"));
    desktop.clearCalls();
    DbusPower power(kTiming);
    EXPECT_TRUE(power.request(PowerRequest::PowerOff, false));
    EXPECT_EQ(desktop.calls(kGnome), QStringList{QStringLiteral("Shutdown()")});
    EXPECT_TRUE(desktop.logindCalls().isEmpty());
}

// logind answers an interactive request after the user has authenticated, and
// a request nobody can authenticate at once: silence from logind means the
// former is waiting on the user, and the latter that logind is stuck.
TEST(DbusPowerWaits, SilenceFromLogindIsTakenOnlyWhenSomeoneMayBeAuthenticating) {
    const Desktop desktop({});
    ASSERT_TRUE(desktop.started());
    desktop.mock(kLogind).addTemplate(QLatin1String(kLogind.path), QStringLiteral("unanswered.py"));
    DbusPower power(kTiming);
    for (const bool interactive : {true, false}) {
        SCOPED_TRACE(testing::Message() << "interactive " << interactive);
        desktop.clearCalls();
        EXPECT_EQ(power.request(PowerRequest::ForcedPowerOff, interactive), interactive);
        EXPECT_EQ(desktop.logindCalls(),
                  QStringList{QStringLiteral("PowerOff(%1)").arg(Flag(interactive))});
    }
}

// ------------------------------------------------------------------ display off

TEST(DbusPowerDisplayOff, TheCompositorOrThePowerManagementSwitchesItOff) {
    const struct {
        const char* desktop;
        std::vector<Service> services;
        std::optional<Service> answering;
        const char* call;
    } kCases[] = {
        {"GNOME",
         {kMutter},
         kMutter,
         "Set(s org.gnome.Mutter.DisplayConfig, s PowerSaveMode, i 3)"},
        {"KDE", {kShortcuts}, kShortcuts, "invokeShortcut(s Turn Off Screen)"},
        {"neither", {kGnome}, std::nullopt, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.desktop);
        const Desktop desktop(c.services);
        ASSERT_TRUE(desktop.started());
        DbusPower power(kTiming);
        EXPECT_EQ(power.request(PowerRequest::DisplayOff, false), c.answering.has_value());
        if (c.answering) {
            EXPECT_EQ(desktop.calls(*c.answering), QStringList{QLatin1String(c.call)});
            EXPECT_TRUE(desktop.othersUntouched(*c.answering));
        } else {
            EXPECT_TRUE(desktop.othersUntouched(kLogind));
            EXPECT_TRUE(desktop.logindCalls().isEmpty());
        }
    }
}

TEST(DbusPowerDisplayOff, MutterHoldsTheNewModeAndARefusalSaysFalse) {
    const Desktop desktop({kMutter});
    ASSERT_TRUE(desktop.started());
    DbusPower power(kTiming);
    ASSERT_TRUE(power.request(PowerRequest::DisplayOff, false));
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(kMutter.name), QLatin1String(kMutter.path),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.gnome.Mutter.DisplayConfig") << QStringLiteral("PowerSaveMode");
    const QDBusMessage mode = QDBusConnection::sessionBus().call(get);
    ASSERT_EQ(mode.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(test::Describe(mode.arguments().first()), QStringLiteral("i 3"));

    desktop.refuse(kMutter, "Set", "ssv", "org.freedesktop.DBus.Error.AccessDenied");
    EXPECT_FALSE(power.request(PowerRequest::DisplayOff, true));
}

// The runner shows the program on an Xvfb when it can, whose server has no
// DPMS: the X route must step aside for the others rather than claim success.
TEST(DbusPowerDisplayOff, AnXServerWithoutDpmsLeavesItToTheDesktop) {
    const bool onX = QGuiApplication::platformName() == QLatin1String("xcb");
    EXPECT_EQ(ForceX11DisplayOff(), onX ? X11DisplayOff::NoDpms : X11DisplayOff::NotX11);
    if (!onX) {
        GTEST_SKIP() << "no X server: run with an Xvfb to test the X route";
    }
    const Desktop desktop({kMutter});
    ASSERT_TRUE(desktop.started());
    DbusPower power(kTiming);
    EXPECT_TRUE(power.request(PowerRequest::DisplayOff, false));
    EXPECT_EQ(desktop.calls(kMutter).size(), 1);
}

// ------------------------------------------------------------------ safety

// Both bus addresses must be the ones run_on_private_buses.py started.
bool OnPrivateBuses() {
    const QString folder = qEnvironmentVariable("VELMORA_PRIVATE_BUS_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) {
        return false;
    }
    const auto isOurs = [&folder](const char* variable, const char* socket) {
        const QString address = qEnvironmentVariable(variable).section(QLatin1Char(','), 0, 0);
        return address ==
               QStringLiteral("unix:path=") + folder + QLatin1Char('/') + QLatin1String(socket);
    };
    return isOurs("DBUS_SYSTEM_BUS_ADDRESS", "system_bus_socket") &&
           isOurs("DBUS_SESSION_BUS_ADDRESS", "session_bus_socket");
}

}  // namespace
}  // namespace velmora::platform

int main(int argc, char* argv[]) {
    // Checked before anything connects to a bus.
    if (!velmora::platform::OnPrivateBuses()) {
        std::cerr << "dbus_power_test talks to logind and the session manager: run it through "
                     "tests/dbus/run_on_private_buses.py, which gives it buses of its own.\n";
        return 2;
    }
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    // A bus with logind or systemd on it is a machine's, not ours.
    for (const char* name : {"org.freedesktop.login1", "org.freedesktop.systemd1"}) {
        if (velmora::test::HasOwner(velmora::test::Bus::System, QLatin1String(name))) {
            std::cerr << name << " already runs on the system bus: not a private bus.\n";
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
