#include "platform/linux/dbus_power.h"

#include <cstdint>
#include <cstdlib>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/linux/x11_display_power.h"

namespace velmora::platform {

namespace {

enum class Answer {
    Taken,
    Refused,
    Unavailable,  // nobody there to ask, or it does not know the request: try another way
};

// What a service that has not answered within the wait is taken to have done.
enum class Silence {
    Refused,  // the request needs no person; a service this slow is stuck
    Taken,    // the answer waits on a person (saving work, authenticating)
};

struct Reply {
    Answer answer = Answer::Refused;
    QVariantList arguments;
};

bool MeansUnavailable(const QString& error) {
    for (const char* name : {
             "org.freedesktop.DBus.Error.ServiceUnknown",
             "org.freedesktop.DBus.Error.NameHasNoOwner",
             "org.freedesktop.DBus.Error.UnknownMethod",
             "org.freedesktop.DBus.Error.UnknownObject",
             "org.freedesktop.DBus.Error.UnknownInterface",
             "org.freedesktop.DBus.Error.Disconnected",
         }) {
        if (error == QLatin1String(name)) {
            return true;
        }
    }
    return false;
}

bool MeansNoAnswerYet(const QString& error) {
    return error == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           error == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

// Blocks without running the event loop: no handler of the program runs
// nested inside a request.
Reply Ask(const QDBusConnection& bus, const QDBusMessage& message, std::chrono::milliseconds wait,
          Silence silence) {
    if (!bus.isConnected()) {
        return {Answer::Unavailable, {}};
    }
    QDBusConnection caller = bus;
    const QDBusMessage reply = caller.call(message, QDBus::Block, static_cast<int>(wait.count()));
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {Answer::Taken, reply.arguments()};
    }
    const QString error = reply.errorName();
    if (MeansNoAnswerYet(error)) {
        return {silence == Silence::Taken ? Answer::Taken : Answer::Refused, {}};
    }
    return {MeansUnavailable(error) ? Answer::Unavailable : Answer::Refused, {}};
}

QDBusMessage Call(const char* service, const char* path, const char* interface, const char* method,
                  const QVariantList& arguments = {}) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(path),
                                       QLatin1String(interface), QLatin1String(method));
    message.setArguments(arguments);
    return message;
}

enum class SessionManager { None, PlasmaShutdown, Ksmserver, Gnome, Xfce, Lxqt };

enum class SessionEnd { PowerOff, Reboot, LogOff };

