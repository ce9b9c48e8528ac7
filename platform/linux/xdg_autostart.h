#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/autostart.h"

namespace velmora::platform {

// Logon entries as XDG autostart desktop entries of the user who runs the program:
// <config home>/autostart/<program file name>.desktop (the machine-wide folder is not
// writable for a normal user). An entry is written atomically and starts exactly the
// program file, with no argument.
//
//   XdgAutostart store(XdgFilePlaces::fromEnvironment().configHome());
//   store.add("/opt/my tools/velmora");   // writes ~/.config/autostart/velmora.desktop
//
// An entry the user switched off in the desktop's settings (Hidden=true) still exists, so
// starting a task again does not switch it back on.
class XdgAutostart final : public AutostartStore {
public:
    // configHome: $XDG_CONFIG_HOME (see XdgFilePlaces); with nothing, every change fails.
    explicit XdgAutostart(std::optional<std::filesystem::path> configHome)
        : m_configHome(std::move(configHome)) {}

    bool exists(std::string_view programPath) const override;
    bool add(std::string_view programPath) override;
    bool remove(std::string_view programPath) override;

    // The entry's file for a program, or nothing without a config home or a file name.
    std::optional<std::filesystem::path> entryPath(std::string_view programPath) const;

private:
    std::optional<std::filesystem::path> m_configHome;
};

// The desktop entry that starts programPath with no argument:
//
//   [Desktop Entry]
//   Type=Application
//   Name=velmora
//   Exec="/opt/my tools/velmora"
//
// The Exec value is quoted and escaped by the Desktop Entry rules: inside the quotes '"', '`',
// '$' and '\' get a backslash and '%' is doubled, then the value as a whole is escaped as a
// string ('\' -> "\\", line feed -> "\n", tab -> "\t", carriage return -> "\r"). Nothing
// when the path cannot be written in an entry: not a full path, not UTF-8, or holding another
// control character.
std::optional<std::string> DesktopEntryFor(std::string_view programPath);

}  // namespace velmora::platform
