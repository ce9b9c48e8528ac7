#include "ui/skins.h"

#include <utility>

#include <QFile>
#include <QString>

#include "ui/skin_library_file.h"
#include "ui/skin_library_loader.h"

// The skins live in a static library: its resources must be pulled in by name.
static void InitSkinResources() {
    Q_INIT_RESOURCE(skins);
}

namespace velmora::ui {

QByteArray SkinBytes(int number) {
    if (number < 1 || number > kSkinCount) {
        return {};
    }
    InitSkinResources();
    QFile file(QStringLiteral(":/skins/skin%1.vskin").arg(number, 2, 10, QLatin1Char('0')));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

Skins::Skins(std::filesystem::path programFolder, std::unique_ptr<SkinLibrary> library)
    : m_programFolder(std::move(programFolder)), m_library(std::move(library)) {
}

void Skins::startSkinning() {
    EnsureSkinLibraryFile(m_programFolder);
    m_library->setGlass(1);
}

void Skins::applySkin(int number) {
    EnsureSkinLibraryFile(m_programFolder);
    // A buffer of this call's own, freed on return: the library copies what
    // it keeps.
    const QByteArray bytes = SkinBytes(number);
    if (bytes.isEmpty()) {
        m_library->attach(nullptr, 0);
    } else {
        m_library->attach(bytes.constData(), static_cast<int>(bytes.size()));
    }
}

std::unique_ptr<SkinLibrary> ProgramSkinLibrary(const std::filesystem::path& programFolder) {
    return std::make_unique<SkinLibraryLoader>(SkinLibraryCandidates(programFolder),
                                               QString::fromLatin1(kSkinLibraryName),
                                               ReportSkinLibraryFailure);
}

}  // namespace velmora::ui
