#pragma once
// The per-user settings file "Zenithra.ini": the size of stored preview images and the
// placement of the History window. Nothing is cached: every use reads the file again.

#include "platform/Platform.h"

#include <max.h>

#include <cstdint>

/// Full path of "Zenithra.ini" in the "Zenithra" folder of the user's local application data
/// (the temporary folder when that is not set); creates the folder.
MSTR GetSettingsFilePath();

/// Writes one "HistoryWindow" value in decimal.
void WriteHistoryWindowValue(const MSTR& key, int32_t value);

struct PreviewSize {
    int width = 0;
    int height = 0;
};

/// "History"/"PreviewWidth" and "PreviewHeight": a third of the work area unless set to 1 or
/// more, and never below 80 x 60.
PreviewSize ReadPreviewSize(const platform::ScreenRect& workArea);
/// The same on the work area of the host's main window (the foreground window without a host).
PreviewSize ReadPreviewSize();

struct WindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// "HistoryWindow"/"X", "Y", "W", "H", used as read; by default the right half of the work
/// area at its full height.
WindowPlacement ReadHistoryWindowPlacement(const platform::ScreenRect& workArea);
/// The same on the work area of the monitor nearest to the host's main window.
WindowPlacement ReadHistoryWindowPlacement();

/// Remembers a History window's screen rectangle as it closes.
void WriteHistoryWindowPlacement(const platform::ScreenRect& windowRect);
