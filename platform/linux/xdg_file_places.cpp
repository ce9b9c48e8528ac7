#include "platform/linux/xdg_file_places.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace velmora::platform {

namespace {

bool usable(const std::optional<std::string>& path) {
    return path && !path->empty() && path->front() == '/';
}

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::string> userDatabaseHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

}  // namespace

XdgFilePlaces::XdgFilePlaces(std::optional<std::string> xdgConfigHome,
                             std::optional<std::string> home, std::optional<std::string> userHome) {
    if (usable(xdgConfigHome)) {
        m_configHome = std::filesystem::path(*xdgConfigHome);
    } else if (usable(home)) {
        m_configHome = std::filesystem::path(*home) / ".config";
    } else if (usable(userHome)) {
        m_configHome = std::filesystem::path(*userHome) / ".config";
    }
}

XdgFilePlaces XdgFilePlaces::fromEnvironment() {
    auto xdgConfigHome = variable("XDG_CONFIG_HOME");
    auto home = variable("HOME");
    // The user database is asked only when the variables do not answer.
    auto userHome = usable(xdgConfigHome) || usable(home) ? std::nullopt : userDatabaseHome();
    return XdgFilePlaces(std::move(xdgConfigHome), std::move(home), std::move(userHome));
}

}  // namespace velmora::platform
