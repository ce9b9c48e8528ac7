#pragma once

#include <utility>

#include "platform/file_places.h"

namespace velmora::platform {

// Places a test chooses, normally inside its own temporary folder.
class FakeFilePlaces final : public FilePlaces {
public:
    explicit FakeFilePlaces(std::optional<std::filesystem::path> settingsFolder)
        : m_settingsFolder(std::move(settingsFolder)) {}

    std::optional<std::filesystem::path> settingsFolder() const override {
        return m_settingsFolder;
    }

private:
    std::optional<std::filesystem::path> m_settingsFolder;
};

}  // namespace velmora::platform
