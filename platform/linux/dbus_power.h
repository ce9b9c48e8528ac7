#pragma once

#include <chrono>

#include "platform/power.h"

namespace velmora::platform {

// Power requests on a Linux desktop, made over D-Bus.
//
// PowerOff, Reboot, LogOff go to the session manager of the desktop when one
// runs on the session bus, asked not to show a confirmation of its own, so
// applications are told and can save their work (or hold the request up):
//   GNOME, Cinnamon, MATE  org.gnome.SessionManager  RequestShutdown / RequestReboot,
//                          where missing Shutdown / Reboot; Logout(1)
//   KDE Plasma             org.kde.Shutdown  logoutAndShutdown / logoutAndReboot / logout,
//                          before Plasma 5.25 ksmserver's logout(0, 2 | 1 | 0, 0)
//   Xfce                   org.xfce.SessionManager  Shutdown / Restart / Logout(false, …)
//   LXQt                   org.lxqt.session  powerOff / reboot / logout
// Without one they go to systemd-logind: PowerOff / Reboot, and for LogOff the
// termination of this process's own session. The forced requests, Suspend and
// Hibernate always go to logind. DisplayOff: DPMS on an X server, GNOME's
// display configuration (Mutter) or KDE's "Turn Off Screen" action; false
// where none of them is there.
//
// The buses are the ones QDBusConnection::systemBus() and sessionBus() reach,
// so DBUS_SYSTEM_BUS_ADDRESS and DBUS_SESSION_BUS_ADDRESS decide, when set.
// Nothing is connected before the first request.
//
// Blocking, on the caller's (GUI) thread: a request waits for its answers, each
// for at most Timing::answerTimeout. Some answers wait on a person: a session
// manager may first let applications ask about unsaved work, and logind may
// show an authentication dialog for an interactive request. Those requests are
// taken as under way when no refusal has come within Timing::refusalWait; the
// service goes on with them whether anyone waits for the answer or not.
class DbusPower final : public Power {
public:
    struct Timing {
        std::chrono::milliseconds answerTimeout{2000};
        std::chrono::milliseconds refusalWait{500};
    };

    DbusPower() = default;
    explicit DbusPower(Timing timing) : m_timing(timing) {}

    bool request(PowerRequest request, bool interactive) override;

private:
    Timing m_timing;
};

}  // namespace velmora::platform
