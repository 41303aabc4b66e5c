#pragma once
// The "Map Rot." row of a slot rollup: the source map's rotation, shown and written in degrees.

#include <max.h>

class Zenithra;

/// Shows the source map's rotation at the current time in the row, without notifying; the
/// row shows 0 and is disabled when the map (or its source map) has no rotation.
void RefreshMapRotationControls(HWND slotRollup, Zenithra* map);

/// Writes the row's spinner value into the source map's rotation when it differs by more than
/// 1e-6 degrees, tells the source map's, the map's and the proxies' dependents and refreshes
/// every slot rollup. With finalChange (the spinner released) the source map also reloads.
/// True when the source map was changed.
bool ApplyMapRotationSpinner(HWND slotRollup, Zenithra* map, bool finalChange);
