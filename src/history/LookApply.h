#pragma once
// Load: a saved variant put back onto the scene: its HDR file, the source map's parameters and
// rotation, the slot values at every saved frame (as keys), and its camera.

#include "history/HistoryStore.h"

class Zenithra;

/// Applies every store entry of the variant `variantId` (the variant of `shown` when the id is
/// empty); `shown`, when given, is the entry whose camera and hue are taken, else the earliest.
/// False when the map has no source map or the variant has no entries.
bool ApplyLook(Zenithra* map, const MSTR& variantId, const HistoryEntry* shown = nullptr);
