// The native host shows no windows: no main window, no material editor, and automatic rollups
// have no dialog procedure.

#include "scene/HostParamDlg.h"
#include "scene/HostWindowsLink.h"

DLGPROC HostParamMapDlgProc() {
    return nullptr;
}

namespace standalone {

MaterialEditorHost* HostMaterialEditor() {
    return nullptr;
}

HWND HostMainWindow() {
    return nullptr;
}

void HostViewChanged() {}

}  // namespace standalone
