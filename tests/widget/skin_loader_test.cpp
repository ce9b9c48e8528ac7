// Loading the skinning library at run time: where it is looked for and in
// which order, that it stays loaded once found, and the failure message when it
// cannot be loaded or lacks an entry. A stand-in library (skin_test_library.h)
// records the calls; the test executable's run path holds one more copy under
// the library's real name, standing for a copy the system's search finds.

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QTemporaryDir>
#include <QTest>

#include "hermetic_test_main.h"
#include "skin_test_library.h"
#include "ui/skin_library_file.h"
#include "ui/skin_library_loader.h"

namespace fs = std::filesystem;
using velmora::ui::SkinLibraryLoader;

namespace {

const fs::path kTestLibrary = VELMORA_SKIN_TEST_LIBRARY;
const fs::path kTestLibraryWithoutAttach = VELMORA_SKIN_TEST_LIBRARY_WITHOUT_ATTACH;
// On the test's run path, as libvelmora-skin.so.
const fs::path kSearchedCopy = VELMORA_SKIN_SEARCHED_COPY;

// What the copy of the stand-in at `path` was called with. Opening it again
// gives the instance already loaded from there.
const VelmoraSkinTestRecord* CallsOf(const fs::path& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (handle == nullptr) {
        return nullptr;
    }
    using Calls = const VelmoraSkinTestRecord* (*)();
    return reinterpret_cast<Calls>(::dlsym(handle, kSkinTestCallsEntry))();
}

QString Message(const char* entry) {
    return QStringLiteral("无法找到指定DLL库文件“libvelmora-skin.so”中的输出命令“%1”")
        .arg(QLatin1StringView(entry));
}

}  // namespace

class SkinLoaderTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void looksInTheProgramsFolderThenSearches_data();
    void looksInTheProgramsFolderThenSearches();
    void entriesGetTheirArguments();
    void staysLoadedOnceFound();
    void nothingToLoadNamesTheEntryCalled();
    void aMissingEntryIsNamedWhenCalled();

private:
    // A program folder of its own for each test; the stand-in's copies there
    // are new files, so each is loaded afresh with its own record.
    fs::path folder() const { return m_folder->path().toStdString(); }
    fs::path programsCopy() const { return folder() / velmora::ui::kSkinLibraryFileName; }
    SkinLibraryLoader loader(std::vector<std::string> candidates) {
        return SkinLibraryLoader(std::move(candidates),
                                 QString::fromLatin1(velmora::ui::kSkinLibraryName),
                                 [this](const QString& message) { m_failures.append(message); });
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_failures;
};

void SkinLoaderTest::init() {
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_failures.clear();
}

void SkinLoaderTest::looksInTheProgramsFolderThenSearches_data() {
    QTest::addColumn<QString>("inFolder");  // what the program's folder holds
    QTest::addColumn<bool>("loadsTheFoldersCopy");
    QTest::newRow("the library") << "library" << true;
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("a file that is no library") << "junk" << false;
    QTest::newRow("a directory") << "directory" << false;
}

void SkinLoaderTest::looksInTheProgramsFolderThenSearches() {
    QFETCH(QString, inFolder);
    QFETCH(bool, loadsTheFoldersCopy);
    if (inFolder == QLatin1StringView("library")) {
        fs::copy_file(kTestLibrary, programsCopy());
    } else if (inFolder == QLatin1StringView("junk")) {
        std::ofstream(programsCopy()) << "not a library";
    } else if (inFolder == QLatin1StringView("directory")) {
        fs::create_directory(programsCopy());
    }

    // The program's own candidates: the copy in its folder, then the bare name.
    SkinLibraryLoader library = loader(velmora::ui::SkinLibraryCandidates(folder()));
    const int searchedBefore = CallsOf(kSearchedCopy) ? CallsOf(kSearchedCopy)->glassCalls : 0;
    library.setGlass(1);

    QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.value(0)));
    if (loadsTheFoldersCopy) {
        QCOMPARE(library.loadedFrom(), programsCopy().string());
        QCOMPARE(CallsOf(programsCopy())->glassCalls, 1);
    } else {
        QCOMPARE(library.loadedFrom(), std::string(velmora::ui::kSkinLibraryName));
        QCOMPARE(CallsOf(kSearchedCopy)->glassCalls, searchedBefore + 1);
    }
}

void SkinLoaderTest::entriesGetTheirArguments() {
    fs::copy_file(kTestLibrary, programsCopy());
    SkinLibraryLoader library = loader({programsCopy().string()});
    library.setGlass(1);
    const char skin[] = "skin bytes";
    library.attach(skin, 10);
    const VelmoraSkinTestRecord* calls = CallsOf(programsCopy());
    QCOMPARE(calls->glass, 1);
    QCOMPARE(calls->attachCalls, 1);
    QCOMPARE(calls->data, static_cast<const void*>(skin));
    QCOMPARE(calls->size, 10);
    QCOMPARE(QByteArray(calls->options), QByteArray(""));
    QCOMPARE(calls->reserved[0], 0);
    QCOMPARE(calls->reserved[1], 0);
    QCOMPARE(calls->reserved[2], 0);

    // No skin: a null pointer and no bytes.
    library.attach(nullptr, 0);
    QCOMPARE(calls->attachCalls, 2);
    QCOMPARE(calls->data, nullptr);
    QCOMPARE(calls->size, 0);
}

void SkinLoaderTest::staysLoadedOnceFound() {
    fs::copy_file(kTestLibrary, programsCopy());
    SkinLibraryLoader library = loader({programsCopy().string(), "libvelmora-skin-nowhere.so"});
    library.setGlass(1);
    const VelmoraSkinTestRecord* calls = CallsOf(programsCopy());
    // The file going away changes nothing: the library in memory answers on,
    // for the entry already called and for the one called first now.
    fs::remove(programsCopy());
    library.setGlass(0);
    library.attach(nullptr, 0);
    QVERIFY(m_failures.isEmpty());
    QCOMPARE(calls->glassCalls, 2);
    QCOMPARE(calls->glass, 0);
    QCOMPARE(calls->attachCalls, 1);
}

void SkinLoaderTest::nothingToLoadNamesTheEntryCalled() {
    SkinLibraryLoader library = loader({programsCopy().string(), "libvelmora-skin-nowhere.so"});
    library.setGlass(1);
    QCOMPARE(m_failures, QStringList{Message("VelmoraSkinSetGlass")});
    library.attach(nullptr, 0);
    QCOMPARE(m_failures,
             (QStringList{Message("VelmoraSkinSetGlass"), Message("VelmoraSkinAttach")}));
    QVERIFY(library.loadedFrom().empty());
}

void SkinLoaderTest::aMissingEntryIsNamedWhenCalled() {
    fs::copy_file(kTestLibraryWithoutAttach, programsCopy());
    SkinLibraryLoader library = loader({programsCopy().string()});
    library.setGlass(1);
    QVERIFY(m_failures.isEmpty());
    library.attach(nullptr, 0);
    QCOMPARE(m_failures, QStringList{Message("VelmoraSkinAttach")});
    // The entry that is there still answers.
    library.setGlass(0);
    QCOMPARE(CallsOf(programsCopy())->glassCalls, 2);
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(SkinLoaderTest)
#include "skin_loader_test.moc"
