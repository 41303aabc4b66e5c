#include "scene/HostParamDlg.h"

void HostParamDlg::DeleteThis() {
    if (imp && paramMap.hwnd) {
        imp->DeleteRollupPage(paramMap.hwnd);
    }
    delete this;
}

IAutoMParamDlg* CreateHostParamDlg(ClassDesc2* cd, ParamBlockDesc2* desc, HWND, IMtlParams* imp,
                                   ReferenceTarget* obj) {
    auto* dialog = new HostParamDlg(cd, desc, imp, obj);
    if (imp && HostParamMapDlgProc()) {
        imp->AddRollupPage(cd->HInstance(), MAKEINTRESOURCE(desc->dlg_template),
                           HostParamMapDlgProc(), cd->ClassName(),
                           reinterpret_cast<LPARAM>(&dialog->paramMap));
    }
    return dialog;
}
