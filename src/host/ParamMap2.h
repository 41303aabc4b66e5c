#pragma once
// Parameter maps: the host's side of an automatic rollup, and the plug-in's dialog procedure
// that serves its controls.

#include "host/MaxTypes.h"

class IParamBlock2;

/// The rollup the host built for a block with automatic user interface.
class HOST_API IParamMap2 {
public:
    virtual ~IParamMap2();
    /// The block the rollup shows; null once the block is gone.
    virtual IParamBlock2* GetParamBlock() = 0;
    /// The rollup's dialog window.
    virtual HWND GetHWnd() = 0;
};

/// The user dialog procedure of an automatic rollup: the host passes every message of the
/// rollup's dialog to it, with the map and the current time.
class HOST_API ParamMap2UserDlgProc {
public:
    virtual ~ParamMap2UserDlgProc();
    virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) = 0;
    /// Called when the host lets go of the procedure; shared procedures do nothing.
    virtual void DeleteThis() {}
};
