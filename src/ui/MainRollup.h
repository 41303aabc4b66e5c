#pragma once
// The main rollup (dialog 1000): how code that holds only a window finds the map it shows.

#include "ui/RollupSupport.h"

class DADMgr;

/// The window property on the main rollup that holds its map.
inline constexpr const MCHAR* kOwnerProperty = _M("ZENITHRA_OWNER");

/// The map the main rollup `rollup` shows; null when it carries no owner.
Zenithra* MainRollupOwner(HWND rollup);

/// The one drag-and-drop manager of every source-map button.
DADMgr* SharedSourceMapDADMgr();