constexpr char kLogind[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";

class Requester {
public:
    Requester(DbusPower::Timing timing, bool interactive)
        : m_timing(timing), m_interactive(interactive) {}

    Answer endSession(SessionEnd end) const {
        const Answer answer = askSessionManager(end);
        if (answer != Answer::Unavailable) {
            return answer;
        }
        switch (end) {
            case SessionEnd::PowerOff:
                return logind("PowerOff");
            case SessionEnd::Reboot:
                return logind("Reboot");
            case SessionEnd::LogOff:
                return terminateOwnSession();
        }
        return Answer::Refused;
    }

    // PowerOff, Reboot, Suspend, Hibernate: each takes the interactive flag.
    // logind is not asked CanPowerOff and the like first: "challenge" there
    // means allowed after authentication, which only the request itself can
    // settle, and its refusal says just as well when the answer is "no".
    Answer logind(const char* method) const {
        return askSystem(Call(kLogind, kLogindPath, kLogindManager, method, {m_interactive}));
    }

    Answer terminateOwnSession() const {
        const QString id = ownSessionId();
        if (id.isEmpty()) {
            return Answer::Refused;
        }
        return askSystem(Call(kLogind, kLogindPath, kLogindManager, "TerminateSession", {id}));
    }

    Answer displayOff() const {
        switch (ForceX11DisplayOff()) {
            case X11DisplayOff::Done:
                return Answer::Taken;
            case X11DisplayOff::Failed:
                return Answer::Refused;
            case X11DisplayOff::NotX11:
            case X11DisplayOff::NoDpms:
                break;
        }
        const QStringList names = sessionBusNames("ListNames");
        if (names.contains(QLatin1String("org.gnome.Mutter.DisplayConfig"))) {
            // 0 on, 1 standby, 2 suspend, 3 off; Mutter turns the displays back
            // on at the next input.
            return askSession(
                Call("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                     "org.freedesktop.DBus.Properties", "Set",
                     {QStringLiteral("org.gnome.Mutter.DisplayConfig"),
                      QStringLiteral("PowerSaveMode"),
                      QVariant::fromValue(QDBusVariant(std::int32_t{3}))}),
                Silence::Refused);
        }
        if (names.contains(QLatin1String("org.kde.kglobalaccel"))) {
            // KDE's power management offers no call of its own for this; its
            // global shortcut action is what the desktop's own key binding runs.
            return askSession(Call("org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                                   "org.kde.kglobalaccel.Component", "invokeShortcut",
                                   {QStringLiteral("Turn Off Screen")}),
                              Silence::Refused);
        }
        return Answer::Unavailable;
    }

private:
    Answer askSessionManager(SessionEnd end) const {
        const int kind = static_cast<int>(end);
        switch (findSessionManager()) {
            case SessionManager::None:
                return Answer::Unavailable;
            case SessionManager::PlasmaShutdown: {
                const char* methods[] = {"logoutAndShutdown", "logoutAndReboot", "logout"};
                return askSessionManager(
                    Call("org.kde.Shutdown", "/Shutdown", "org.kde.Shutdown", methods[kind]));
            }
            case SessionManager::Ksmserver: {
                // confirm 0: no confirmation; type 2 halt, 1 reboot, 0 log out
                // only; mode 0: wait for other users' sessions to end first.
                const int types[] = {2, 1, 0};
                return askSessionManager(Call("org.kde.ksmserver", "/KSMServer",
                                              "org.kde.KSMServerInterface", "logout",
                                              {0, types[kind], 0}));
            }
            case SessionManager::Gnome:
                return askGnome(end);
            case SessionManager::Xfce: {
                // allow_save false: applications are still asked to save their
                // work; only the list of running applications is not stored as
                // the next session, which is the user's business, not a timer's.
                if (end == SessionEnd::LogOff) {
                    return askSessionManager(
                        Call("org.xfce.SessionManager", "/org/xfce/SessionManager",
                             "org.xfce.Session.Manager", "Logout", {false, false}));
                }
                return askSessionManager(Call("org.xfce.SessionManager", "/org/xfce/SessionManager",
                                              "org.xfce.Session.Manager",
                                              end == SessionEnd::PowerOff ? "Shutdown" : "Restart",
                                              {false}));
            }
            case SessionManager::Lxqt: {
                // These never answer (they are declared without reply); the
                // wait for a refusal covers a session that lacks them.
                const char* methods[] = {"powerOff", "reboot", "logout"};
                return askSessionManager(
                    Call("org.lxqt.session", "/LXQtSession", "org.lxqt.session", methods[kind]));
            }
        }
        return Answer::Unavailable;
    }

    // RequestShutdown and RequestReboot end the session without a dialog
    // (Cinnamon, MATE); GNOME only has Shutdown and Reboot, which show the
    // shell's end-session dialog when the user keeps its logout prompt on. That
    // dialog powers off by itself after its countdown, so an unattended timer
    // still gets there.
    Answer askGnome(SessionEnd end) const {
        const char* path = "/org/gnome/SessionManager";
        const char* interface = "org.gnome.SessionManager";
        if (end == SessionEnd::LogOff) {
            return askSessionManager(Call(interface, path, interface, "Logout",
                                          {QVariant::fromValue(std::uint32_t{1})}));
        }
        const bool off = end == SessionEnd::PowerOff;
        const Answer quiet = askSessionManager(
            Call(interface, path, interface, off ? "RequestShutdown" : "RequestReboot"));
        if (quiet != Answer::Unavailable) {
            return quiet;
        }
        return askSessionManager(Call(interface, path, interface, off ? "Shutdown" : "Reboot"));
    }

    SessionManager findSessionManager() const {
        const QStringList names = sessionBusNames("ListNames");
        const auto has = [&names](const char* name) { return names.contains(QLatin1String(name)); };
        if (has("org.kde.Shutdown")) {
            return SessionManager::PlasmaShutdown;
        }
        if (has("org.kde.ksmserver")) {
            // Plasma 5.25 and later start their shutdown service on demand.
            return sessionBusNames("ListActivatableNames")
                           .contains(QLatin1String("org.kde.Shutdown"))
                       ? SessionManager::PlasmaShutdown
                       : SessionManager::Ksmserver;
        }
        if (has("org.gnome.SessionManager")) {
            return SessionManager::Gnome;
        }
        if (has("org.xfce.SessionManager")) {
            return SessionManager::Xfce;
        }
        if (has("org.lxqt.session")) {
            return SessionManager::Lxqt;
        }
        return SessionManager::None;
    }

    QStringList sessionBusNames(const char* listMethod) const {
        const Reply reply = askSessionPlain(Call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                 "org.freedesktop.DBus", listMethod));
        return reply.answer == Answer::Taken && !reply.arguments.isEmpty()
                   ? reply.arguments.first().toStringList()
                   : QStringList{};
    }

    // The session logind counts this process in, or failing that (a process
    // started by the user's service manager belongs to no session) the one
    // the desktop announced to the programs it started.
    QString ownSessionId() const {
        const auto pid = static_cast<std::uint32_t>(QCoreApplication::applicationPid());
        const Reply path = askSystemPlain(Call(kLogind, kLogindPath, kLogindManager,
                                               "GetSessionByPID", {QVariant::fromValue(pid)}));
        if (path.answer == Answer::Taken && !path.arguments.isEmpty()) {
            const QString sessionPath =
                qvariant_cast<QDBusObjectPath>(path.arguments.first()).path();
            QDBusMessage get = QDBusMessage::createMethodCall(
                QLatin1String(kLogind), sessionPath,
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
            get << QStringLiteral("org.freedesktop.login1.Session") << QStringLiteral("Id");
            const Reply id = askSystemPlain(get);
            if (id.answer == Answer::Taken && !id.arguments.isEmpty()) {
                const QString value =
                    qvariant_cast<QDBusVariant>(id.arguments.first()).variant().toString();
                if (!value.isEmpty()) {
                    return value;
                }
            }
        }
        return QString::fromLocal8Bit(std::getenv("XDG_SESSION_ID"));
    }

    Answer askSessionManager(const QDBusMessage& message) const {
        return askSession(message, Silence::Taken);
    }

    Answer askSession(const QDBusMessage& message, Silence silence) const {
        return Ask(QDBusConnection::sessionBus(), message, waitFor(silence), silence).answer;
    }

    Reply askSessionPlain(const QDBusMessage& message) const {
        return Ask(QDBusConnection::sessionBus(), message, m_timing.answerTimeout,
                   Silence::Refused);
    }

    // logind asks polkit, which asks the user when the request is interactive
    // and the policy wants authentication; the same flag in the message header
    // covers the methods that take no interactive argument.
    Answer askSystem(QDBusMessage message) const {
        message.setInteractiveAuthorizationAllowed(m_interactive);
        const Silence silence = m_interactive ? Silence::Taken : Silence::Refused;
        return Ask(QDBusConnection::systemBus(), message, waitFor(silence), silence).answer;
    }

    Reply askSystemPlain(const QDBusMessage& message) const {
        return Ask(QDBusConnection::systemBus(), message, m_timing.answerTimeout, Silence::Refused);
    }

    std::chrono::milliseconds waitFor(Silence silence) const {
        return silence == Silence::Taken ? m_timing.refusalWait : m_timing.answerTimeout;
    }

    DbusPower::Timing m_timing;
    bool m_interactive;
};

}  // namespace

bool DbusPower::request(PowerRequest request, bool interactive) {
    const Requester requester(m_timing, interactive);
    Answer answer = Answer::Refused;
    switch (request) {
        case PowerRequest::PowerOff:
            answer = requester.endSession(SessionEnd::PowerOff);
            break;
        case PowerRequest::Reboot:
            answer = requester.endSession(SessionEnd::Reboot);
            break;
        case PowerRequest::LogOff:
            answer = requester.endSession(SessionEnd::LogOff);
            break;
        case PowerRequest::ForcedPowerOff:
            answer = requester.logind("PowerOff");
            break;
        case PowerRequest::ForcedReboot:
            answer = requester.logind("Reboot");
            break;
        case PowerRequest::ForcedLogOff:
            answer = requester.terminateOwnSession();
            break;
        case PowerRequest::Suspend:
            answer = requester.logind("Suspend");
            break;
        case PowerRequest::Hibernate:
            answer = requester.logind("Hibernate");
            break;
        case PowerRequest::DisplayOff:
            answer = requester.displayOff();
            break;
    }
    return answer == Answer::Taken;
}

}  // namespace velmora::platform
