#pragma once

#include <functional>

#include "app/services.h"
#include "persist/settings.h"

class QComboBox;

namespace velmora::app {

class MainWindow;
struct ProgramState;

// The settings between the main window and the settings file (slot table in
// persist/settings.h). All of it runs on the GUI thread.

// The start-up skin step, run by SettingsStartUp in each of its branches: with
// the settings found it applies ProgramState::skinNumber, which the restore has
// just set from slot 1; without them it applies the default skin and sets
// skinNumber. The skins provide it; an empty step applies no skin.
using StartUpSkinStep = std::function<void(MainWindow&)>;

// The creation-sequence step: LoadSettings; when settings were found,
// settingsFoundAtStart = true, ApplySettings and the start-up skin step;
// otherwise settingsFoundAtStart = false and the defaults: the date box on
// today, the start-up skin step, both combo boxes on their first item, slots 20
// and 21 = "0" (no repeating task to re-arm) and the warning lead "30". The
// other controls keep their design texts. Nothing is written to the file.
void SettingsStartUp(MainWindow& window, const Services& services,
                     const StartUpSkinStep& startUpSkin);

// The file's slots into ProgramState::settingsSlots (at least 21 of them).
// False, with the slots as they were, when the file holds no settings: no file,
// an unreadable one, or an empty 配置1.
bool LoadSettings(ProgramState& state, const Services& services);

// Slots 1 to 15 of ProgramState::settingsSlots into the controls and the state:
// the skin number, both selections, the warning box and lead, the joined target
// text, the date box and the eight time boxes. Box texts are written so that
// their input rules run: a saved hour 0 shows "1", a saved minute 75 shows "0".
// Slots 16 to 21 are left to the repeat-watcher.
void ApplySettings(MainWindow& window);

// The controls and the state into the settings file (persist::SaveSettings),
// by the scheme that the repetition choice and settingsFoundAtStart select.
// Failures are silent. Does not reload the slots.
void SaveSettings(MainWindow& window, const Services& services);

// What SaveSettings reads, and what ApplySettings writes.
persist::SettingsForm ReadSettingsForm(MainWindow& window);
void ApplySettingsForm(MainWindow& window, const persist::SettingsForm& form);

// Selects item `index` as a list box does: an index past the last item selects
// the last one, a negative index none.
void SelectComboIndex(QComboBox& combo, int index);

// The save button 按钮保存: SaveSettings on every click.
void ConnectSaveButton(MainWindow& window, const Services& services);

}  // namespace velmora::app
