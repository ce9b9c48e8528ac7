// The library's two entries (skin/velmora_skin.h): the only symbols it exports.

#include "skin/skin_engine.h"
#include "skin/velmora_skin.h"

extern "C" int VelmoraSkinSetGlass(int on) {
    velmora::skin::SkinEngine* engine = velmora::skin::SkinEngine::instance();
    if (engine == nullptr) {
        return 0;
    }
    engine->setGlass(on != 0);
    return 1;
}

extern "C" int VelmoraSkinAttach(const void* data, int size, const char* /*options*/,
                                 int /*reserved1*/, int /*reserved2*/, int /*reserved3*/) {
    velmora::skin::SkinEngine* engine = velmora::skin::SkinEngine::instance();
    if (engine == nullptr) {
        return 0;
    }
    if (data == nullptr || size <= 0) {
        engine->detach();
        return 1;
    }
    // The engine keeps only what it makes from the bytes (a palette and the
    // style sheet's QString), so the caller may free them on return.
    return engine->attach(QByteArrayView(static_cast<const char*>(data), size)) ? 1 : 0;
}
