// Win64 build: the host program loads zenithra.dlt and finds its exports by name.

#include "PluginLibrary.h"

#include "scene/StandaloneHost.h"

#include <windows.h>

namespace {
template <typename F>
bool Bind(HMODULE module, const char* name, F& fn, std::string* error) {
    fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!fn && error) {
        *error = std::string("export missing: ") + name;
    }
    return fn != nullptr;
}

std::wstring DefaultPath() {
    wchar_t exe[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    size_t slash = path.find_last_of(L"\\/");
    path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    return path + L"zenithra.dlt";
}
}  // namespace

bool LoadPluginLibrary(const std::wstring& path, PluginLibrary& out, std::string* error) {
    std::wstring file = path.empty() ? DefaultPath() : std::wstring(path.begin(), path.end());
    HMODULE module = LoadLibraryW(file.c_str());
    if (!module) {
        if (error) {
            *error = "LoadLibraryW failed, error " + std::to_string(GetLastError());
        }
        return false;
    }
    PluginLibrary lib;
    lib.module = reinterpret_cast<HINSTANCE>(module);
    if (!Bind(module, "LibDescription", lib.LibDescription, error) ||
        !Bind(module, "LibNumberClasses", lib.LibNumberClasses, error) ||
        !Bind(module, "LibClassDesc", lib.LibClassDesc, error) ||
        !Bind(module, "LibVersion", lib.LibVersion, error) ||
        !Bind(module, "LibInitialize", lib.LibInitialize, error) ||
        !Bind(module, "LibShutdown", lib.LibShutdown, error) ||
        !Bind(module, "CanAutoDefer", lib.CanAutoDefer, error)) {
        FreeLibrary(module);
        return false;
    }
    RegisterPluginClasses(lib);
    out = lib;
    return true;
}

void UnloadPluginLibrary(PluginLibrary& lib) {
    if (!lib.module) {
        return;
    }
    UnregisterPluginClasses(lib);
    FreeLibrary(reinterpret_cast<HMODULE>(lib.module));
    lib = PluginLibrary();
}
