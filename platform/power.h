#pragma once

namespace velmora::platform {

// What the program can ask of the operating system's power handling.
enum class PowerRequest {
    PowerOff,        // end the session the desktop's way (applications may save), power off
    Reboot,          // the same, then restart
    LogOff,          // end the user's session the desktop's way
    ForcedPowerOff,  // power off without waiting for applications
    ForcedReboot,    // restart without waiting for applications
    ForcedLogOff,    // end the session without waiting for applications
    Suspend,         // to memory
    Hibernate,       // to disk
    DisplayOff,      // blank the display until the user moves the mouse or types
};

// Makes power requests. request() returns once the request has left: true when
// the system took it (the power-off itself follows later, or not at all when a
// user cancels it in a dialog of the desktop), false when it was refused or
// nothing here can carry it out. A refused request is not retried.
//
// interactive: whether the system may ask the user to authenticate first. Pass
// true only when the user has just asked for the action; a timer that fires on
// an unattended machine passes false, since nobody would answer the prompt.
//
//   power.request(PowerRequest::PowerOff, /*interactive=*/false);
class Power {
public:
    virtual ~Power() = default;
    virtual bool request(PowerRequest request, bool interactive) = 0;
};

}  // namespace velmora::platform
