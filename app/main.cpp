// Start-up of the process: where the program lives, the program-wide state,
// the main window with its creation sequence, the event loop.

#include <filesystem>
#include <memory>
#include <system_error>

#include <QApplication>

#include "app/desktop_shell.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "app/startup_steps.h"
#include "platform/linux/linux_clock.h"
#include "platform/program_location.h"
#include "ui/fatal_error.h"

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

    const platform::LinuxClock clock;
    std::unique_ptr<app::MainWindow> window;
    try {
        window = std::make_unique<app::MainWindow>(state, clock, app::SystemDesktopShell(),
                                                   app::ProgramCreationHooks());
    } catch (...) {
        return ui::ShowFatalErrorBox(QStringLiteral("载入启动窗口失败"));
    }
    window->runCreationSequence();
    window->positionChanged();
    window->showCentred();

    // Nothing is saved at exit; the state goes with the stack.
    return QApplication::exec();
}
