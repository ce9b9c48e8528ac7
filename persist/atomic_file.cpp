#include "persist/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace velmora::persist {

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now and says whether the close succeeded: on some file systems a write error
    // shows only here.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Creates the folder and the missing folders above it, each with mode 0700 as the XDG base
// directory rules ask for the folders a program creates for its user.
bool makeFolders(const std::filesystem::path& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    if (errno != ENOENT) {
        return false;
    }
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !makeFolders(parent)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// The file a write to `path` has to replace: symbolic links followed, so that a settings file
// kept elsewhere and linked into place stays linked.
std::filesystem::path writeTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!std::filesystem::is_symlink(target, error)) {
            break;
        }
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) {
            break;
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

void syncFolder(const std::filesystem::path& folder) {
    // Makes the rename itself durable. Some file systems cannot sync a folder; the new file
    // is in place all the same, so a failure here changes nothing for the caller.
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

std::atomic<unsigned> g_tempCounter{0};

}  // namespace

FileContent ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return {missing ? FileContent::Status::Missing : FileContent::Status::Failed, {}};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::size_t>(info.st_size) > maxBytes) {
        return {FileContent::Status::Failed, {}};
    }
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            // The file may have grown since fstat; read on until the end, within the limit.
            if (bytes.size() >= maxBytes + 1) {
                return {FileContent::Status::Failed, {}};
            }
            bytes.resize(std::min(maxBytes + 1, bytes.size() + 4096));
        }
        const ssize_t got = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {FileContent::Status::Failed, {}};
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    if (used > maxBytes) {
        return {FileContent::Status::Failed, {}};
    }
    bytes.resize(used);
    return {FileContent::Status::Read, std::move(bytes)};
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = writeTarget(path);
    if (!target.has_filename()) {
        return false;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (!makeFolders(folder)) {
        return false;
    }

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing &&
        (!S_ISREG(old.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
        return false;
    }
    if (!replacing && errno != ENOENT) {
        return false;
    }

    // ".delp.ini.tmp-<pid>-<n>": hidden, and not ending like the file itself, so that nothing
    // that scans the folder for *.ini or *.desktop files takes a half-written one.
    std::filesystem::path temp;
    int rawFd = -1;
    for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                         "-" + std::to_string(g_tempCounter++));
        rawFd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (rawFd < 0 && errno != EEXIST) {
            return false;
        }
    }
    Descriptor fd(rawFd);
    if (fd.get() < 0) {
        return false;
    }
    bool ok = true;
    if (replacing) {
        // Only root may give a file away; for anyone else the new file stays theirs, as a
        // file they could replace already was in effect.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), old.st_uid, old.st_gid);
        ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
    }
    ok = ok && writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    ok = fd.close() && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

}  // namespace velmora::persist
