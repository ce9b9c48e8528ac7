#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "persist/gbk.h"
#include "persist/profile_file.h"
#include "tests/unit/persist/test_support.h"

namespace velmora::persist {
namespace {

using namespace std::string_literals;
using testing::FolderNames;
using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::TempDir;
using testing::WriteBytes;

std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::string fiftyMegabytes() {
    std::string file = G("[Other]\r\n");
    const std::string line = "key=" + std::string(94, 'v') + "\r\n";  // 100 bytes
    file.reserve((50u << 20) + line.size() + 64);
    while (file.size() < (50u << 20)) {
        file += line;
    }
    return file + G("[配置1]\r\n配置=8\r\n");
}

std::string manySections(int count) {
    std::string file;
    for (int i = 0; i < count; ++i) {
        file += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
    }
    return file + G("[配置1]\r\n配置=8\r\n");
}

// The number of bytes at the start and at the end that a and b share, without overlap.
std::size_t sharedEnds(std::string_view a, std::string_view b) {
    // Block by block first: the files here run to 50 MB.
    constexpr std::size_t kBlock = 4096;
    std::size_t prefix = 0;
    while (prefix + kBlock <= std::min(a.size(), b.size()) &&
           a.substr(prefix, kBlock) == b.substr(prefix, kBlock)) {
        prefix += kBlock;
    }
    while (prefix < std::min(a.size(), b.size()) && a[prefix] == b[prefix]) {
        ++prefix;
    }
    a.remove_prefix(prefix);
    b.remove_prefix(prefix);
    std::size_t suffix = 0;
    while (suffix + kBlock <= std::min(a.size(), b.size()) &&
           a.substr(a.size() - suffix - kBlock, kBlock) ==
               b.substr(b.size() - suffix - kBlock, kBlock)) {
        suffix += kBlock;
    }
    while (suffix < std::min(a.size(), b.size()) &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
        ++suffix;
    }
    return prefix + suffix;
}

TEST(BadFiles, AreReadAsFarAsTheyCanBeAndKeptByALaterWrite) {
    const struct {
        const char* name;
        std::function<std::string()> make;
        std::string slot1;                    // what 配置1 reads
        std::optional<std::size_t> sections;  // how many sections there are, when known
    } kCases[] = {
        {"bytes that are not GBK",
         [] { return G("[配置1]\r\n配置=") + "\xFF\x81\r\n[\xFE\xFF]\r\n\x80\x81=\xFF\r\n"; },
         "\xEF\x9F\xBF\xEF\x9E\x81", 2},
        {"binary garbage",
         [] {
             return randomBytes(256 << 10, 1) + "\n" + G("[配置1]\r\n配置=8\r\n") +
                    randomBytes(64 << 10, 2);
         },
         "8", std::nullopt},
        {"NUL bytes",
         [] { return "\0\0\0\r\n"s + G("[配置1]\r\n配置=8") + "\0junk\r\n[x\0y]\r\n\0=\0\r\n"s; },
         "8\0junk"s, 2},
        {"a file of 50 MB", fiftyMegabytes, "8", 2},
        {"100 000 sections", [] { return manySections(100000); }, "8", 100001},
        {"a value of 1 MB",
         [] { return G("[配置1]\r\n配置=") + std::string(1 << 20, 'x') + "\r\n"; },
         std::string(kMaxValueBytes, 'x'), 1},
        {"LF line ends", [] { return G("[配置1]\n配置=8\n[配置2]\n配置=0\n"); }, "8", 2},
        {"no line end at the end", [] { return G("[配置1]\r\n配置=8"); }, "8", 1},
        {"a UTF-8 byte-order mark", [] { return "\xEF\xBB\xBF" + G("[配置1]\r\n配置=8\r\n"); }, "8",
         1},
        {"saved as UTF-8 by an editor", [] { return "\xEF\xBB\xBF[配置1]\r\n配置=8\r\n"s; }, "", 1},
        {"a header without ']'", [] { return G("[配置1\r\n配置=8\r\n[配置3]\r\n配置=1\r\n"); }, "",
         1},
        {"duplicate sections", [] { return G("[配置1]\r\n配置=8\r\n[配置1]\r\n配置=9\r\n"); }, "8",
         2},
        {"CR line ends only", [] { return G("[配置1]\r配置=8\r[配置2]\r配置=0\r"); }, "", 1},
        {"an empty file", [] { return std::string(); }, "", 0},
        {"blank lines only", [] { return "\r\n \n\t\r\n"s; }, "", 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProfileFile file(dir / "delp.ini");
        const std::string before = c.make();
        WriteBytes(file.path(), before);

        const auto document = file.load();
        ASSERT_TRUE(document.has_value());
        EXPECT_EQ(document->value("配置1", "配置"), c.slot1);
        const std::vector<std::string> namesBefore = document->sectionNames();
        if (c.sections) {
            EXPECT_EQ(namesBefore.size(), *c.sections);
        }

        const std::string oldValue = Utf8ToGbk(document->value("配置2", "配置"));
        ASSERT_TRUE(file.writeValue("配置2", "配置", "9"));
        const std::string after = ReadBytes(file.path());
        // One write changes one stretch of the file, at most the old value: all before and
        // after it stays.
        EXPECT_LE(before.size() - sharedEnds(before, after), oldValue.size());
        const auto reread = file.load();
        ASSERT_TRUE(reread.has_value());
        EXPECT_EQ(reread->value("配置2", "配置"), "9");
        EXPECT_EQ(reread->value("配置1", "配置"), c.slot1);
        const std::vector<std::string> namesAfter = reread->sectionNames();
        ASSERT_GE(namesAfter.size(), namesBefore.size());
        EXPECT_TRUE(std::equal(namesBefore.begin(), namesBefore.end(), namesAfter.begin()));
        EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"delp.ini"});
    }
}

// What each case checks of a settings path that holds something that cannot be read: no
// value, no names, and a write that is refused.
std::string checkUnreadable(const ProfileFile& file) {
    if (file.load().has_value()) {
        return "load() gave a document";
    }
    if (!file.readValue("配置1", "配置").empty() || !file.readSectionNames().empty()) {
        return "something was read";
    }
    if (file.writeValue("配置1", "配置", "8")) {
        return "the write went through";
    }
    return {};
}

TEST(BadFiles, ASettingsPathThatIsAFolderIsLeftAlone) {
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    std::filesystem::create_directory(file.path());
    WriteBytes(file.path() / "inside", "x");
    EXPECT_EQ(checkUnreadable(file), "");
    EXPECT_TRUE(std::filesystem::is_directory(file.path()));
    EXPECT_EQ(FolderNames(file.path()), std::vector<std::string>{"inside"});
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"delp.ini"});
}

