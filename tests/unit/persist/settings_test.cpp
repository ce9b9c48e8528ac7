#include "persist/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "persist/gbk.h"
#include "schedule/date_time.h"
#include "tests/unit/persist/test_support.h"

namespace velmora::persist {
namespace {

using namespace std::string_literals;
using schedule::MakeDateTime;
using testing::FolderNames;
using testing::ReadBytes;
using testing::TempDir;
using testing::TestData;
using testing::WriteBytes;

std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

// One section of ours as the program writes it, in GBK.
std::string Section(int slot, std::string_view value) {
    return G("[配置" + std::to_string(slot) + "]\r\n配置=" + std::string(value) + "\r\n");
}

// The user of the example: skin 8, 重启, 执行一次, the warning ticked with 30 seconds, the date
// 2024-05-01, the clock time 22:30:00, after boot 2 h 0 min, the countdown 1 h 0 min 0 s,
// nothing armed yet.
SettingsForm ExampleForm(std::int32_t repetition = 0) {
    SettingsForm form;
    form.skinNumber = 8;
    form.repetition = repetition;
    form.action = 1;
    form.warningTicked = true;
    form.warningSeconds = "30";
    form.targetText = "";
    form.date = MakeDateTime(2024, 5, 1, 0, 0, 0);
    form.hour = "22";
    form.minute = "30";
    form.second = "0";
    form.bootHours = "2";
    form.bootMinutes = "0";
    form.countdownHours = "1";
    form.countdownMinutes = "0";
    form.countdownSeconds = "0";
    return form;
}

// What the file's slots 1 to 21 read after a load, 22 and beyond left out.
std::vector<std::string> FirstSlots(const ProfileFile& file) {
    const auto slots = LoadSettings(file);
    if (!slots) {
        return {};
    }
    return {slots->begin(), slots->begin() + kSettingsSlotCount};
}

TEST(SaveSettings, ComesOutByteForByte) {
    const struct {
        const char* name;
        const char* before;  // a file in tests/data; none: no file and no folder
        SettingsForm form;
        bool settingsFoundAtStart;
        const char* golden;
    } kCases[] = {
        // Sections 16 to 21 first: the first write of each appends it.
        {"first save with 执行一次 into a missing file", nullptr, ExampleForm(0), false,
         "profile_example.ini"},
        // Both markers are written, the idle one "0".
        {"first start of a daily task into a missing file", nullptr, ExampleForm(1), false,
         "settings/daily_first_start.ini"},
        {"first start of a weekly task into a missing file", nullptr, ExampleForm(2), false,
         "settings/weekly_first_start.ini"},
        // Only the repeat record and the markers, rewritten in place.
        {"the example's file, then 每日定时 started", "profile_example.ini", ExampleForm(1), true,
         "settings/example_then_daily.ini"},
        {"the example's file saved again unchanged", "profile_example.ini", ExampleForm(0), true,
         "profile_example.ini"},
        {"among other programs' sections", "profile_foreign_sections_before.ini", ExampleForm(0),
         false, "profile_foreign_sections_after.ini"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProfileFile file(dir / "config" / "delp.ini");
        if (c.before != nullptr) {
            std::filesystem::create_directory(dir / "config");
            WriteBytes(file.path(), TestData(c.before));
        }
        ASSERT_TRUE(SaveSettings(file, c.form, c.settingsFoundAtStart));
        EXPECT_EQ(ReadBytes(file.path()), TestData(c.golden));
        EXPECT_EQ(FolderNames(dir / "config"), std::vector<std::string>{"delp.ini"});
    }
}

// The four ways a save goes, on a file that holds all 21 slots with values of its own
// ("k1" ... "k21"), so that what a save keeps shows.
TEST(SaveSettings, WritesWhatTheRepetitionAndTheStartFindingSelect) {
    const std::string kRecordDate = "2024年5月1日";
    const struct {
        const char* name;
        std::int32_t repetition;
        bool settingsFoundAtStart;
        bool writesOneToFifteen;
        std::vector<std::string> sixteenToTwentyOne;
    } kCases[] = {
        {"daily, not found", 1, false, true, {kRecordDate, "22", "30", "0", "1", "0"}},
        {"weekly, not found", 2, false, true, {kRecordDate, "22", "30", "0", "0", "2"}},
        // A changed skin, action or warning is not saved here.
        {"daily, found", 1, true, false, {kRecordDate, "22", "30", "0", "1", "0"}},
        // The daily marker of an earlier task is cleared: only one task can be re-armed.
        {"weekly, found", 2, true, false, {kRecordDate, "22", "30", "0", "0", "2"}},
        {"once, not found", 0, false, true, {"0", "0", "30", "0", "0", "0"}},
        // The record is cleared, and no marker is left pointing at it.
        {"once, found", 0, true, true, {"0", "0", "k18", "k19", "0", "0"}},
        // No repetition selected (a hand-edited 配置2 of -1): the record is written, but
        // there is no task a marker could name.
        {"no repetition selected, found",
         -1,
         true,
         false,
         {kRecordDate, "22", "30", "0", "0", "0"}},
    };
    std::string before;
    for (int slot = 1; slot <= 21; ++slot) {
        before += Section(slot, "k" + std::to_string(slot));
    }
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProfileFile file(dir / "delp.ini");
        WriteBytes(file.path(), before);
        const SettingsForm form = ExampleForm(c.repetition);
        ASSERT_TRUE(SaveSettings(file, form, c.settingsFoundAtStart));

        std::vector<std::string> expected;
        if (c.writesOneToFifteen) {
            const std::string repetition = std::to_string(c.repetition);
            expected = {"8",  repetition, "1", "真", "30", "",  kRecordDate, "22",
                        "30", "0",        "2", "0",  "1",  "0", "0"};
        } else {
            for (int slot = 1; slot <= 15; ++slot) {
                expected.push_back("k" + std::to_string(slot));
            }
        }
        expected.insert(expected.end(), c.sixteenToTwentyOne.begin(), c.sixteenToTwentyOne.end());
        EXPECT_EQ(FirstSlots(file), expected);
        // Every value was rewritten where it stood.
        const auto document = file.load();
        ASSERT_TRUE(document.has_value());
        EXPECT_EQ(document->sectionCount(), 21u);
    }
}

TEST(SaveSettings, TextsAreWrittenAsTheyAre) {
    const struct {
        const char* name;
        std::function<void(SettingsForm&)> change;
        int slot;
        std::string fileLine;  // the entry line of the slot's section, in UTF-8
    } kCases[] = {
        {"an empty warning lead", [](SettingsForm& f) { f.warningSeconds = ""; }, 5, "配置=\r\n"},
        {"blanks and quotes kept on writing", [](SettingsForm& f) { f.bootHours = " '2' "; }, 11,
         "配置= '2' \r\n"},
        {"a skin number from a hand-edited file", [](SettingsForm& f) { f.skinNumber = -5; }, 1,
         "配置=-5\r\n"},
        {"the warning unticked", [](SettingsForm& f) { f.warningTicked = false; }, 4,
         "配置=假\r\n"},
        {"no action selected", [](SettingsForm& f) { f.action = -1; }, 3, "配置=-1\r\n"},
        {"the first day of the range", [](SettingsForm& f) { f.date = schedule::kMinDateTime; }, 7,
         "配置=100年1月1日\r\n"},
        {"a text ends at its zero byte", [](SettingsForm& f) { f.hour = "22\0junk"s; }, 8,
         "配置=22\r\n"},
        {"an armed target", [](SettingsForm& f) { f.targetText = "2024年5月1日22300"; }, 6,
         "配置=2024年5月1日22300\r\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProfileFile file(dir / "delp.ini");
        SettingsForm form = ExampleForm(0);
        c.change(form);
        ASSERT_TRUE(SaveSettings(file, form, false));
        const std::string bytes = ReadBytes(file.path());
        EXPECT_NE(bytes.find(G("[配置" + std::to_string(c.slot) + "]\r\n" + c.fileLine)),
                  std::string::npos)
            << GbkToUtf8(bytes);
    }
}

TEST(SaveSettings, AValueThatCannotBeWrittenKeepsTheFilesValue) {
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    WriteBytes(file.path(), TestData("profile_example.ini"));
    SettingsForm form = ExampleForm(0);
    form.bootHours = "5\r\n[配置1]";  // would add a line, and a section, of its own
    form.countdownHours = "7";
    ASSERT_TRUE(SaveSettings(file, form, true));
    const auto slots = FirstSlots(file);
    ASSERT_EQ(slots.size(), 21u);
    EXPECT_EQ(slots[10], "2");  // slot 11 as it was
    EXPECT_EQ(slots[12], "7");  // the writes after it went in
    EXPECT_EQ(file.load()->sectionCount(), 21u);
}

TEST(SaveSettings, ASettingsPathThatCannotBeReadIsLeftAlone) {
    TempDir dir;
    const ProfileFile folderFile(dir / "folder" / "delp.ini");
    std::filesystem::create_directories(folderFile.path());
    WriteBytes(folderFile.path() / "inside", "x");
    EXPECT_FALSE(SaveSettings(folderFile, ExampleForm(1), false));
    EXPECT_EQ(FolderNames(folderFile.path()), std::vector<std::string>{"inside"});
    EXPECT_EQ(LoadSettings(folderFile), std::nullopt);

    WriteBytes(dir / "plain", "not a folder");
    const ProfileFile belowAFile(dir / "plain" / "delp.ini");
    EXPECT_FALSE(SaveSettings(belowAFile, ExampleForm(0), false));
    EXPECT_EQ(ReadBytes(dir / "plain"), "not a folder");
    EXPECT_EQ(LoadSettings(belowAFile), std::nullopt);
}

TEST(LoadSettings, FindsSettingsWhenTheFirstSlotHoldsSomething) {
    const struct {
        const char* name;
        std::optional<std::string> bytes;      // none: no file
        std::optional<std::size_t> slotCount;  // none: no settings found
        std::vector<std::pair<int, std::string>> slots;
    } kCases[] = {
        {"no file", std::nullopt, std::nullopt, {}},
        {"an empty file", "", std::nullopt, {}},
        {"配置1 empty", Section(1, "") + Section(2, "1"), std::nullopt, {}},
        {"配置1 blanks only", G("[配置1]\r\n配置=   \r\n"), std::nullopt, {}},
        {"配置1 empty quotes", G("[配置1]\r\n配置=\"\"\r\n"), std::nullopt, {}},
        {"配置1 without the key", G("[配置1]\r\nother=8\r\n"), std::nullopt, {}},
        {"配置1 holding abc", Section(1, "abc"), 21, {{1, "abc"}, {2, ""}, {21, ""}}},
        {"the example's file",
         TestData("profile_example.ini"),
         21,
         {{1, "8"}, {4, "真"}, {6, ""}, {7, "2024年5月1日"}, {16, "0"}, {18, "30"}, {21, "0"}}},
        // 20 sections, 配置20 missing: the weekly marker is still read.
        {"a weekly first start without 配置20",
         TestData("profile_weekly_first_start.ini"),
         21,
         {{2, "2"}, {20, ""}, {21, "2"}}},
        {"a daily first start without 配置21",
         TestData("profile_daily_first_start.ini"),
         21,
         {{2, "1"}, {20, "1"}, {21, ""}}},
        {"one section", Section(1, "8"), 21, {{1, "8"}, {21, ""}}},
        // Sections of other programs count, and slots past 21 are read like the others.
        {"other programs' sections",
         TestData("profile_example.ini") + G("[Mail]\r\nMAPI=1\r\n[配置22]\r\n配置=x\r\n[a]\r\n"),
         24,
         {{1, "8"}, {21, "0"}, {22, "x"}, {23, ""}, {24, ""}}},
        {"duplicate sections: the first wins, both count",
         Section(1, "8") + Section(1, "9") + Section(2, "1") + Section(2, "2"),
         21,
         {{1, "8"}, {2, "1"}}},
        {"a value read as the profile service reads it",
         G("[配置1]\r\n 配置 = ' 12 '  \r\n[配置5]\r\n配置=\"30\"\r\n"),
         21,
         {{1, " 12 "}, {5, "30"}}},
        {"a value of 1 MB is cut",
         Section(1, "8") + G("[配置5]\r\n配置=") + std::string(1 << 20, '7') + "\r\n",
         21,
         {{5, std::string(kMaxValueBytes, '7')}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProfileFile file(dir / "delp.ini");
        if (c.bytes) {
            WriteBytes(file.path(), *c.bytes);
        }
        const auto slots = LoadSettings(file);
        ASSERT_EQ(slots.has_value(), c.slotCount.has_value());
        if (!slots) {
            continue;
        }
        EXPECT_EQ(slots->size(), *c.slotCount);
        for (const auto& [slot, text] : c.slots) {
            EXPECT_EQ(SlotText(*slots, slot), text) << "slot " << slot;
        }
    }
}

TEST(LoadSettings, CountsTheSectionNamesThatFitTheNameList) {
    // 配置1 takes 5 + 1 bytes of the list, each "x00000" 6 + 1, the list's end 1: of the
    // 204 800 bytes, 1 + 6 + 7 * 29 256 = 204 799 are used and one name more would not fit.
    std::string bytes = Section(1, "8");
    for (int i = 0; i < 100000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "[x%05d]\r\n", i);
        bytes += name;
    }
    TempDir dir;
    const ProfileFile file(dir / "delp.ini");
    WriteBytes(file.path(), bytes);
    const auto slots = LoadSettings(file);
    ASSERT_TRUE(slots.has_value());
    EXPECT_EQ(slots->size(), 1u + 29256u);
    EXPECT_EQ(SlotText(*slots, 1), "8");
}

TEST(SettingsFormFromSlots, ConvertsAsTheControlsTakeThem) {
    const struct {
        const char* name;
        std::vector<std::string> slots;
        std::function<void(SettingsForm&)> expect;  // changes from the default form
    } kCases[] = {
        {"skin 12", {"12"}, [](SettingsForm& f) { f.skinNumber = 12; }},
        {"skin 12.9 is cut", {"12.9"}, [](SettingsForm& f) { f.skinNumber = 12; }},
        {"skin abc is 0", {"abc"}, [](SettingsForm&) {}},
        {"skin 50 stays", {"50"}, [](SettingsForm& f) { f.skinNumber = 50; }},
        {"selections as read, past the list too",
         {"8", "7", "-1"},
         [](SettingsForm& f) {
             f.skinNumber = 8;
             f.repetition = 7;
             f.action = -1;
         }},
        {"a selection's fraction is not read",
         {"", "1.9", "x"},
         [](SettingsForm& f) { f.repetition = 1; }},
        {"ticked by 真", {"", "", "", "真"}, [](SettingsForm& f) { f.warningTicked = true; }},
        {"not ticked by 1", {"", "", "", "1"}, [](SettingsForm&) {}},
        {"not ticked by 假", {"", "", "", "假"}, [](SettingsForm&) {}},
        {"a date with a time of day",
         {"", "", "", "", "", "", "2024年5月1日22时"},
         [](SettingsForm& f) { f.date = MakeDateTime(2024, 5, 1, 22, 0, 0); }},
        {"not a date",
         {"", "", "", "", "", "", "yesterday"},
         [](SettingsForm& f) { f.date = schedule::kMinDateTime; }},
        {"no such day",
         {"", "", "", "", "", "", "2024年2月30日"},
         [](SettingsForm& f) { f.date = schedule::kMinDateTime; }},
        {"texts as they are",
         {"", "", "", "", "3a", "2024年5月1日22300", "", "0", "75", "x", "999", "-1", "1.5", "",
          "全角"},
         [](SettingsForm& f) {
             f.warningSeconds = "3a";
             f.targetText = "2024年5月1日22300";
             f.hour = "0";
             f.minute = "75";
             f.second = "x";
             f.bootHours = "999";
             f.bootMinutes = "-1";
             f.countdownHours = "1.5";
             f.countdownSeconds = "全角";
         }},
        {"slots 16 and beyond are not the form's", std::vector<std::string>(30, "9"),
         [](SettingsForm& f) {
             f.skinNumber = 9;
             f.repetition = 9;
             f.action = 9;
             f.warningSeconds = f.targetText = f.hour = f.minute = f.second = f.bootHours =
                 f.bootMinutes = f.countdownHours = f.countdownMinutes = f.countdownSeconds = "9";
         }},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        SettingsForm expected;
        // An empty slot 7 is no date either.
        expected.date = schedule::kMinDateTime;
        c.expect(expected);
        EXPECT_EQ(SettingsFormFromSlots(c.slots), expected);
    }
}

// What a save writes, a load and the conversions give back, for every repetition.
TEST(SettingsFormFromSlots, ReadsBackWhatASaveWrote) {
    SettingsForm odd;
    odd.skinNumber = -7;
    odd.action = 4;
    odd.warningSeconds = "五";
    odd.targetText = "9999年12月31日235959";
    odd.date = schedule::kMaxDateTime;
    odd.hour = "0.5";
    odd.minute = "75";
    odd.countdownSeconds = "1e3";
    for (const SettingsForm& base : {ExampleForm(), odd}) {
        for (const std::int32_t repetition : {0, 1, 2}) {
            SCOPED_TRACE(repetition);
            TempDir dir;
            const ProfileFile file(dir / "delp.ini");
            SettingsForm form = base;
            form.repetition = repetition;
            ASSERT_TRUE(SaveSettings(file, form, false));
            const auto slots = LoadSettings(file);
            ASSERT_TRUE(slots.has_value());
            EXPECT_EQ(SettingsFormFromSlots(*slots), form);
        }
    }
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// Files that were not written by the program: what can be read is read, a save goes through,
// and every byte the save did not rewrite stays. The example user saves with 执行一次, with the
// settings found at start when the file let them be found.
TEST(BadSettingsFiles, AreReadAsFarAsTheyCanBeAndKeptByTheNextSave) {
    const std::string kOurs = Section(1, "8") + Section(3, "1");
    const struct {
        const char* name;
        std::function<std::string()> make;
        std::optional<std::string> slot1;  // none: no settings found
    } kCases[] = {
        {"bytes that are not GBK",
         [&] { return kOurs + "[\xFE\xFF]\r\n\x80\x81=\xFF\r\nraw\x81\r\n"; }, "8"},
        {"binary garbage around the settings",
         [&] { return RandomBytes(64 << 10, 1) + "\n" + kOurs + RandomBytes(64 << 10, 2); }, "8"},
        {"NUL bytes", [&] { return "\0\0\r\n"s + kOurs + "[x\0y]\r\n\0=\0\r\n"s; }, "8"},
        {"a file of 50 MB",
         [&] {
             std::string file = "[Other]\r\n";
             const std::string line = "key=" + std::string(94, 'v') + "\r\n";
             while (file.size() < (50u << 20)) {
                 file += line;
             }
             return file + kOurs;
         },
         "8"},
        {"100 000 sections",
         [&] {
             std::string file = kOurs;
             for (int i = 0; i < 100000; ++i) {
                 file += "[s" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n";
             }
             return file;
         },
         "8"},
        {"a value of 1 MB",
         [&] { return kOurs + "[Other]\r\nbig=" + std::string(1 << 20, 'x') + "\r\n"; }, "8"},
        {"LF line ends", [] { return G("[配置1]\n配置=8\n[配置3]\n配置=1\n[Mail]\nMAPI=1\n"); },
         "8"},
        {"no line end at the end", [] { return G("[Mail]\r\nMAPI=1\r\n[配置1]\r\n配置=8"); }, "8"},
        {"a UTF-8 byte-order mark", [&] { return "\xEF\xBB\xBF" + kOurs; }, "8"},
        {"a header without ']'", [] { return G("[配置1\r\n配置=8\r\n[配置3]\r\n配置=1\r\n"); },
         std::nullopt},
        {"duplicate sections", [&] { return kOurs + Section(1, "9") + Section(3, "4"); }, "8"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const ProfileFile file(dir / "delp.ini");
        const std::string before = c.make();
        WriteBytes(file.path(), before);

        const auto slots = LoadSettings(file);
        ASSERT_EQ(slots.has_value(), c.slot1.has_value());
        if (slots) {
            EXPECT_EQ(SlotText(*slots, 1), *c.slot1);
        }

        // The values already in the file are the ones the form holds, so the file's own
        // bytes stay as they were and the save only adds sections after them.
        const SettingsForm form = ExampleForm(0);
        ASSERT_TRUE(SaveSettings(file, form, slots.has_value()));
        const std::string after = ReadBytes(file.path());
        const std::string kept =
            before.ends_with('\n') || before.empty() ? before : before + "\r\n";
        ASSERT_GE(after.size(), kept.size());
        EXPECT_TRUE(after.compare(0, kept.size(), kept) == 0);
        EXPECT_EQ(SettingsFormFromSlots(LoadSettings(file).value_or(std::vector<std::string>{})),
                  form);
    }
}

}  // namespace
}  // namespace velmora::persist
