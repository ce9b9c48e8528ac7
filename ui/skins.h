#pragma once

#include <filesystem>
#include <memory>

#include <QByteArray>

#include "ui/skin_library.h"

namespace velmora::ui {

// The 33 skins, numbered 1 to 33 (ui/skins/skinNN.vskin, built into the
// program); what is inside is the skinning library's business.
inline constexpr int kSkinCount = 33;
// The skin of a first start and of the warning window.
inline constexpr int kDefaultSkin = 8;

// Skin `number`'s bytes in a buffer of their own; empty for a number outside 1
// to kSkinCount.
QByteArray SkinBytes(int number);

// The program's side of the skinning library: StartSkinning and ApplySkin. Both
// first write the library file into the program's folder when it is missing
// (EnsureSkinLibraryFile), so a file deleted while the program runs comes back
// with the next call.
class Skins {
public:
    // programFolder may be empty when unknown: nothing is written then.
    Skins(std::filesystem::path programFolder, std::unique_ptr<SkinLibrary> library);

    // StartSkinning: the library file, then the glass effect on. This first
    // entry call loads the library.
    void startSkinning();

    // ApplySkin(n): the library file, then skin n attached; no skin (the
    // library's default look) for n outside 1 to kSkinCount.
    void applySkin(int number);

    const std::filesystem::path& programFolder() const { return m_programFolder; }

private:
    std::filesystem::path m_programFolder;
    std::unique_ptr<SkinLibrary> m_library;
};

// The real library for a program in `programFolder`: loaded from the copy
// there, else through the system's library search; a failure ends the program
// with the fatal error box.
std::unique_ptr<SkinLibrary> ProgramSkinLibrary(const std::filesystem::path& programFolder);

}  // namespace velmora::ui
