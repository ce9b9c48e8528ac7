#pragma once

namespace velmora::ui {

// The skinning library as the program uses it: its two entries
// (skin/velmora_skin.h). The program's is a ui::SkinLibraryLoader; tests hand
// in a recorder.
class SkinLibrary {
public:
    virtual ~SkinLibrary() = default;

    // VelmoraSkinSetGlass(on).
    virtual void setGlass(int on) = 0;

    // VelmoraSkinAttach(data, size, "", 0, 0, 0): data is nullptr and size 0 to
    // attach no skin. data need only live for the call.
    virtual void attach(const void* data, int size) = 0;
};

}  // namespace velmora::ui
