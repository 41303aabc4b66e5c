#pragma once
// The one refresh after any change of the source map or its file, and the recognition of the
// renderer's frame-buffer window.

#include <imtl.h>

class Zenithra;

/// Restarts a running interactive render (and does nothing when none runs). Every failure is
/// swallowed inside the script.
extern const MCHAR* const IprRestartScript;

/// Tells the target's dependents that it changed and that what hangs below it may have changed:
/// REFMSG_CHANGE for PART_ALL, then REFMSG_SUBANIM_STRUCTURE_CHANGED for part 0 (FOREVER,
/// NOTIFY_ALL, propagated).
void NotifyChangedWithStructure(ReferenceTarget& target);

/// The source map reads its image file again and revalidates at t.
void ReloadSourceMap(Texmap& source, TimeValue t);

/// Reloads the source map, tells the source's, the map's and the proxies' dependents, refreshes
/// the main rollup in `window` (when given) and restarts a running interactive render.
void RefreshAfterSourceChange(Zenithra* map, Texmap* source, HWND window);

/// True when a window title names the renderer's frame buffer ("v-ray frame buffer",
/// "vray frame buffer" or "vfb", case ignored; at most 511 characters are looked at).
bool IsFrameBufferTitle(const MSTR& title);

#if defined(_WIN32)
/// EnumWindows callback: stores the first visible frame-buffer window in *(HWND*)slot and stops.
BOOL CALLBACK FindFrameBufferWindowProc(HWND window, LPARAM slot);
#endif
