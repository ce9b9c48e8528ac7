#include "persist/profile_file.h"

#include "persist/atomic_file.h"

namespace velmora::persist {

std::optional<ProfileDocument> ProfileFile::load() const {
    FileContent file = ReadWholeFile(m_path, kMaxProfileFileBytes);
    switch (file.status) {
        case FileContent::Status::Read:
            return ProfileDocument(std::move(file.bytes));
        case FileContent::Status::Missing:
            return ProfileDocument();
        case FileContent::Status::Failed:
            break;
    }
    return std::nullopt;
}

bool ProfileFile::save(const ProfileDocument& document) const {
    return WriteFileAtomically(m_path, document.bytes());
}

std::string ProfileFile::readValue(std::string_view section, std::string_view key) const {
    const auto document = load();
    return document ? document->value(section, key) : std::string();
}

std::vector<std::string> ProfileFile::readSectionNames() const {
    const auto document = load();
    return document ? document->sectionNames() : std::vector<std::string>();
}

bool ProfileFile::writeValue(std::string_view section, std::string_view key,
                             std::string_view value) const {
    auto document = load();
    return document && document->setValue(section, key, value) && save(*document);
}

}  // namespace velmora::persist
