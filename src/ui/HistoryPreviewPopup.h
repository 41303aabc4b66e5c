#pragma once
// The enlarged preview shown while Alt is held over a cell of the History window.

#include "ui/HistoryWindowState.h"

/// Where a popup of `width` x `height` goes for a cursor at `point`: below right of it, flipped
/// to the other side at the work area's right or bottom edge, and kept inside the work area.
POINT PreviewPopupPosition(POINT point, int width, int height, const RECT& workArea);

/// Shows `entry`'s preview at its own pixel size near the screen point `point`; nothing when it
/// already shows that entry or the entry's preview does not decode.
void ShowPreviewPopup(HistoryWindowState& state, HWND window, const HistoryEntry& entry,
                      POINT point);
void HidePreviewPopup(HistoryWindowState& state);
