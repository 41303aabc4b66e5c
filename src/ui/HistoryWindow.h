#pragma once
// The History window ("HDR Lighting History"): one map's saved looks side by side, applied back
// with a click. At most one window per map.

#include <WindowsDefines.h>

class Zenithra;

/// Raises the map's History window when it is open; otherwise creates it where it was last
/// closed (the right half of the work area the first time), owned by the host's main window.
/// Null for a null map or when the window cannot be created.
HWND OpenHistoryWindow(Zenithra* map);

/// The open History window of `map`; null when there is none.
HWND FindHistoryWindow(const Zenithra* map);
