// Native build: the plug-in is linked into the program; its exports are ordinary functions.

#include "PluginLibrary.h"

#include "scene/StandaloneHost.h"

extern "C" {
const wchar_t* LibDescription();
int LibNumberClasses();
ClassDesc2* LibClassDesc(int i);
ULONG LibVersion();
int LibInitialize();
int LibShutdown();
ULONG CanAutoDefer();
}

bool LoadPluginLibrary(const std::wstring&, PluginLibrary& out, std::string*) {
    out.LibDescription = &LibDescription;
    out.LibNumberClasses = &LibNumberClasses;
    out.LibClassDesc = &LibClassDesc;
    out.LibVersion = &LibVersion;
    out.LibInitialize = &LibInitialize;
    out.LibShutdown = &LibShutdown;
    out.CanAutoDefer = &CanAutoDefer;
    out.LibInitialize();
    for (int i = 0; i < out.LibNumberClasses(); ++i) {
        standalone::RegisterClassDesc(out.LibClassDesc(i));
    }
    return true;
}

void UnloadPluginLibrary(PluginLibrary& lib) {
    if (!lib.LibClassDesc) {
        return;
    }
    for (int i = 0; i < lib.LibNumberClasses(); ++i) {
        standalone::UnregisterClassDesc(lib.LibClassDesc(i));
    }
    lib.LibShutdown();
    lib = PluginLibrary();
}
