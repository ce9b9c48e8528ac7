// The skinning library through dlopen: the POSIX half of the loader.

#include "ui/skin_library_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <utility>

#include "ui/fatal_error.h"

namespace velmora::ui {

QString SkinLibraryFailureMessage(const QString& fileName, const QString& entry) {
    return QStringLiteral("无法找到指定DLL库文件“%1”中的输出命令“%2”").arg(fileName, entry);
}

void ReportSkinLibraryFailure(const QString& message) {
    // Also where a terminal or a log can keep it: the box goes with the process.
    std::fputs(FatalErrorText(message).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    ExitWithFatalError(message);
}

SkinLibraryLoader::SkinLibraryLoader(std::vector<std::string> candidates, QString fileName,
                                     FailureHandler onFailure)
    : m_candidates(std::move(candidates)),
      m_fileName(std::move(fileName)),
      m_onFailure(std::move(onFailure)) {
}

// The library stays loaded: the windows it restyled keep objects of its making
// (an event filter, style sheet polish), so unloading it would leave them
// dangling.
SkinLibraryLoader::~SkinLibraryLoader() = default;

void* SkinLibraryLoader::entry(const char* name, void*& kept) {
    if (kept != nullptr) {
        return kept;
    }
    if (m_handle == nullptr) {
        std::string reasons;
        for (const std::string& candidate : m_candidates) {
            m_handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (m_handle != nullptr) {
                m_loadedFrom = candidate;
                break;
            }
            if (const char* reason = ::dlerror()) {
                reasons += reason;
                reasons += '\n';
            }
        }
        // Why no candidate loaded, for whoever reads standard error after the
        // fatal box; the box itself has a fixed text.
        if (m_handle == nullptr) {
            std::fputs(reasons.c_str(), stderr);
        }
    }
    if (m_handle != nullptr) {
        ::dlerror();
        kept = ::dlsym(m_handle, name);
    }
    if (kept == nullptr) {
        m_onFailure(SkinLibraryFailureMessage(m_fileName, QString::fromLatin1(name)));
    }
    return kept;
}

void SkinLibraryLoader::setGlass(int on) {
    if (void* address = entry(skin::kSetGlassEntry, m_setGlass)) {
        reinterpret_cast<skin::SetGlassEntry>(address)(on);
    }
}

void SkinLibraryLoader::attach(const void* data, int size) {
    if (void* address = entry(skin::kAttachEntry, m_attach)) {
        reinterpret_cast<skin::AttachEntry>(address)(data, size, "", 0, 0, 0);
    }
}

}  // namespace velmora::ui