TEST(BadFiles, APipeAtTheSettingsPathNeitherBlocksNorIsReplaced) {
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    ASSERT_EQ(::mkfifo(file.path().c_str(), 0600), 0);
    EXPECT_EQ(checkUnreadable(file), "");
    EXPECT_TRUE(std::filesystem::is_fifo(file.path()));
}

TEST(BadFiles, AFileBeyondTheSizeLimitIsNotReadNorReplaced) {
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    WriteBytes(file.path(), G("[配置1]\r\n配置=8\r\n"));
    // Sparse: takes no disk space and no time.
    std::filesystem::resize_file(file.path(), kMaxProfileFileBytes + 1);
    EXPECT_EQ(checkUnreadable(file), "");
    EXPECT_EQ(std::filesystem::file_size(file.path()), kMaxProfileFileBytes + 1);
}

TEST(BadFiles, AnUnreadableFileIsNotReplaced) {
    // Root reads every file whatever its mode, so the check runs as an unprivileged user.
    const std::string failure = RunUnprivileged([]() -> std::string {
        TempDir dir;
        const ProfileFile file(dir / "delp.ini");
        const std::string before = G("[配置1]\r\n配置=8\r\n");
        WriteBytes(file.path(), before);
        if (::chmod(file.path().c_str(), 0200) != 0) {
            return "chmod failed";
        }
        std::string result = checkUnreadable(file);
        ::chmod(file.path().c_str(), 0600);
        if (result.empty() && ReadBytes(file.path()) != before) {
            result = "the file changed";
        }
        return result;
    });
    if (failure.starts_with("skip: ")) {
        GTEST_SKIP() << failure;
    }
    EXPECT_EQ(failure, "");
}

TEST(BadFiles, AFileInPlaceOfTheFolderMeansNoSettings) {
    TempDir dir;
    WriteBytes(dir / "config", "not a folder");
    const ProfileFile file(dir / "config" / "delp.ini");
    EXPECT_EQ(file.readValue("配置1", "配置"), "");
    EXPECT_FALSE(file.writeValue("配置1", "配置", "8"));
    EXPECT_EQ(ReadBytes(dir / "config"), "not a folder");
}

}  // namespace
}  // namespace velmora::persist
