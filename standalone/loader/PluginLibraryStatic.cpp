// Native build: the plug-in is linked into the program; its exports are ordinary functions.

#include "PluginLibrary.h"

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
    RegisterPluginClasses(out);
    return true;
}

void UnloadPluginLibrary(PluginLibrary& lib) {
    if (!lib.LibClassDesc) {
        return;
    }
    UnregisterPluginClasses(lib);
    lib = PluginLibrary();
}
