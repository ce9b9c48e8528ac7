#pragma once

namespace velmora::platform {

enum class X11DisplayOff {
    NotX11,  // the program does not show its windows on an X server
    NoDpms,  // the X server cannot switch its displays off (Xwayland, Xvfb, VNC)
    Done,
    Failed,
};

// Switches the displays of the X server the program's windows are on off, as
// `xset dpms force off` does (DPMS is enabled first when it is off, as xset
// does: the server refuses to force a level otherwise). Needs a QGuiApplication.
X11DisplayOff ForceX11DisplayOff();

}  // namespace velmora::platform
