#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "skin/velmora_skin.h"
#include "ui/skin_library.h"

namespace velmora::ui {

// The skinning library loaded at run time. Nothing is loaded until the first
// entry call; then the candidates are tried in order (a path with a slash as
// that file, a bare name through the system's library search) and the first
// that loads stays loaded for the life of the process. Each entry's address is
// looked up on its first call and kept.
//
// When no candidate loads, or the library lacks the entry called, `onFailure`
// gets the message of the fatal error box, for example
// 无法找到指定DLL库文件“libvelmora-skin.so”中的输出命令“VelmoraSkinSetGlass”,
// and the call does nothing. The program's handler ends the program
// (ReportSkinLibraryFailure); a test's may return.
class SkinLibraryLoader final : public SkinLibrary {
public:
    using FailureHandler = std::function<void(const QString& message)>;

    // fileName is what the message names.
    SkinLibraryLoader(std::vector<std::string> candidates, QString fileName,
                      FailureHandler onFailure);
    ~SkinLibraryLoader() override;
    SkinLibraryLoader(const SkinLibraryLoader&) = delete;
    SkinLibraryLoader& operator=(const SkinLibraryLoader&) = delete;

    void setGlass(int on) override;
    void attach(const void* data, int size) override;

    // The candidate that loaded; empty before the first call or when none did.
    const std::string& loadedFrom() const { return m_loadedFrom; }

private:
    // The entry's address, looked up once; nullptr after onFailure.
    void* entry(const char* name, void*& kept);

    std::vector<std::string> m_candidates;
    QString m_fileName;
    FailureHandler m_onFailure;
    void* m_handle = nullptr;
    std::string m_loadedFrom;
    void* m_setGlass = nullptr;
    void* m_attach = nullptr;
};

// "无法找到指定DLL库文件“<file>”中的输出命令“<entry>”".
QString SkinLibraryFailureMessage(const QString& fileName, const QString& entry);

// The program's failure handler: the message on standard error, then the fatal
// error box, then the end of the process with the fatal exit code.
[[noreturn]] void ReportSkinLibraryFailure(const QString& message);

}  // namespace velmora::ui
