// The library's entry points: the host finds the plug-in's classes through these exports.

#include "core/ZenithraClassDesc.h"

#include <plugapi.h>

#if defined(_WIN32)
#define ZENITHRA_EXPORT extern "C" __declspec(dllexport)
#else
#define ZENITHRA_EXPORT extern "C"
#endif

// The host refuses a library built against another release: release 27000 (0x6978), interface
// 66 (0x42), SDK revision 0.
static_assert(VERSION_3DSMAX == 0x69784200);

ZENITHRA_EXPORT const MCHAR* LibDescription() {
    return _M("Zenithra");
}

ZENITHRA_EXPORT int LibNumberClasses() {
    return 2;
}

ZENITHRA_EXPORT ClassDesc2* LibClassDesc(int i) {
    switch (i) {
        case 0:
            return GetZenithraDesc();
        case 1:
            return GetZenithraProxyDesc();
        default:
            return nullptr;
    }
}

ZENITHRA_EXPORT ULONG LibVersion() {
    return VERSION_3DSMAX;
}

ZENITHRA_EXPORT int LibInitialize() {
    return TRUE;
}

ZENITHRA_EXPORT int LibShutdown() {
    return TRUE;
}

ZENITHRA_EXPORT ULONG CanAutoDefer() {
    return TRUE;
}

#if defined(_WIN32)
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
#endif
