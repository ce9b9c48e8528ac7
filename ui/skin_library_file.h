#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace velmora::ui {

// The skinning library's file as the system's library search knows it, and as
// the fatal error box names it.
inline constexpr const char* kSkinLibraryName = "libvelmora-skin.so";

// The copy the program writes into its own folder: the same file, hidden (on
// Linux a leading dot hides a file).
inline constexpr const char* kSkinLibraryFileName = ".libvelmora-skin.so";

// The library's file image, embedded when the program was built.
std::span<const unsigned char> SkinLibraryImage();

// EnsureSkinLibraryFile: writes SkinLibraryImage() to
// programFolder / kSkinLibraryFileName when nothing of that name is there. An
// entry of any kind (a file of any content or permissions, a directory, a
// symbolic link, even a broken one) is never replaced nor changed. The file
// written is a plain one, rw-r--r--, whatever the umask, and appears whole or
// not at all, so a second copy of the program starting at the same moment
// never loads half a library. Failures are silent: a folder the program cannot
// write to keeps no file, and a write that fails part way leaves none behind.
// An empty programFolder (where the program lives is unknown) writes nothing.
void EnsureSkinLibraryFile(const std::filesystem::path& programFolder);

// Where to load the library from, in order: the copy in the program's folder
// (when known), then kSkinLibraryName through the system's library search.
std::vector<std::string> SkinLibraryCandidates(const std::filesystem::path& programFolder);

}  // namespace velmora::ui
