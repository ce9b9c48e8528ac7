#include "persist/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "tests/unit/persist/test_support.h"

namespace velmora::persist {
namespace {

using testing::FolderNames;
using testing::ReadBytes;
using testing::RunInChild;
using testing::RunUnprivileged;
using testing::TempDir;
using testing::WriteBytes;

mode_t modeOf(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ReadWholeFile, SaysWhatIsAtThePath) {
    TempDir dir;
    WriteBytes(dir / "file", "12345");
    WriteBytes(dir / "empty", "");
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("file", dir / "link");
    std::filesystem::create_symlink("nowhere", dir / "dangling");

    using Status = FileContent::Status;
    const struct {
        const char* name;
        std::size_t maxBytes;
        Status status;
        const char* bytes;
    } kCases[] = {
        {"file", 5, Status::Read, "12345"},       {"file", 4, Status::Failed, ""},
        {"empty", 0, Status::Read, ""},           {"link", 100, Status::Read, "12345"},
        {"missing", 100, Status::Missing, ""},    {"dangling", 100, Status::Missing, ""},
        {"file/below", 100, Status::Missing, ""}, {"folder", 100, Status::Failed, ""},
        {"pipe", 100, Status::Failed, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const FileContent read = ReadWholeFile(dir / c.name, c.maxBytes);
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.bytes, c.bytes);
    }
}

TEST(WriteFileAtomically, ReplacesTheContentAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto path = dir / "delp.ini";
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    ASSERT_TRUE(WriteFileAtomically(path, "new content"));
    EXPECT_EQ(ReadBytes(path), "new content");
    ASSERT_TRUE(WriteFileAtomically(path, ""));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"delp.ini"});
}

TEST(WriteFileAtomically, KeepsThePermissionsOfTheFileItReplaces) {
    const mode_t kModes[] = {0600, 0640, 0604, 0660, 0755};
    for (const mode_t mode : kModes) {
        SCOPED_TRACE(mode);
        TempDir dir;
        const auto path = dir / "delp.ini";
        WriteBytes(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(WriteFileAtomically(path, "new"));
        EXPECT_EQ(modeOf(path), mode);
    }
}

TEST(WriteFileAtomically, GivesANewFileTheUsualPermissions) {
    TempDir dir;
    const mode_t saved = ::umask(027);
    const bool written = WriteFileAtomically(dir / "delp.ini", "x");
    ::umask(saved);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(dir / "delp.ini"), 0640u);
}

TEST(WriteFileAtomically, CreatesMissingFoldersForTheUserOnly) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_TRUE(WriteFileAtomically(dir / "a" / "b" / "delp.ini", "x"));
    EXPECT_EQ(ReadBytes(dir / "a" / "b" / "delp.ini"), "x");
    EXPECT_EQ(modeOf(dir / "a"), 0700u);
    EXPECT_EQ(modeOf(dir / "a" / "b"), 0700u);
    EXPECT_EQ(modeOf(dir.path()), 0755u);  // an existing folder is left as it is
}

TEST(WriteFileAtomically, ReplacesTheFileALinkPointsTo) {
    TempDir dir;
    std::filesystem::create_directory(dir / "dotfiles");
    WriteBytes(dir / "dotfiles" / "delp.ini", "old");
    std::filesystem::create_symlink("dotfiles/delp.ini", dir / "delp.ini");
    ASSERT_TRUE(WriteFileAtomically(dir / "delp.ini", "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "delp.ini"));
    EXPECT_EQ(ReadBytes(dir / "dotfiles" / "delp.ini"), "new");
    EXPECT_EQ(FolderNames(dir / "dotfiles"), std::vector<std::string>{"delp.ini"});
}

TEST(WriteFileAtomically, LeavesWhatItMayNotReplace) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(WriteFileAtomically(dir / "folder", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    WriteBytes(dir / "file", "x");
    EXPECT_FALSE(WriteFileAtomically(dir / "file" / "delp.ini", "x"));
    EXPECT_FALSE(WriteFileAtomically(dir.path() / "", "x"));
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"file", "folder"}));
}

TEST(WriteFileAtomically, LeavesAReadOnlyFileAndAReadOnlyFolderAlone) {
    const std::string failure = RunUnprivileged([]() -> std::string {
        TempDir dir;
        WriteBytes(dir / "read-only", "old");
        ::chmod((dir / "read-only").c_str(), 0444);
        if (WriteFileAtomically(dir / "read-only", "new") ||
            ReadBytes(dir / "read-only") != "old") {
            return "a read-only file was replaced";
        }
        std::filesystem::create_directory(dir / "locked");
        WriteBytes(dir / "locked" / "delp.ini", "old");
        ::chmod((dir / "locked").c_str(), 0555);
        if (WriteFileAtomically(dir / "locked" / "delp.ini", "new") ||
            ReadBytes(dir / "locked" / "delp.ini") != "old") {
            return "a file in a read-only folder was replaced";
        }
        if (FolderNames(dir / "locked") != std::vector<std::string>{"delp.ini"}) {
            return "something was left in the read-only folder";
        }
        return {};
    });
    if (failure.starts_with("skip: ")) {
        GTEST_SKIP() << failure;
    }
    EXPECT_EQ(failure, "");
}

TEST(WriteFileAtomically, AFullDiskLeavesTheOldFile) {
    // A file size limit makes writes fail part way, as a full disk does.
    TempDir dir;
    const auto path = dir / "delp.ini";
    WriteBytes(path, "old");
    const std::string failure = RunInChild([&]() -> std::string {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return "setrlimit failed";
        }
        return WriteFileAtomically(path, std::string(100000, 'n')) ? "the write succeeded" : "";
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"delp.ini"});
}

TEST(WriteFileAtomically, AKilledSaveLeavesTheOldFileOrTheNewOneWhole) {
    TempDir dir;
    const auto path = dir / "delp.ini";
    // Different sizes, so that a torn write could not pass for either.
    const std::string oldContent(64 << 10, 'o');
    const std::string newContent(1 << 20, 'n');
    ASSERT_TRUE(WriteFileAtomically(path, oldContent));

    std::mt19937 random(20240501);
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < 150; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            const bool toNew = round % 2 == 0;
            // Only system calls from here on: the child must never return into the test.
            if (::write(ready[1], "r", 1) != 1) {
                ::_exit(1);
            }
            for (int i = 0;; ++i) {
                WriteFileAtomically(path, (i % 2 == 0) == toNew ? newContent : oldContent);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(random() % 4000));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = ReadBytes(path);
        ASSERT_TRUE(now == oldContent || now == newContent)
            << "round " << round << ": " << now.size() << " bytes";
        (now == oldContent ? sawOld : sawNew)++;
    }
    // The kills fell on both sides of a rename, and inside saves: a killed save leaves its
    // temporary file behind (the only litter; the settings file itself is always whole).
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
    EXPECT_GT(FolderNames(dir.path()).size(), 1u);
}

}  // namespace
}  // namespace velmora::persist
