// Right clicks on a slot rollup's values and swatches: the host controls would act on the press
// themselves (a spinner resets), so the press is swallowed and the release becomes the
// rollup's WM_CONTEXTMENU.

#include "ui/SlotRollup.h"

#include "core/HostEdge.h"

#include "../../res/resource.h"

namespace {

// The controls that get the rollup's menus, in the order they are subclassed.
constexpr int kSubclassedControls[] = {
    IDC_EXPOSURE_EDIT,     IDC_EXPOSURE_SPIN,     IDC_CONTRAST_EDIT,  IDC_CONTRAST_SPIN,
    IDC_SATURATION_EDIT,   IDC_SATURATION_SPIN,   IDC_HUE_EDIT,       IDC_HUE_SPIN,
    IDC_SUN_EXPOSURE_EDIT, IDC_SUN_EXPOSURE_SPIN, IDC_SPOT_SIZE_EDIT, IDC_SPOT_SIZE_SPIN,
    IDC_SPOT_HEIGHT_EDIT,  IDC_SPOT_HEIGHT_SPIN,  IDC_TINT_SWATCH,    IDC_SUN_TINT_SWATCH,
};

LRESULT CallPrevious(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(control, kOldProcProperty));
    return previous ? CallWindowProcW(previous, control, msg, wParam, lParam)
                    : DefWindowProcW(control, msg, wParam, lParam);
}

HWND LiveParent(HWND control) {
    HWND parent = static_cast<HWND>(GetPropW(control, kParentProperty));
    return parent && IsWindow(parent) ? parent : nullptr;
}

}  // namespace

void SubclassSlotControls(HWND rollup) {
    for (int id : kSubclassedControls) {
        HWND control = GetDlgItem(rollup, id);
        if (!control || GetPropW(control, kOldProcProperty)) {
            continue;
        }
        SetLastError(0);
        LONG_PTR previous = SetWindowLongPtrW(control, GWLP_WNDPROC,
                                              reinterpret_cast<LONG_PTR>(SlotControlSubclassProc));
        if (previous == 0 && GetLastError() != 0) {
            continue;  // the control refused a new procedure and keeps its own right click
        }
        SetPropW(control, kOldProcProperty, reinterpret_cast<HANDLE>(previous));
        SetPropW(control, kParentProperty, rollup);
    }
}

namespace {

LRESULT SubclassedMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONDBLCLK:
            return 0;
        case WM_RBUTTONUP:
            if (HWND parent = LiveParent(control)) {
                POINT at = PointFromLParam(lParam);
                ClientToScreen(control, &at);
                SendMessageW(parent, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control),
                             MAKELPARAM(at.x, at.y));
                return 0;
            }
            break;
        case WM_NCRBUTTONUP:
        case WM_CONTEXTMENU:
            if (HWND parent = LiveParent(control)) {
                SendMessageW(parent, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control), lParam);
                return 0;
            }
            break;
        case WM_NCDESTROY: {
            auto previous = reinterpret_cast<WNDPROC>(RemovePropW(control, kOldProcProperty));
            RemovePropW(control, kParentProperty);
            if (previous) {
                SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
                return CallWindowProcW(previous, control, msg, wParam, lParam);
            }
            return DefWindowProcW(control, msg, wParam, lParam);
        }
        default:
            break;
    }
    return CallPrevious(control, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK SlotControlSubclassProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    return GuardEntry<LRESULT>(0, [&] { return SubclassedMessage(control, msg, wParam, lParam); });
}
