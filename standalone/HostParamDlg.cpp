#include "HostParamDlg.h"

void HostParamDlg::DeleteThis() {
    if (imp && rollup) {
        imp->DeleteRollupPage(rollup);
    }
    delete this;
}

ParamDlg* CreateHostParamDlg(ClassDesc2* cd, ParamBlockDesc2* desc, HWND, IMtlParams* imp,
                             ReferenceTarget* obj) {
    HWND rollup = nullptr;
    if (imp) {
        rollup = imp->AddRollupPage(cd->HInstance(), desc->ui.dialogTemplate, desc->ui.dlgProc,
                                    cd->ClassName(), reinterpret_cast<intptr_t>(obj));
    }
    return new HostParamDlg(cd, desc, imp, obj, rollup);
}
