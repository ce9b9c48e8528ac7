// The stand-in skinning library of skin_test_library.h.

#include "skin_test_library.h"

#include <cstring>

namespace {
VelmoraSkinTestRecord record;
}  // namespace

extern "C" const VelmoraSkinTestRecord* VelmoraSkinTestCalls() {
    return &record;
}

extern "C" int VelmoraSkinSetGlass(int on) {
    ++record.glassCalls;
    record.glass = on;
    return 1;
}

#ifndef VELMORA_SKIN_TEST_WITHOUT_ATTACH
extern "C" int VelmoraSkinAttach(const void* data, int size, const char* options, int reserved1,
                                 int reserved2, int reserved3) {
    ++record.attachCalls;
    record.data = data;
    record.size = size;
    std::strncpy(record.options, options != nullptr ? options : "(null)",
                 sizeof record.options - 1);
    record.reserved[0] = reserved1;
    record.reserved[1] = reserved2;
    record.reserved[2] = reserved3;
    return 1;
}
#endif
