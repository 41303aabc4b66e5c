#pragma once
// Loads the plug-in library the way the host does and reaches its classes only through its
// exports. In the Win64 build that is LoadLibraryW on zenithra.dlt; natively the exports are
// linked in.

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

/// Loads the library (empty path: zenithra.dlt beside the program), checks the seven exports,
/// calls LibInitialize and registers every class with the host. False with a message on failure.
bool LoadPluginLibrary(const std::wstring& path, PluginLibrary& out, std::string* error);
/// Unregisters the classes, calls LibShutdown and unloads the library.
void UnloadPluginLibrary(PluginLibrary& lib);
