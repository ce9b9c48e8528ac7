#include "app/settings_step.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "app/control_values.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "schedule/date_time.h"
#include "ui/edit_text.h"

namespace velmora::app {

namespace {

QString Name(const char* name) {
    return QString::fromUtf8(name);
}

void WriteBoxText(const MainWindow& window, const char* name, const std::string& text) {
    if (auto* box = window.control<QLineEdit>(Name(name))) {
        ui::WriteEditText(*box, QString::fromStdString(text));
    }
}

void SelectCombo(const MainWindow& window, const char* name, int index) {
    if (auto* combo = window.control<QComboBox>(Name(name))) {
        SelectComboIndex(*combo, index);
    }
}

// The date box holds a day: restoring a text that also names a time of day
// keeps the day only, and a save writes the day's text.
void SetDateBox(const MainWindow& window, schedule::DateTime value) {
    if (auto* box = window.control<QDateEdit>(Name("日期框1"))) {
        box->setDate(
            QDate(schedule::YearOf(value), schedule::MonthOf(value), schedule::DayOf(value)));
    }
}

void RunStartUpSkin(const StartUpSkinStep& startUpSkin, MainWindow& window) {
    if (startUpSkin) {
        startUpSkin(window);
    }
}

}  // namespace

void SelectComboIndex(QComboBox& combo, int index) {
    // QComboBox itself treats an index past the end as no selection.
    combo.setCurrentIndex(index < 0 ? -1 : std::min(index, combo.count() - 1));
}

persist::SettingsForm ReadSettingsForm(MainWindow& window) {
    persist::SettingsForm form;
    form.skinNumber = window.state().skinNumber;
    form.repetition = ComboIndex(window, "组合框2");
    form.action = ComboIndex(window, "组合框1");
    form.warningTicked = IsTicked(window, "选择框关机提示");
    form.warningSeconds = BoxText(window, "编辑框关机提示秒");
    form.targetText = window.state().scheduleTarget.joinedText;
    form.date = DateBoxValue(window);
    form.hour = BoxText(window, "编辑框时");
    form.minute = BoxText(window, "编辑框时分");
    form.second = BoxText(window, "编辑框时秒");
    form.bootHours = BoxText(window, "编辑框开机后时");
    form.bootMinutes = BoxText(window, "编辑框开机后分");
    form.countdownHours = BoxText(window, "编辑框倒计时");
    form.countdownMinutes = BoxText(window, "编辑框倒计分");
    form.countdownSeconds = BoxText(window, "编辑框倒计秒");
    return form;
}

void ApplySettingsForm(MainWindow& window, const persist::SettingsForm& form) {
    // In slot order: each write's handlers see the slots before it applied.
    window.state().skinNumber = form.skinNumber;
    SelectCombo(window, "组合框2", form.repetition);
    SelectCombo(window, "组合框1", form.action);
    if (auto* warning = window.control<QCheckBox>(Name("选择框关机提示"))) {
        warning->setChecked(form.warningTicked);
    }
    WriteBoxText(window, "编辑框关机提示秒", form.warningSeconds);
    window.state().scheduleTarget.joinedText = form.targetText;
    SetDateBox(window, form.date);
    WriteBoxText(window, "编辑框时", form.hour);
    WriteBoxText(window, "编辑框时分", form.minute);
    WriteBoxText(window, "编辑框时秒", form.second);
    WriteBoxText(window, "编辑框开机后时", form.bootHours);
    WriteBoxText(window, "编辑框开机后分", form.bootMinutes);
    WriteBoxText(window, "编辑框倒计时", form.countdownHours);
    WriteBoxText(window, "编辑框倒计分", form.countdownMinutes);
    WriteBoxText(window, "编辑框倒计秒", form.countdownSeconds);
}

bool LoadSettings(ProgramState& state, const Services& services) {
    std::optional<std::vector<std::string>> loaded = persist::LoadSettings(services.settingsFile);
    if (!loaded) {
        return false;
    }
    state.settingsSlots = std::move(*loaded);
    return true;
}

void ApplySettings(MainWindow& window) {
    ApplySettingsForm(window, persist::SettingsFormFromSlots(window.state().settingsSlots));
}

void SaveSettings(MainWindow& window, const Services& services) {
    static_cast<void>(persist::SaveSettings(services.settingsFile, ReadSettingsForm(window),
                                            window.state().settingsFoundAtStart));
}

void SettingsStartUp(MainWindow& window, const Services& services,
                     const StartUpSkinStep& startUpSkin) {
    ProgramState& state = window.state();
    if (LoadSettings(state, services)) {
        state.settingsFoundAtStart = true;
        ApplySettings(window);
        RunStartUpSkin(startUpSkin, window);
        return;
    }
    state.settingsFoundAtStart = false;
    SetDateBox(window, schedule::DateOnly(schedule::CurrentDateTime(services.clock.localNow())));
    RunStartUpSkin(startUpSkin, window);
    SelectCombo(window, "组合框1", 0);
    SelectCombo(window, "组合框2", 0);
    // No repeating task is recorded, so the start-up re-arm finds none.
    if (state.settingsSlots.size() < static_cast<std::size_t>(kSettingsSlotCount)) {
        state.settingsSlots.resize(kSettingsSlotCount);
    }
    state.settingsSlots[19] = "0";
    state.settingsSlots[20] = "0";
    WriteBoxText(window, "编辑框关机提示秒", "30");
}

void ConnectSaveButton(MainWindow& window, const Services& services) {
    if (auto* button = window.control<QPushButton>(Name("按钮保存"))) {
        QObject::connect(button, &QPushButton::clicked, &window,
                         [&window, &services] { SaveSettings(window, services); });
    }
}

}  // namespace velmora::app
