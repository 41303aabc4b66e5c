#pragma once
// The automatic rollup that the host builds for a block with P_AUTO_UI.

#include "host/ClassDesc2.h"

/// A parameter dialog: the automatic rollup added to the editor (when there is one) and the
/// object it edits. DeleteThis removes the rollup.
class HOST_API HostParamDlg : public ParamDlg {
public:
    HostParamDlg(ClassDesc2* cd, ParamBlockDesc2* desc, IMtlParams* imp, ReferenceTarget* obj,
                 HWND rollup)
        : cd(cd), desc(desc), imp(imp), obj(obj), rollup(rollup) {}
    void DeleteThis() override;

    ClassDesc2* cd;
    ParamBlockDesc2* desc;
    IMtlParams* imp;
    ReferenceTarget* obj;
    HWND rollup;
};

ParamDlg* CreateHostParamDlg(ClassDesc2* cd, ParamBlockDesc2* desc, HWND hwMtlEdit, IMtlParams* imp,
                             ReferenceTarget* obj);
