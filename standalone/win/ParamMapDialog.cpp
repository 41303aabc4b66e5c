// The dialog procedure of automatic rollups, which hands every message to the block's user
// dialog procedure together with the rollup's parameter map and the current time.

#include "scene/HostParamDlg.h"
#include "scene/StandaloneHost.h"

#include <windows.h>

namespace {

INT_PTR CALLBACK ParamMapProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    auto* map = reinterpret_cast<HostParamMap*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!map) {
        return FALSE;
    }
    if (msg == WM_INITDIALOG) {
        map->hwnd = hwnd;
    }
    INT_PTR result = msg == WM_INITDIALOG ? TRUE : FALSE;
    if (map->userProc) {
        result = map->userProc->DlgProc(standalone::CoreTime(), map, hwnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        // The page is gone; the dialog object may outlive it until the editor lets go of it.
        map->hwnd = nullptr;
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    }
    return result;
}

}  // namespace

DLGPROC HostParamMapDlgProc() {
    return ParamMapProc;
}
