#include <filesystem>
#include <system_error>

#include "platform/program_location.h"

namespace velmora::platform {

std::optional<ProgramLocation> CurrentProgramLocation() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    return SplitProgramPath(path.string());
}

}  // namespace velmora::platform
