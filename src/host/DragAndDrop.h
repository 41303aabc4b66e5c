#pragma once
// Drag and drop between the host's custom buttons: each button asks its manager what it hands
// out and what it takes.

#include "host/MaxTypes.h"

class ReferenceTarget;

/// A custom button's drag-and-drop manager. The defaults neither give nor take anything.
class HOST_API DADMgr {
public:
    virtual ~DADMgr();
    /// The super class of what a drag from `hwnd` at `p` carries; 0 when nothing can be dragged.
    virtual SClass_ID GetDragType(HWND hwnd, POINT p);
    /// True when `dropThis` (of super class `type`) may be dropped on `hto`.
    virtual BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                          BOOL isNew = FALSE);
    /// The object a drag from `hwnd` hands out; null for none.
    virtual ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type);
    /// Takes `dropThis` dropped on `hwnd`.
    virtual void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type,
                      DADMgr* srcMgr = nullptr, BOOL bSrcClone = FALSE);
};
