#include "platform/program_location.h"

namespace velmora::platform {

ProgramLocation SplitProgramPath(const std::string& fullPath) {
    const auto cut = fullPath.find_last_of('/');
    if (cut == std::string::npos) {
        return {"", fullPath};
    }
    // A program in the root folder keeps "/" as its folder rather than "".
    return {cut == 0 ? std::string{"/"} : fullPath.substr(0, cut), fullPath.substr(cut + 1)};
}

}  // namespace velmora::platform
