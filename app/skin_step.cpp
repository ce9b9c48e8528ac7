#include "app/skin_step.h"

#include <QPushButton>

#include "app/main_window.h"

namespace velmora::app {

namespace {
constexpr const char* kSkinButton = "按钮皮肤";
}  // namespace

int NextSkinNumber(int skinNumber) {
    return skinNumber >= ui::kSkinCount ? 1 : skinNumber + 1;
}

SkinController::SkinController(MainWindow& window, std::unique_ptr<ui::SkinLibrary> library)
    : QObject(&window),
      m_window(window),
      m_skins(window.state().programFolder, std::move(library)) {
}

void SkinController::startSkinning() {
    m_skins.startSkinning();
}

void SkinController::applySkin(int number) {
    m_skins.applySkin(number);
}

void SkinController::startUpSkin() {
    ProgramState& state = m_window.state();
    if (state.settingsFoundAtStart) {
        applySkin(state.skinNumber);
        return;
    }
    applySkin(ui::kDefaultSkin);
    state.skinNumber = ui::kDefaultSkin;
}

void SkinController::skinButtonClicked() {
    ProgramState& state = m_window.state();
    state.skinNumber = NextSkinNumber(state.skinNumber);
    applySkin(state.skinNumber);
}

SkinController& AttachSkins(MainWindow& window, std::unique_ptr<ui::SkinLibrary> library) {
    auto* controller = new SkinController(window, std::move(library));
    if (auto* button = window.control<QPushButton>(QString::fromUtf8(kSkinButton))) {
        QObject::connect(button, &QPushButton::clicked, controller,
                         &SkinController::skinButtonClicked);
    }
    return *controller;
}

SkinController* FindSkins(const MainWindow& window) {
    return window.findChild<SkinController*>(QString(), Qt::FindDirectChildrenOnly);
}

void StartSkinning(MainWindow& window) {
    if (SkinController* skins = FindSkins(window)) {
        skins->startSkinning();
    }
}

void StartUpSkin(MainWindow& window) {
    if (SkinController* skins = FindSkins(window)) {
        skins->startUpSkin();
    } else if (!window.state().settingsFoundAtStart) {
        window.state().skinNumber = ui::kDefaultSkin;
    }
}

ui::WarningWindowOpener::SkinStep WarningWindowSkinStep(MainWindow& window) {
    return [&window](QWidget& /*warningWindow*/) {
        if (SkinController* skins = FindSkins(window)) {
            skins->applySkin(ui::kDefaultSkin);
        }
    };
}

}  // namespace velmora::app
