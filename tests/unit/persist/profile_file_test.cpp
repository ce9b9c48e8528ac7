#include "persist/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tests/unit/persist/test_support.h"

namespace velmora::persist {
namespace {

using testing::FolderNames;
using testing::ReadBytes;
using testing::TempDir;
using testing::TestData;
using testing::WriteBytes;

// One write of the settings save: the value of key 配置 in section 配置<slot>.
struct SlotWrite {
    int slot;
    const char* value;
};

// A save with 执行一次 into a file without our settings: the repeat record (16 to 19) and both
// markers, then slots 1 to 15, then the record's date and hour cleared.
const std::vector<SlotWrite> kFirstSaveRunOnce = {
    {16, "2024年5月1日"},
    {17, "22"},
    {18, "30"},
    {19, "0"},
    {20, "0"},
    {21, "0"},
    {1, "8"},
    {2, "0"},
    {3, "1"},
    {4, "真"},
    {5, "30"},
    {6, ""},
    {7, "2024年5月1日"},
    {8, "22"},
    {9, "30"},
    {10, "0"},
    {11, "2"},
    {12, "0"},
    {13, "1"},
    {14, "0"},
    {15, "0"},
    {16, "0"},
    {17, "0"},
};

// The first start of a repeating task: slots 1 to 15, the repeat record, the task's marker.
std::vector<SlotWrite> firstStartRepeating(const char* repetition, int markerSlot) {
    return {
        {1, "8"},
        {2, repetition},
        {3, "1"},
        {4, "真"},
        {5, "30"},
        {6, ""},
        {7, "2024年5月1日"},
        {8, "22"},
        {9, "30"},
        {10, "0"},
        {11, "2"},
        {12, "0"},
        {13, "1"},
        {14, "0"},
        {15, "0"},
        {16, "2024年5月1日"},
        {17, "22"},
        {18, "30"},
        {19, "0"},
        {markerSlot, repetition},
    };
}

std::string section(int slot) {
    return "配置" + std::to_string(slot);
}

TEST(ProfileFile, SavesComeOutByteForByte) {
    const struct {
        const char* name;
        const char* before;  // a file in tests/data, or none
        std::vector<SlotWrite> writes;
        const char* golden;
    } kCases[] = {
        {"first save, run once", nullptr, kFirstSaveRunOnce, "profile_example.ini"},
        {"first start, daily", nullptr, firstStartRepeating("1", 20),
         "profile_daily_first_start.ini"},
        {"first start, weekly", nullptr, firstStartRepeating("2", 21),
         "profile_weekly_first_start.ini"},
        {"among other programs' sections", "profile_foreign_sections_before.ini", kFirstSaveRunOnce,
         "profile_foreign_sections_after.ini"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string golden = TestData(c.golden);
        TempDir dir;

        // As the profile service does it: every write reads and replaces the file.
        const ProfileFile oneByOne(dir / "one-by-one" / "delp.ini");
        if (c.before != nullptr) {
            std::filesystem::create_directory(dir / "one-by-one");
            WriteBytes(oneByOne.path(), TestData(c.before));
        }
        for (const SlotWrite& write : c.writes) {
            ASSERT_TRUE(oneByOne.writeValue(section(write.slot), "配置", write.value));
        }
        EXPECT_EQ(ReadBytes(oneByOne.path()), golden);

        // All writes on one loaded document and a single save give the same bytes.
        const ProfileFile batch(dir / "batch.ini");
        if (c.before != nullptr) {
            WriteBytes(batch.path(), TestData(c.before));
        }
        auto document = batch.load();
        ASSERT_TRUE(document.has_value());
        for (const SlotWrite& write : c.writes) {
            ASSERT_TRUE(document->setValue(section(write.slot), "配置", write.value));
        }
        ASSERT_TRUE(batch.save(*document));
        EXPECT_EQ(ReadBytes(batch.path()), golden);
    }
}

TEST(ProfileFile, ReadsTheExampleFile) {
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    WriteBytes(file.path(), TestData("profile_example.ini"));

    const std::vector<std::string> expectedNames = {
        "配置16", "配置17", "配置18", "配置19", "配置20", "配置21", "配置1",
        "配置2",  "配置3",  "配置4",  "配置5",  "配置6",  "配置7",  "配置8",
        "配置9",  "配置10", "配置11", "配置12", "配置13", "配置14", "配置15",
    };
    EXPECT_EQ(file.readSectionNames(), expectedNames);

    const struct {
        int slot;
        const char* value;
    } kSlots[] = {{1, "8"},  {3, "1"},  {4, "真"},  {6, ""},   {7, "2024年5月1日"},
                  {8, "22"}, {16, "0"}, {18, "30"}, {21, "0"}, {22, ""}};
    for (const auto& c : kSlots) {
        SCOPED_TRACE(c.slot);
        EXPECT_EQ(file.readValue(section(c.slot), "配置"), c.value);
    }
}

TEST(ProfileFile, ReadingAMissingFileCreatesNothing) {
    TempDir dir;
    const ProfileFile file(dir / "config" / "delp.ini");
    EXPECT_EQ(file.readValue("配置1", "配置"), "");
    EXPECT_TRUE(file.readSectionNames().empty());
    const auto document = file.load();
    ASSERT_TRUE(document.has_value());
    EXPECT_EQ(document->bytes(), "");
    EXPECT_TRUE(FolderNames(dir.path()).empty());
}

TEST(ProfileFile, TheFirstWriteCreatesTheFolderForTheUserOnly) {
    TempDir dir;
    const ProfileFile file(dir / "home" / ".config" / "delp.ini");
    ASSERT_TRUE(file.writeValue("配置1", "配置", "8"));
    EXPECT_EQ(file.readValue("配置1", "配置"), "8");
    for (const auto& folder : {dir / "home", dir / "home" / ".config"}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_EQ(FolderNames(dir / "home" / ".config"), std::vector<std::string>{"delp.ini"});
}

TEST(ProfileFile, ARefusedValueLeavesTheFileAlone) {
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    WriteBytes(file.path(), "[a]\r\nk=1\r\n");
    EXPECT_FALSE(file.writeValue("a", "k", "two\nlines"));
    EXPECT_EQ(ReadBytes(file.path()), "[a]\r\nk=1\r\n");
}

}  // namespace
}  // namespace velmora::persist
