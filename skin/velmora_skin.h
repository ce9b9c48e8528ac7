#pragma once

// The two entries of Velmora's skinning library, libvelmora-skin.so. The
// library restyles every window of the Qt Widgets program that loads it; the
// program looks the entries up by name at run time (ui/skin_library_loader.h)
// and never links the library.
//
// Both entries run on the GUI thread of a process that has a QApplication;
// without one they do nothing and return 0.

// Exported from the library whatever its default symbol visibility.
#define VELMORA_SKIN_ENTRY __attribute__((visibility("default")))

extern "C" {

// Switches the glass effect on (on != 0) or off (on == 0). Glass makes the
// program's ordinary framed windows (not dialogs, tool windows or frameless
// ones) 95 % opaque, for a window manager that composites them; elsewhere the
// window system ignores it and nothing changes. Windows that appear later follow
// the setting. Returns 1.
VELMORA_SKIN_ENTRY int VelmoraSkinSetGlass(int on);

// Attaches the skin held in data[0, size) to every window of the program,
// replacing the skin attached before. data == nullptr or size <= 0 restores the
// default look; so do bytes that are not a skin (see skin/skin_format.h), and
// then the result is 0, else 1. The bytes are read during the call and not kept.
// options and the three integers are reserved: pass "" (or nullptr) and 0.
VELMORA_SKIN_ENTRY int VelmoraSkinAttach(const void* data, int size, const char* options,
                                         int reserved1, int reserved2, int reserved3);
}

namespace velmora::skin {

inline constexpr const char* kSetGlassEntry = "VelmoraSkinSetGlass";
inline constexpr const char* kAttachEntry = "VelmoraSkinAttach";

using SetGlassEntry = int (*)(int);
using AttachEntry = int (*)(const void*, int, const char*, int, int, int);

// How opaque glass makes a window.
inline constexpr double kGlassOpacity = 0.95;

}  // namespace velmora::skin
