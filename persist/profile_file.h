#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persist/profile_document.h"

namespace velmora::persist {

// The settings file's name; its folder comes from platform::FilePlaces.
inline constexpr std::string_view kSettingsFileName = "delp.ini";

// Files larger than this are not read (and so never replaced): no settings file grows to
// this size, and reading one would take the program's memory.
inline constexpr std::size_t kMaxProfileFileBytes = std::size_t{256} << 20;

// A profile-format file on disk, read and written as the Windows profile service does it
// (the rules are ProfileDocument's), with every write atomic (see WriteFileAtomically).
//
// Each one-shot call reads the file afresh, as the service does. To read or write many values
// at once, load() the document, use it, and save() it.
//
//   ProfileFile file(places.settingsFolder().value() / kSettingsFileName);
//   file.writeValue("配置1", "配置", "8");      // creates the folder and the file if needed
//   file.readValue("配置1", "配置") == "8"
class ProfileFile {
public:
    explicit ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

    const std::filesystem::path& path() const { return m_path; }

    // The file's document; an empty one when no file is there. Nothing when something is
    // there that cannot be read (a folder, no permission, too large); a caller that writes
    // must then leave the file alone, or it would lose what it could not read.
    std::optional<ProfileDocument> load() const;

    // Replaces the file by the document's bytes. False when the system refused.
    bool save(const ProfileDocument& document) const;

    // The value, or "" when the file, the section or the key is missing or unreadable.
    std::string readValue(std::string_view section, std::string_view key) const;

    // The names of all sections in file order; none when the file is missing or unreadable.
    std::vector<std::string> readSectionNames() const;

    // Sets one value (see ProfileDocument::setValue) and saves. False when the file exists but
    // cannot be read, when the value is refused, or when the save fails; the file is then
    // unchanged.
    bool writeValue(std::string_view section, std::string_view key, std::string_view value) const;

private:
    std::filesystem::path m_path;
};

}  // namespace velmora::persist
