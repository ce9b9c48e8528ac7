#include "ui/skin_library_file.h"

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <system_error>

namespace velmora::ui {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

enum class Write { NotCreated, Failed, Done };

Write WriteNew(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
    // "x": create only, failing when something of that name appeared since the
    // check, so even a race never replaces an entry.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wbx"));
    if (!file) {
        return Write::NotCreated;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    return std::fclose(file.release()) == 0 && written ? Write::Done : Write::Failed;
}

}  // namespace

void EnsureSkinLibraryFile(const std::filesystem::path& programFolder) {
    if (programFolder.empty()) {
        return;
    }
    const std::filesystem::path path = programFolder / kSkinLibraryFileName;
    std::error_code error;
    // symlink_status: a link counts as an entry, wherever it points.
    const auto status = std::filesystem::symlink_status(path, error);
    if (status.type() != std::filesystem::file_type::not_found) {
        // There, or unknowable (a folder that cannot be searched): leave it.
        return;
    }
    // Written whole under a name of its own first, then linked to its real
    // name, which fails when something took that name meanwhile: a second
    // copy of the program starting at the same moment must never find, and
    // load, a half-written library.
    std::random_device random;
    std::filesystem::path part = path;
    part += "." + std::to_string(random());
    switch (WriteNew(part, SkinLibraryImage())) {
        case Write::NotCreated:
            return;
        case Write::Failed:
            std::filesystem::remove(part, error);
            return;
        case Write::Done:
            break;
    }
    using std::filesystem::perms;
    std::filesystem::permissions(
        part, perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
        std::filesystem::perm_options::replace, error);
    std::filesystem::create_hard_link(part, path, error);
    std::error_code ignored;
    if (error && error != std::errc::file_exists &&
        std::filesystem::symlink_status(path, ignored).type() ==
            std::filesystem::file_type::not_found) {
        // A file system without hard links (FAT on a USB stick): a rename, which
        // leaves only a moment's race with another copy of the program.
        std::filesystem::rename(part, path, ignored);
    }
    std::filesystem::remove(part, ignored);
}

std::vector<std::string> SkinLibraryCandidates(const std::filesystem::path& programFolder) {
    std::vector<std::string> candidates;
    if (!programFolder.empty()) {
        candidates.push_back((programFolder / kSkinLibraryFileName).string());
    }
    candidates.emplace_back(kSkinLibraryName);
    return candidates;
}

}  // namespace velmora::ui
