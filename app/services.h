#pragma once

#include <functional>
#include <string>

#include <QString>

#include "persist/profile_file.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/power.h"

namespace velmora::app {

// What the program's steps and handlers are given from outside: the operating
// system's services, real in main() and fake in tests. Owned by whoever builds
// the window; outlives it.
struct Services {
    const platform::Clock& clock;
    const persist::ProfileFile& settingsFile;  // delp.ini
    platform::AutostartStore& autostart;
    platform::Power& power;   // power-off, restart, log-off, display-off requests
    std::string programPath;  // the running program file, for the logon entry

    // Shows a message box (text, title, style 48 / 64 / 1) and returns
    // ui::kResultOk or ui::kResultCancel; ui::ShowMessageBox in the program,
    // a recorder in tests. Runs a nested event loop: never call it from a
    // watcher's tick.
    std::function<int(const QString& text, const QString& title, int style)> messageBox;
};

}  // namespace velmora::app
