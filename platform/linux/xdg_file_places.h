#pragma once

#include <optional>
#include <string>

#include "platform/file_places.h"

namespace velmora::platform {

// The places of the XDG base directory rules: the settings folder is $XDG_CONFIG_HOME when
// that is set to an absolute path, else $HOME/.config, else .config in the home folder of
// the user database. Relative paths are ignored, as the rules ask.
//
//   XdgFilePlaces(std::nullopt, "/home/ann").settingsFolder() == "/home/ann/.config"
//   XdgFilePlaces("/tmp/t", "/home/ann").settingsFolder() == "/tmp/t"
class XdgFilePlaces final : public FilePlaces {
public:
    // Values as the variables XDG_CONFIG_HOME and HOME would hold them; nothing when unset.
    // `userHome` stands for the user database's entry, used when neither serves.
    XdgFilePlaces(std::optional<std::string> xdgConfigHome, std::optional<std::string> home,
                  std::optional<std::string> userHome = std::nullopt);

    // Reads the variables of this process (and the user database when needed) once, now.
    static XdgFilePlaces fromEnvironment();

    // $XDG_CONFIG_HOME by the rules above: settings files, and logon entries in its
    // "autostart" folder.
    std::optional<std::filesystem::path> configHome() const { return m_configHome; }

    std::optional<std::filesystem::path> settingsFolder() const override { return m_configHome; }

private:
    std::optional<std::filesystem::path> m_configHome;
};

}  // namespace velmora::platform
