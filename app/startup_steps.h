#pragma once

#include "app/main_window.h"
#include "app/services.h"

namespace velmora::app {

// The creation-sequence steps of the real program, in the window's order, bound
// to the services they use. services must outlive the window.
CreationHooks ProgramCreationHooks(Services& services);

// Connects the buttons whose handlers live outside the window (save, start,
// cancel, execute now) to their handlers. Called once, after construction. The
// skin button comes with the skinning library (AttachSkins), which main()
// picks.
void ConnectProgramHandlers(MainWindow& window, Services& services);

}  // namespace velmora::app
