#pragma once

#include <functional>

namespace velmora::app {

// What the main window asks of the desktop around it. The real answers come
// from SystemDesktopShell(); tests hand in their own, so both tray branches and
// the program's end can be checked under the offscreen platform.
struct DesktopShell {
    // Whether a tray shows the icon now. Asked each time the window is
    // minimised: without a tray a hidden window could not be brought back, so
    // it then stays minimised in the taskbar instead.
    std::function<bool()> systemTrayAvailable;

    // Whether the tray speaks the StatusNotifier protocol, which reports a left
    // click as "activate" and never a double-click. Asked when a tray icon
    // object is made, the moment Qt picks its protocol, and when the window is
    // minimised, to replace the icon object after a tray of the other kind came
    // up (the program can start at logon before the panel does).
    std::function<bool()> statusNotifierTray;

    // Ends the event loop with the exit code.
    std::function<void(int)> exitProgram;
};

// The desktop this process runs on: QSystemTrayIcon's answer, refined by the
// StatusNotifier watcher on the session bus (a watcher without a registered
// host shows no icons); QCoreApplication::exit.
DesktopShell SystemDesktopShell();

}  // namespace velmora::app
