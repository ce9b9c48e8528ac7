#include "app/startup_steps.h"

#include "app/calendar_step.h"

namespace velmora::app {

CreationHooks ProgramCreationHooks() {
    CreationHooks hooks;
    hooks.calendarLabels = ShowCalendarLabels;
    return hooks;
}

}  // namespace velmora::app
