// Drag and drop between custom buttons. The source's manager names what it hands out; the
// button under the cursor at release takes it only when its own manager accepts it.

#include "DragAndDropWin32.h"

#include <custcont.h>

namespace {

bool IsCustomButton(HWND hwnd) {
    wchar_t name[32] = {};
    return hwnd && GetClassNameW(hwnd, name, 32) > 0 && lstrcmpiW(name, L"CustButton") == 0;
}

}  // namespace

namespace standalone::win {

bool BeginDrag(HWND source, DADMgr* sourceMgr, POINT downAt) {
    if (!sourceMgr) {
        return false;
    }
    SClass_ID type = sourceMgr->GetDragType(source, downAt);
    if (type == 0 || !sourceMgr->GetInstance(source, downAt, type)) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
    return true;
}

void EndDrag(HWND source, DADMgr* sourceMgr, POINT downAt, POINT screenPoint) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    HWND target = WindowFromPoint(screenPoint);
    if (!sourceMgr || target == source || !IsCustomButton(target) || !IsWindowEnabled(target)) {
        return;
    }
    ICustButton* button = GetICustButton(target);
    DADMgr* targetMgr = button ? button->GetDADMgr() : nullptr;
    ReleaseICustButton(button);
    // Asked again at the drop: the object may have changed while the mouse moved.
    SClass_ID type = sourceMgr->GetDragType(source, downAt);
    ReferenceTarget* dropped = type ? sourceMgr->GetInstance(source, downAt, type) : nullptr;
    if (!targetMgr || !dropped) {
        return;
    }
    POINT at = screenPoint;
    ScreenToClient(target, &at);
    if (targetMgr->OkToDrop(dropped, source, target, at, type)) {
        targetMgr->Drop(dropped, target, at, type, sourceMgr);
    }
}

}  // namespace standalone::win
