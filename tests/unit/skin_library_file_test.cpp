// EnsureSkinLibraryFile: the library's file image is written into the
// program's folder, hidden and plain, only where nothing of its name is; what
// is there is never replaced nor changed.

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ui/skin_library_file.h"

namespace velmora::ui {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Image() {
    const auto image = SkinLibraryImage();
    return {reinterpret_cast<const char*>(image.data()), image.size()};
}

fs::perms Permissions(const fs::path& path) {
    return fs::symlink_status(path).permissions();
}

class SkinLibraryFileTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velmora-skin-file-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(m_folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_folder, ignored);
    }

    fs::path entry() const { return m_folder / kSkinLibraryFileName; }

    fs::path m_folder;
};

TEST_F(SkinLibraryFileTest, TheImageIsTheBuiltLibrary) {
    EXPECT_EQ(Image(), ReadAll(VELMORA_SKIN_LIBRARY));
    // An ELF shared object, which dlopen will take.
    EXPECT_EQ(Image().substr(0, 4), std::string("\x7f"
                                                "ELF"));
}

TEST_F(SkinLibraryFileTest, WritesAHiddenPlainFileWhereNothingIs) {
    EXPECT_EQ(std::string(kSkinLibraryFileName).front(), '.');
    // A strict umask must not leave the file unreadable to others.
    const mode_t umask = ::umask(077);
    EnsureSkinLibraryFile(m_folder);
    ::umask(umask);

    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(entry())));
    EXPECT_EQ(ReadAll(entry()), Image());
    using fs::perms;
    EXPECT_EQ(Permissions(entry()),
              perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
    // Nothing else is written beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

TEST_F(SkinLibraryFileTest, WritesItAgainOnceDeleted) {
    EnsureSkinLibraryFile(m_folder);
    fs::remove(entry());
    EnsureSkinLibraryFile(m_folder);
    EXPECT_EQ(ReadAll(entry()), Image());
}

TEST_F(SkinLibraryFileTest, CopiesStartingTogetherNeverSeeHalfALibrary) {
    // Each copy of the program writes when it finds nothing; whichever wins,
    // what appears under the name is the whole image, and nothing is left
    // beside it.
    std::atomic<bool> done = false;
    std::atomic<int> partSeen = 0;
    std::thread watcher([&] {
        while (!done) {
            std::error_code error;
            const auto size = fs::file_size(entry(), error);
            if (!error && size != Image().size()) {
                ++partSeen;
            }
        }
    });
    std::vector<std::thread> copies;
    for (int i = 0; i < 8; ++i) {
        copies.emplace_back([this] { EnsureSkinLibraryFile(m_folder); });
    }
    for (std::thread& copy : copies) {
        copy.join();
    }
    done = true;
    watcher.join();
    EXPECT_EQ(partSeen, 0);
    EXPECT_EQ(ReadAll(entry()), Image());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

TEST_F(SkinLibraryFileTest, NeverReplacesWhatIsThere) {
    const fs::path elsewhere = m_folder / "elsewhere";
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make;
        std::function<void(const fs::path&)> unchanged;
    } kCases[] = {
        {"a read-only file",
         [](const fs::path& p) {
             WriteAll(p, "an older library");
             fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
         },
         [](const fs::path& p) {
             EXPECT_EQ(ReadAll(p), "an older library");
             EXPECT_EQ(Permissions(p), fs::perms::owner_read | fs::perms::group_read);
         }},
        {"a file only its owner may read, of other content",
         [](const fs::path& p) {
             WriteAll(p, "not a library at all");
             fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write);
         },
         [](const fs::path& p) {
             EXPECT_EQ(ReadAll(p), "not a library at all");
             EXPECT_EQ(Permissions(p), fs::perms::owner_read | fs::perms::owner_write);
         }},
        {"an empty file", [](const fs::path& p) { WriteAll(p, ""); },
         [](const fs::path& p) {
             EXPECT_TRUE(fs::is_regular_file(p));
             EXPECT_EQ(fs::file_size(p), 0u);
         }},
        {"a directory",
         [](const fs::path& p) {
             fs::create_directory(p);
             WriteAll(p / "inside", "kept");
         },
         [](const fs::path& p) {
             EXPECT_TRUE(fs::is_directory(fs::symlink_status(p)));
             EXPECT_EQ(ReadAll(p / "inside"), "kept");
         }},
        {"a link to a file elsewhere",
         [elsewhere](const fs::path& p) {
             WriteAll(elsewhere, "the target");
             fs::create_symlink(elsewhere, p);
         },
         [elsewhere](const fs::path& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_EQ(fs::read_symlink(p), elsewhere);
             EXPECT_EQ(ReadAll(elsewhere), "the target");
         }},
        {"a broken link",
         [](const fs::path& p) { fs::create_symlink("/nonexistent/library.so", p); },
         [](const fs::path& p) {
             EXPECT_TRUE(fs::is_symlink(p));
             EXPECT_FALSE(fs::exists(p));
         }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(entry());
        fs::remove_all(elsewhere);
        c.make(entry());
        EnsureSkinLibraryFile(m_folder);
        c.unchanged(entry());
    }
}

TEST_F(SkinLibraryFileTest, AFolderItCannotWriteToIsLeftQuietly) {
    // A program folder that is in truth a file: no write can succeed there,
    // whoever runs the test.
    const fs::path notAFolder = m_folder / "program";
    WriteAll(notAFolder, "x");
    EnsureSkinLibraryFile(notAFolder);
    EXPECT_EQ(ReadAll(notAFolder), "x");
    EXPECT_FALSE(fs::exists(fs::symlink_status(notAFolder / kSkinLibraryFileName)));
}

TEST_F(SkinLibraryFileTest, AnUnknownFolderWritesNothing) {
    const fs::path previous = fs::current_path();
    fs::current_path(m_folder);
    EnsureSkinLibraryFile({});
    fs::current_path(previous);
    EXPECT_TRUE(fs::is_empty(m_folder));
    EXPECT_FALSE(fs::exists(fs::symlink_status(fs::path("/") / kSkinLibraryFileName)));
}

TEST(SkinLibraryCandidatesTest, TheProgramsCopyFirstThenTheSystemsSearch) {
    EXPECT_EQ(SkinLibraryCandidates("/opt/velmora"),
              (std::vector<std::string>{"/opt/velmora/.libvelmora-skin.so", "libvelmora-skin.so"}));
    EXPECT_EQ(SkinLibraryCandidates({}), (std::vector<std::string>{"libvelmora-skin.so"}));
}

}  // namespace
}  // namespace velmora::ui
