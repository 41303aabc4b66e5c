// The Output button is only a drag source: what it hands out is the slot's proxy, created on
// demand by the map.

#include "ui/SlotDADMgr.h"

#include "core/HostEdge.h"
#include "shading/Zenithra.h"

#include <WindowsDefines.h>

SClass_ID SlotDADMgr::GetDragType(HWND, POINT) {
    return TEXMAP_CLASS_ID;
}

BOOL SlotDADMgr::OkToDrop(ReferenceTarget*, HWND, HWND, POINT, SClass_ID, BOOL) {
    return FALSE;
}

ReferenceTarget* SlotDADMgr::GetInstance(HWND, POINT, SClass_ID) {
    return GuardEntry<ReferenceTarget*>(
        nullptr, [this] { return owner ? owner->GetSubTexmap(slot + 1) : nullptr; });
}

void SlotDADMgr::Drop(ReferenceTarget*, HWND, POINT, SClass_ID, DADMgr*, BOOL) {}
