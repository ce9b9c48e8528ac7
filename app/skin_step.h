#pragma once

#include <memory>

#include <QObject>

#include "ui/skins.h"
#include "ui/warning_window.h"

namespace velmora::app {

class MainWindow;

// The skins of the program, attached to the main window: StartSkinning in the
// creation sequence, the start-up skin, the skin button 按钮皮肤 and
// ProgramState::skinNumber (SkinNumber), and skin 8 for each warning window.
//
// SkinNumber follows the start-up skin and the button only; the warning
// window's skin 8 leaves it alone, so the next click moves on from the user's
// skin and a save stores the user's skin, not 8.
class SkinController : public QObject {
    Q_OBJECT

public:
    SkinController(MainWindow& window, std::unique_ptr<ui::SkinLibrary> library);

    // StartSkinning.
    void startSkinning();

    // ApplySkin(n); SkinNumber is left as it is.
    void applySkin(int number);

    // The start-up skin step, run by the settings start-up step: with settings
    // found, ApplySkin(SkinNumber) (which the restore has set from slot 1, even
    // to a number outside 1 to 33); without, ApplySkin(8) and SkinNumber = 8.
    void startUpSkin();

    // 按钮皮肤: SkinNumber = NextSkinNumber(SkinNumber), then ApplySkin of it.
    // Not saved here; the save button stores it.
    void skinButtonClicked();

    ui::Skins& skins() { return m_skins; }

private:
    MainWindow& m_window;
    ui::Skins m_skins;
};

// SkinNumber after a click of 按钮皮肤: 1 from 33 or more, otherwise one more,
// so a number below 1 read from a hand-edited file climbs to 1 a click at a
// time.
int NextSkinNumber(int skinNumber);

// Gives the window its skin controller, with `library`, and connects 按钮皮肤
// to it. Once, before the creation sequence runs.
SkinController& AttachSkins(MainWindow& window, std::unique_ptr<ui::SkinLibrary> library);

// The window's skin controller, or nullptr when none is attached.
SkinController* FindSkins(const MainWindow& window);

// The creation-sequence step (CreationHooks::startSkinning): StartSkinning
// through the window's controller. Without one, nothing.
void StartSkinning(MainWindow& window);

// The start-up skin step (settings_step.h) through the window's controller.
// Without one no skin is drawn, but SkinNumber still becomes 8 when no
// settings were found, so that a first save writes 8.
void StartUpSkin(MainWindow& window);

// The warning window's skin step: ApplySkin(8) through the window's
// controller, SkinNumber unchanged. Without a controller, nothing.
ui::WarningWindowOpener::SkinStep WarningWindowSkinStep(MainWindow& window);

}  // namespace velmora::app
