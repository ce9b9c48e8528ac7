#pragma once

#include <optional>
#include <string>

namespace velmora::platform {

// Where the running program file lives: the folder without a trailing separator
// and the file name, e.g. "/opt/velmora/bin" and "velmora".
struct ProgramLocation {
    std::string folder;
    std::string fileName;
};

// Split a full program path at its last separator.
ProgramLocation SplitProgramPath(const std::string& fullPath);

// The running program's own file, or nothing when the system will not say.
std::optional<ProgramLocation> CurrentProgramLocation();

}  // namespace velmora::platform
