#pragma once

#include <filesystem>
#include <optional>

namespace velmora::platform {

// Where the program keeps its files for the user who runs it.
class FilePlaces {
public:
    virtual ~FilePlaces() = default;

    // The folder of the user's settings files, e.g. "/home/ann/.config" on Linux; nothing when
    // the system names none. The folder need not exist yet: whoever writes into it first
    // creates it, and reading from a missing folder creates nothing.
    virtual std::optional<std::filesystem::path> settingsFolder() const = 0;
};

}  // namespace velmora::platform
