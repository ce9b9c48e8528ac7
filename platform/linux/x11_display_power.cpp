#include "platform/linux/x11_display_power.h"

#include <QGuiApplication>

// After Qt: Xlib's macros (Bool, Status, None, …) clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace velmora::platform {

namespace {

// Xlib's own error handler ends the process. While we talk to the server, a
// refused request is only noted; the handler is process-wide, which is safe
// because only the GUI thread uses Xlib.
bool g_xError = false;

int NoteXError(Display*, XErrorEvent*) {
    g_xError = true;
    return 0;
}

}  // namespace

X11DisplayOff ForceX11DisplayOff() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr) {
        return X11DisplayOff::NotX11;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!DPMSQueryExtension(display, &eventBase, &errorBase) || !DPMSCapable(display)) {
        return X11DisplayOff::NoDpms;
    }

    g_xError = false;
    const auto previousHandler = XSetErrorHandler(NoteXError);
    CARD16 level = 0;
    BOOL enabled = False;
    const bool known = DPMSInfo(display, &level, &enabled) != 0;
    if (known && !enabled) {
        DPMSEnable(display);
    }
    DPMSForceLevel(display, DPMSModeOff);
    // A round trip, so a refusal arrives while our handler is in place.
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    return known && !g_xError ? X11DisplayOff::Done : X11DisplayOff::Failed;
}

}  // namespace velmora::platform
