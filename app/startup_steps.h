#pragma once

#include "app/main_window.h"

namespace velmora::app {

// The creation-sequence steps of the real program, in the window's order.
CreationHooks ProgramCreationHooks();

}  // namespace velmora::app
