#pragma once
// Dragging a map from one custom button to another, through the buttons' DADMgrs.

#include <custcont.h>

#include <windows.h>

namespace standalone::win {

/// True when `source`'s manager hands out something at `downAt` (client point): the drag has
/// begun.
bool BeginDrag(HWND source, DADMgr* sourceMgr, POINT downAt);
/// Ends a drag at `screenPoint`: the custom button there takes the object when its manager
/// accepts it.
void EndDrag(HWND source, DADMgr* sourceMgr, POINT downAt, POINT screenPoint);

}  // namespace standalone::win
