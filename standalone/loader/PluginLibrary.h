#pragma once
// Loads the plug-in library the way the host does and reaches its classes only through its
// exports. In the Win64 build that is LoadLibraryW on zenithra.dlt; natively the exports are
// linked in.

#include "scene/StandaloneHost.h"

#include <iparamb2.h>

#include <string>

struct PluginLibrary {
    const wchar_t* (*LibDescription)() = nullptr;
    int (*LibNumberClasses)() = nullptr;
    ClassDesc2* (*LibClassDesc)(int) = nullptr;
    ULONG (*LibVersion)() = nullptr;
    int (*LibInitialize)() = nullptr;
    int (*LibShutdown)() = nullptr;
    ULONG (*CanAutoDefer)() = nullptr;
    HINSTANCE module = nullptr;
};

/// What the host does with a library once its exports are bound: LibInitialize, then every
/// class registered.
inline void RegisterPluginClasses(const PluginLibrary& lib) {
    lib.LibInitialize();
    for (int i = 0; i < lib.LibNumberClasses(); ++i) {
        standalone::RegisterClassDesc(lib.LibClassDesc(i));
    }
}

/// And before the library goes: every class unregistered, then LibShutdown.
inline void UnregisterPluginClasses(const PluginLibrary& lib) {
    for (int i = 0; i < lib.LibNumberClasses(); ++i) {
        standalone::UnregisterClassDesc(lib.LibClassDesc(i));
    }
    lib.LibShutdown();
}

/// Loads the library (empty path: zenithra.dlt beside the program), checks the seven exports,
/// calls LibInitialize and registers every class with the host. False with a message on failure.
bool LoadPluginLibrary(const std::wstring& path, PluginLibrary& out, std::string* error);
/// Unregisters the classes, calls LibShutdown and unloads the library.
void UnloadPluginLibrary(PluginLibrary& lib);
