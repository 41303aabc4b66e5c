#pragma once
// The Output button's drag and drop: a drag hands out the slot's proxy map; nothing can be
// dropped on it.

#include <custcont.h>

class Zenithra;

class SlotDADMgr : public DADMgr {
public:
    SClass_ID GetDragType(HWND hwnd, POINT p) override;
    BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                  BOOL isNew) override;
    /// The proxy of `slot` (the owner's sub-texture map slot + 1); null without an owner.
    ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) override;
    void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type, DADMgr* srcMgr,
              BOOL bSrcClone) override;

    Zenithra* owner = nullptr;
    int slot = 0;
};
