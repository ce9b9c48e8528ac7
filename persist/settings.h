#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persist/profile_file.h"
#include "schedule/date_time.h"

namespace velmora::persist {

// The settings file keeps one value per slot: slot i is key 配置 of section 配置i.
//
//   1        skin number
//   2        repetition index: 0 once, 1 daily, 2 weekly
//   3        action index
//   4        warning ticked: "真" or "假"
//   5        warning lead in seconds
//   6        joined target text
//   7        date of the clock time
//   8-10     hour, minute, second of the clock time
//   11-12    after-boot hours, minutes
//   13-15    countdown hours, minutes, seconds
//   16-19    repeat record: date text, hour, minute, second (16 and 17 "0" when cleared)
//   20       daily marker: "1" when a daily task is active, else "0"
//   21       weekly marker: "2" when a weekly task is active, else "0"
//
// Slots 1 to 15 mirror the main window's controls (see SettingsForm); 16 to 21 are the
// record of the repeating task that the repeat-watcher and the start-up re-arm go by.
inline constexpr int kSettingsSlotCount = 21;
inline constexpr std::string_view kSettingsKey = "配置";

// "配置7" for 7.
std::string SettingsSectionName(int slot);

// The text of slot `slot` (counted from 1), or "" past the end of the list: readers never
// reach outside it, whatever its length.
const std::string& SlotText(const std::vector<std::string>& slotTexts, int slot);

// What the settings save reads from the main window and what restoring the settings puts
// back into it: the values of slots 1 to 15, as the controls and the program state hold them.
struct SettingsForm {
    std::int32_t skinNumber = 0;    // slot 1: SkinNumber
    std::int32_t repetition = 0;    // slot 2: selection of 组合框2, -1 for none
    std::int32_t action = 0;        // slot 3: selection of 组合框1, -1 for none
    bool warningTicked = false;     // slot 4: 选择框关机提示
    std::string warningSeconds;     // slot 5: 编辑框关机提示秒
    std::string targetText;         // slot 6: the joined ScheduleTarget text
    schedule::DateTime date = 0.0;  // slot 7: the value of 日期框1
    std::string hour;               // slot 8: 编辑框时
    std::string minute;             // slot 9: 编辑框时分
    std::string second;             // slot 10: 编辑框时秒
    std::string bootHours;          // slot 11: 编辑框开机后时
    std::string bootMinutes;        // slot 12: 编辑框开机后分
    std::string countdownHours;     // slot 13: 编辑框倒计时
    std::string countdownMinutes;   // slot 14: 编辑框倒计分
    std::string countdownSeconds;   // slot 15: 编辑框倒计秒

    bool operator==(const SettingsForm&) const = default;
};

// The room the section-name list has when the file is read: 204 800 bytes, each GBK name
// followed by a zero byte and the list by one more. Names beyond it are not counted, which
// also bounds the slot list that a hostile file with millions of sections could ask for.
inline constexpr std::size_t kSectionNameListBytes = 204800;

// LoadSettings: the slots of the settings file, or nothing when slot 1 is empty or the file
// is missing or cannot be read. The list has one slot per section of the file (sections of
// other programs and duplicates count too, as far as kSectionNameListBytes lets them), but
// never fewer than 21: a file whose first repeating task wrote only its own marker holds
// 20 sections, and a weekly marker in 配置21 must still be read. A missing section or key
// gives an empty slot.
//
//   file "[配置1]\r\n配置=8\r\n"  ->  {"8", "", "", ... 21 slots}
//   no file                        ->  nothing
std::optional<std::vector<std::string>> LoadSettings(const ProfileFile& file);

// Slots 1 to 15 read back into the form that restoring applies to the controls: the skin
// number by TextToNumber cut to an integer ("12.9" -> 12, "abc" -> 0), the two selections by
// TextToInt, the warning ticked only for "真", the date by TextToDateTime (0100-01-01 when
// the text is not a date), every text as it is. Missing slots read as "".
SettingsForm SettingsFormFromSlots(const std::vector<std::string>& slotTexts);

// SaveSettings: writes the form into the settings file. r is form.repetition.
//
// With a repeating choice (r != 0; also -1, no selection, which names no task):
//   1. only when the settings were not found at start: slots 1 to 15;
//   2. slots 16 to 19: the date text and the hour, minute and second texts;
//   3. the markers: slot 20 = "1" when r is 1, else "0"; slot 21 = "2" when r is 2, else
//      "0". Only the active task's marker may be set: both set, or one set for a task that
//      is not the one saved, would re-arm the wrong task after a restart.
// With 执行一次 (r == 0):
//   1. only when the settings were not found at start: slots 16 to 19 as above, then
//      slots 20 and 21 = "0";
//   2. slots 1 to 15;
//   3. slots 16 and 17 = "0", then slots 20 and 21 = "0": the repeat record is cleared, so
//      no marker may point at it.
//
// The writes land as a sequence of single profile writes would leave them: a new section at
// the end of the file in the order of first writing, a rewritten value in place, every
// other byte of the file kept. They are made on one reading of the file and saved at once,
// so the file holds either all of them or none. A value that holds a line break cannot be
// written and keeps what the file holds; a text ends at its first zero byte.
//
// False, with the file unchanged, when the file cannot be read or the save is refused.
bool SaveSettings(const ProfileFile& file, const SettingsForm& form, bool settingsFoundAtStart);

}  // namespace velmora::persist
