// Start-up of the process: where the program lives, the program-wide state,
// the main window with its creation sequence, the event loop.

#include <filesystem>
#include <memory>
#include <system_error>

#include <QApplication>

#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/skin_step.h"
#include "app/startup_steps.h"
#include "persist/profile_file.h"
#include "platform/linux/dbus_power.h"
#include "platform/linux/linux_clock.h"
#include "platform/linux/xdg_autostart.h"
#include "platform/linux/xdg_file_places.h"
#include "platform/program_location.h"
#include "ui/fatal_error.h"
#include "ui/message_box.h"
#include "ui/skins.h"

int main(int argc, char* argv[]) {
    using namespace velmora;

    const auto location = platform::CurrentProgramLocation();
    if (location) {
        // The working folder is the program's own from here on; a failure
        // leaves it where it was.
        std::error_code ignored;
        std::filesystem::current_path(location->folder, ignored);
    }

    app::ProgramState state;
    if (location) {
        state.programFolder = location->folder;
        state.programFileName = location->fileName;
    }

    QApplication application(argc, argv);
    // The main window decides when the program ends: a window hidden in the
    // tray still counts as open.
    QApplication::setQuitOnLastWindowClosed(false);

    // The composition root: the one place that picks the real backends.
    const platform::LinuxClock clock;
    const platform::XdgFilePlaces places = platform::XdgFilePlaces::fromEnvironment();
    // Without a home folder there is nowhere to keep settings. Never fall back to
    // the working folder (the program's own): point at a path below a file,
    // which reads as unreadable and refuses every save, quietly.
    const persist::ProfileFile settingsFile(
        places.settingsFolder().value_or(std::filesystem::path{"/dev/null"}) /
        persist::kSettingsFileName);
    platform::XdgAutostart autostart(places.configHome());
    platform::DbusPower power;
    app::Services services{clock,
                           settingsFile,
                           autostart,
                           power,
                           location ? location->folder + "/" + location->fileName : std::string{},
                           ui::ShowMessageBox};

    std::unique_ptr<app::MainWindow> window;
    try {
        window = std::make_unique<app::MainWindow>(state, clock, app::SystemDesktopShell(),
                                                   app::ProgramCreationHooks(services));
    } catch (...) {
        return ui::ShowFatalErrorBox(QStringLiteral("载入启动窗口失败"));
    }
    // The real skinning library, from the program's folder or the system; when
    // it cannot be loaded the creation sequence ends the program.
    app::AttachSkins(*window, ui::ProgramSkinLibrary(state.programFolder));
    app::ConnectProgramHandlers(*window, services);
    window->runCreationSequence();
    window->positionChanged();
    window->showCentred();

    // Nothing is saved at exit; the state goes with the stack.
    return QApplication::exec();
}
