#pragma once
// Save: the current look of a map, for its HDR file and the active viewport's camera, recorded
// as one new variant (or over the latest one) at every frame the look was saved at before.

class Zenithra;

/// Records the look into the map's history and shows it in open History windows; false when
/// nothing was saved (no source map, no HDR file, or the user cancelled). Message boxes are
/// owned by the map's main rollup and titled "HDR Lighting History".
bool CaptureLook(Zenithra* map);
