#include "app/startup_steps.h"

#include "app/calendar_step.h"

namespace velmora::app {

CreationHooks ProgramCreationHooks(Services& services) {
    static_cast<void>(services);
    CreationHooks hooks;
    hooks.calendarLabels = ShowCalendarLabels;
    return hooks;
}

void ConnectProgramHandlers(MainWindow& window, Services& services) {
    static_cast<void>(window);
    static_cast<void>(services);
}

}  // namespace velmora::app
