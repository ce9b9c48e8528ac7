#pragma once

#include <string>

#include "persist/profile_file.h"
#include "platform/autostart.h"
#include "platform/clock.h"

namespace velmora::app {

// What the program's steps and handlers are given from outside: the operating
// system's services, real in main() and fake in tests. Owned by whoever builds
// the window; outlives it.
struct Services {
    const platform::Clock& clock;
    const persist::ProfileFile& settingsFile;  // delp.ini
    platform::AutostartStore& autostart;
    std::string programPath;  // the running program file, for the logon entry
};

}  // namespace velmora::app
