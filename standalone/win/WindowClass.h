#pragma once
// Registering the host's own window classes.

#include <windows.h>

namespace standalone::win {

/// Registers a window class of the host's module with an arrow cursor; a class registered
/// before stays as it is.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style = 0);

}  // namespace standalone::win
