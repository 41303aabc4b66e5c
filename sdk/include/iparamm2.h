#pragma once
// Parameter maps: the rollups the host builds for a block with an automatic user interface, and
// the plug-in's dialog procedure that serves their controls.

#include "imtl.h"
#include "iparamb2.h"

/// The rollup the host built for one block.
class CoreExport IParamMap2 {
public:
    virtual ~IParamMap2();
    /// The block the rollup shows; null once the block is gone.
    virtual IParamBlock2* GetParamBlock() = 0;
    /// The rollup's dialog window.
    virtual HWND GetHWnd() = 0;
};

/// The material editor's dialog made of a class's automatic rollups.
class IAutoMParamDlg : public ParamDlg {};

/// The plug-in's dialog procedure of an automatic rollup: the host passes every message of the
/// rollup's dialog to it, with the map and the current time.
class CoreExport ParamMap2UserDlgProc {
public:
    virtual ~ParamMap2UserDlgProc();
    virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) = 0;
    /// Called when the host lets go of the procedure.
    virtual void DeleteThis() = 0;
};
