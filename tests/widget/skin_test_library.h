#pragma once

// A stand-in for the skinning library, built by the tests: it has the same two
// entries (one of them left out in a second build) and records how it was
// called, which a test reads through VelmoraSkinTestCalls.

#include "skin/velmora_skin.h"

struct VelmoraSkinTestRecord {
    int glassCalls;
    int glass;
    int attachCalls;
    const void* data;
    int size;
    char options[16];
    int reserved[3];
};

extern "C" VELMORA_SKIN_ENTRY const VelmoraSkinTestRecord* VelmoraSkinTestCalls();

inline constexpr const char* kSkinTestCallsEntry = "VelmoraSkinTestCalls";
