#pragma once
// The automatic rollup that the host builds for a block with P_AUTO_UI.

#include <iparamb2.h>
#include <iparamm2.h>

#include "scene/ZenhostApi.h"

/// The rollup's side of an automatic block: which block it shows, which user procedure serves
/// its controls, and its dialog window once created.
class ZENHOST_API HostParamMap : public IParamMap2 {
public:
    HostParamMap(ReferenceTarget* obj, BlockID blockId, ParamMap2UserDlgProc* proc)
        : obj(obj), blockId(blockId), userProc(proc) {}
    IParamBlock2* GetParamBlock() override {
        return obj ? obj->GetParamBlockByID(blockId) : nullptr;
    }
    HWND GetHWnd() override { return hwnd; }

    ReferenceTarget* obj;
    BlockID blockId;
    ParamMap2UserDlgProc* userProc;
    HWND hwnd = nullptr;
};

/// A parameter dialog: the automatic rollup added to the editor (when there is one) and the
/// object it edits. DeleteThis removes the rollup when it is still shown.
class ZENHOST_API HostParamDlg : public IAutoMParamDlg {
public:
    HostParamDlg(ClassDesc2* cd, ParamBlockDesc2* desc, IMtlParams* imp, ReferenceTarget* obj)
        : cd(cd), desc(desc), imp(imp), obj(obj), paramMap(obj, desc->ID, desc->dlgProc) {}
    void DeleteThis() override;

    ClassDesc2* cd;
    ParamBlockDesc2* desc;
    IMtlParams* imp;
    ReferenceTarget* obj;
    HostParamMap paramMap;  // its window is the rollup while the page lives
};

IAutoMParamDlg* CreateHostParamDlg(ClassDesc2* cd, ParamBlockDesc2* desc, HWND hwMtlEdit,
                                   IMtlParams* imp, ReferenceTarget* obj);

/// The dialog procedure of automatic rollups: it keeps the HostParamMap given with
/// WM_INITDIALOG and passes every message to the map's user procedure. Null where the host has
/// no windows.
DLGPROC HostParamMapDlgProc();
