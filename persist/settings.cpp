#include "persist/settings.h"

#include <algorithm>

#include "persist/gbk.h"
#include "schedule/texts.h"

namespace velmora::persist {

namespace {

using schedule::BoolToText;
using schedule::DateTimeToText;
using schedule::IntToText;

constexpr std::string_view kTicked = "真";

struct SlotWrite {
    int slot;
    std::string value;
};

// The number of section names that fit whole in the name list, as the list would be filled
// by the profile service: each name in GBK and its zero byte, one more zero byte at the end.
std::size_t CountedSections(const std::vector<std::string>& names) {
    std::size_t used = 1;  // the list's closing zero byte
    std::size_t counted = 0;
    for (const std::string& name : names) {
        used += Utf8ToGbk(name).size() + 1;
        if (used > kSectionNameListBytes) {
            break;
        }
        ++counted;
    }
    return counted;
}

void AppendSlotsOneToFifteen(std::vector<SlotWrite>& writes, const SettingsForm& form) {
    writes.push_back({1, IntToText(form.skinNumber)});
    writes.push_back({2, IntToText(form.repetition)});
    writes.push_back({3, IntToText(form.action)});
    writes.push_back({4, BoolToText(form.warningTicked)});
    writes.push_back({5, form.warningSeconds});
    writes.push_back({6, form.targetText});
    writes.push_back({7, DateTimeToText(form.date)});
    writes.push_back({8, form.hour});
    writes.push_back({9, form.minute});
    writes.push_back({10, form.second});
    writes.push_back({11, form.bootHours});
    writes.push_back({12, form.bootMinutes});
    writes.push_back({13, form.countdownHours});
    writes.push_back({14, form.countdownMinutes});
    writes.push_back({15, form.countdownSeconds});
}

void AppendRepeatRecord(std::vector<SlotWrite>& writes, const SettingsForm& form) {
    writes.push_back({16, DateTimeToText(form.date)});
    writes.push_back({17, form.hour});
    writes.push_back({18, form.minute});
    writes.push_back({19, form.second});
}

void AppendMarkers(std::vector<SlotWrite>& writes, std::int32_t repetition) {
    writes.push_back({20, repetition == 1 ? "1" : "0"});
    writes.push_back({21, repetition == 2 ? "2" : "0"});
}

// The save's writes in the order they are made; see SaveSettings.
std::vector<SlotWrite> SaveWrites(const SettingsForm& form, bool settingsFoundAtStart) {
    std::vector<SlotWrite> writes;
    if (form.repetition != 0) {
        if (!settingsFoundAtStart) {
            AppendSlotsOneToFifteen(writes, form);
        }
        AppendRepeatRecord(writes, form);
        AppendMarkers(writes, form.repetition);
        return writes;
    }
    if (!settingsFoundAtStart) {
        AppendRepeatRecord(writes, form);
        AppendMarkers(writes, 0);
    }
    AppendSlotsOneToFifteen(writes, form);
    writes.push_back({16, "0"});
    writes.push_back({17, "0"});
    // Without the settings found at start the markers were written "0" above already and
    // this rewrites them in place with the same bytes.
    AppendMarkers(writes, 0);
    return writes;
}

// Texts are zero-terminated wherever they go to the file.
std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

std::string SettingsSectionName(int slot) {
    return std::string(kSettingsKey) + IntToText(slot);
}

const std::string& SlotText(const std::vector<std::string>& slotTexts, int slot) {
    static const std::string kEmpty;
    if (slot < 1 || static_cast<std::size_t>(slot) > slotTexts.size()) {
        return kEmpty;
    }
    return slotTexts[static_cast<std::size_t>(slot) - 1];
}

std::optional<std::vector<std::string>> LoadSettings(const ProfileFile& file) {
    const std::optional<ProfileDocument> document = file.load();
    if (!document || document->value(SettingsSectionName(1), kSettingsKey).empty()) {
        return std::nullopt;
    }
    const std::size_t count =
        std::max(CountedSections(document->sectionNames()), std::size_t{kSettingsSlotCount});
    std::vector<std::string> slotTexts;
    slotTexts.reserve(count);
    for (std::size_t slot = 1; slot <= count; ++slot) {
        slotTexts.push_back(
            document->value(SettingsSectionName(static_cast<int>(slot)), kSettingsKey));
    }
    return slotTexts;
}

SettingsForm SettingsFormFromSlots(const std::vector<std::string>& slotTexts) {
    const auto slot = [&slotTexts](int number) -> const std::string& {
        return SlotText(slotTexts, number);
    };
    SettingsForm form;
    form.skinNumber = schedule::TruncToInt(schedule::TextToNumber(slot(1)));
    form.repetition = schedule::TextToInt(slot(2));
    form.action = schedule::TextToInt(slot(3));
    form.warningTicked = slot(4) == kTicked;
    form.warningSeconds = slot(5);
    form.targetText = slot(6);
    form.date = schedule::TextToDateTime(slot(7));
    form.hour = slot(8);
    form.minute = slot(9);
    form.second = slot(10);
    form.bootHours = slot(11);
    form.bootMinutes = slot(12);
    form.countdownHours = slot(13);
    form.countdownMinutes = slot(14);
    form.countdownSeconds = slot(15);
    return form;
}

bool SaveSettings(const ProfileFile& file, const SettingsForm& form, bool settingsFoundAtStart) {
    std::optional<ProfileDocument> document = file.load();
    if (!document) {
        // Something is there that cannot be read: writing would lose it.
        return false;
    }
    for (const SlotWrite& write : SaveWrites(form, settingsFoundAtStart)) {
        // A refused value leaves the slot as the file holds it, as a refused single write
        // would; the other writes still go in.
        static_cast<void>(document->setValue(SettingsSectionName(write.slot), kSettingsKey,
                                             UpToZero(write.value)));
    }
    return file.save(*document);
}

}  // namespace velmora::persist
