#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::persist {

// Reading and replacing whole small files (settings, logon entries) so that a crash, a kill
// or a full disk never leaves a torn file behind. POSIX; a Windows build brings its own.

struct FileContent {
    enum class Status {
        Read,     // `bytes` holds the whole file
        Missing,  // nothing at the path (or a folder on the way is missing or a file)
        Failed,   // something is there but could not be read: a folder, a pipe, a device, no
                  // permission, an I/O error, or larger than the limit
    };
    Status status = Status::Missing;
    std::string bytes;
};

// The whole content of the regular file at `path`, if it holds at most maxBytes bytes.
// Never blocks on a pipe or a device and never creates anything.
//
//   ReadWholeFile("/home/ann/.config/delp.ini", 1 << 20)  ->  {Read, "[配置1]\r\n..."}
FileContent ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces the content of the file at `path` by `bytes`, or creates it. The new content goes
// to a temporary file in the same folder, is flushed to disk and then renamed over the old
// file, and the folder is flushed too; so at any moment the path holds either the old content
// or the new, in full. A symbolic link at the path is followed, and the file it points to is
// replaced. The replaced file's permission bits (and owner, when allowed) carry over; a new
// file gets 0666 less the umask. Missing folders are created with mode 0700.
//
// Returns false, and leaves the old file as it was and no temporary file behind, when the
// folder cannot be written, the disk is full, the path is not a regular file (a folder, a
// pipe), or the existing file is read-only to us.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace velmora::persist
