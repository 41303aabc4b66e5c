// The output slot rollups: created and destroyed as a set with the map's slots, and their
// dialog procedure, which writes moved values into the block and passes clicks to the slot
// operations.

#include "ui/SlotRollup.h"

#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"
#include "ui/MainRollup.h"
#include "ui/MapRotationControls.h"
#include "ui/MaterialEditorLink.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include "../../res/resource.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kChangeThreshold = 1e-6f;

INT_PTR InitDialog(HWND rollup, SlotRollupContext* context) {
    SetWindowLongPtrW(rollup, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
    if (!context || !context->owner) {
        return TRUE;
    }
    Zenithra& map = *context->owner;
    const int slot = context->slot;
    EnsureSlotTabs(map.block, map.GetSlotCount());
    SetupSlotSpinners(rollup);
    LoadSlotRollupValues(rollup, map, slot, CurrentTime());
    context->dragManager.owner = &map;
    context->dragManager.slot = slot;
    if (auto button = UseButton(rollup, IDC_OUTPUT_BUTTON)) {
        const MSTR text = MSTR(_M("Output ")) + DecimalText(slot + 1, 2) +
                          _M("  |  click to show, drag to assign");
        button->SetText(text.data());
        button->SetDADMgr(&context->dragManager);
    }
    SubclassSlotControls(rollup);
    if (HWND remove = GetDlgItem(rollup, IDC_REMOVE_THIS_SLOT)) {
        EnableWindow(remove, map.GetSlotCount() > 1 ? TRUE : FALSE);
    }
    return TRUE;
}

// A moved spinner; true when the map changed and its dependents must hear of it.
bool SpinnerChanged(HWND rollup, Zenithra& map, int slot, int spinnerId, bool released) {
    const TimeValue t = CurrentTime();
    switch (spinnerId) {
        case IDC_EXPOSURE_SPIN: {
            float value = 0.0f;
            if (auto spinner = UseSpinner(rollup, IDC_EXPOSURE_SPIN)) {
                value = spinner->GetFVal();
            }
            float current = slot >= 0 ? ShownSlotExposure(map, slot) : 0.0f;
            if (std::fabs(current - value) <= kChangeThreshold) {
                return false;
            }
            map.SetSlotExposure(slot, value);
            return true;
        }
        case IDC_CONTRAST_SPIN:
        case IDC_SATURATION_SPIN:
        case IDC_SUN_EXPOSURE_SPIN:
        case IDC_SPOT_SIZE_SPIN:
        case IDC_SPOT_HEIGHT_SPIN:
        case IDC_HUE_SPIN: {
            ParamID param = 0;
            int spinner = 0;
            LookupSlotSpinner(spinnerId, param, spinner);
            return WriteSlotSpinner(rollup, spinnerId, map.block, param, t, slot);
        }
        case IDC_MAP_ROTATION_SPIN:
            return ApplyMapRotationSpinner(rollup, &map, released);
        default:
            return false;
    }
}

// A colour picked in a swatch is written as it is, without comparing it with the stored one.
void ColourChanged(HWND rollup, Zenithra& map, int slot, int swatchId) {
    auto swatch = UseSwatch(rollup, swatchId);
    if (!swatch) {
        return;
    }
    COLORREF c = swatch->GetColor();
    Point4 colour(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, 1.0f);
    if (swatchId == IDC_TINT_SWATCH || swatchId == IDC_SUN_TINT_SWATCH) {
        ParamID param = swatchId == IDC_TINT_SWATCH ? pb_slotTint : pb_slotSunTint;
        if (map.block && slot >= 0 && slot < map.block->Count(param)) {
            map.block->SetValue(param, CurrentTime(), colour, slot);
        }
    }
    map.NotifyAll(PART_ALL, REFMSG_CHANGE, false);
}

INT_PTR Command(SlotRollupContext& context, int id) {
    Zenithra& map = *context.owner;
    switch (id) {
        case IDC_OUTPUT_BUTTON:
            ShowMapInMaterialEditor(map.GetSubTexmap(context.slot + 1));
            return TRUE;
        // Both rebuild every slot rollup, which destroys this one and frees its context: nothing
        // of either is touched after the call.
        case IDC_COPY_SLOT:
            map.CopySlot(context.slot);
            return TRUE;
        case IDC_REMOVE_THIS_SLOT:
            map.RemoveSlot(context.slot);
            return TRUE;
        default:
            return FALSE;
    }
}

// The host destroyed the rollup by itself (editor closed, another map shown): the map no
// longer records the window, and the detached context is freed here.
void Destroy(HWND rollup) {
    SlotRollupContext* context = SlotContextOf(rollup);
    SetWindowLongPtrW(rollup, GWLP_USERDATA, 0);
    if (!context) {
        return;
    }
    if (Zenithra* map = context->owner) {
        auto& windows = map->slotRollupWnds;
        if (context->slot >= 0 && context->slot < int(windows.size()) &&
            windows[size_t(context->slot)] == rollup) {
            windows[size_t(context->slot)] = nullptr;
        }
    }
    delete context;
}

INT_PTR Dispatch(HWND rollup, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        return InitDialog(rollup, reinterpret_cast<SlotRollupContext*>(lParam));
    }
    if (msg == WM_DESTROY) {
        Destroy(rollup);
        return FALSE;
    }
    SlotRollupContext* context = SlotContextOf(rollup);
    bool live = context && context->owner;
    switch (msg) {
        case CC_SPINNER_CHANGE:
        case CC_SPINNER_BUTTONUP:
            if (live && SpinnerChanged(rollup, *context->owner, context->slot, LOWORD(wParam),
                                       msg == CC_SPINNER_BUTTONUP)) {
                context->owner->NotifyAll(PART_ALL, REFMSG_CHANGE, false);
            }
            return TRUE;
        case CC_COLOR_CHANGE:
            if (live) {
                ColourChanged(rollup, *context->owner, context->slot, LOWORD(wParam));
            }
            return TRUE;
        case WM_COMMAND:
            return live ? Command(*context, LOWORD(wParam)) : TRUE;
        case WM_CONTEXTMENU:
            return live ? ShowSlotContextMenu(rollup, *context, wParam, lParam) : FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

SlotRollupContext* SlotContextOf(HWND rollup) {
    return rollup ? reinterpret_cast<SlotRollupContext*>(GetWindowLongPtrW(rollup, GWLP_USERDATA))
                  : nullptr;
}

INT_PTR CALLBACK SlotRollupDlgProc(HWND rollup, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        return Dispatch(rollup, msg, wParam, lParam);
    } catch (...) {
        return FALSE;  // nothing crosses back into the dialog manager
    }
}

void Zenithra::CreateSlotRollups(HWND, IMtlParams* imp) {
    if (!imp || !block) {
        return;
    }
    const int n = GetSlotCount();
    EnsureSlotTabs(block, n);
    EnsureSlotProxies(n);
    slotRollupWnds.resize(size_t(n), nullptr);
    // Added from the last slot to the first; where they appear is the panel's rule.
    for (int slot = n - 1; slot >= 0; --slot) {
        auto* context = new SlotRollupContext{this, slot, {}};
        const MSTR title = SlotName(slot);
        HWND window = imp->AddRollupPage(GetModuleInstance(), MAKEINTRESOURCE(IDD_ZENITHRA_SLOT),
                                         SlotRollupDlgProc, title.data(),
                                         reinterpret_cast<LPARAM>(context), 0);
        if (!window) {
            delete context;  // no page, so no WM_INITDIALOG took it
        }
        slotRollupWnds[size_t(slot)] = window;
    }
}

void Zenithra::DestroySlotRollups() {
    if (!editParams) {
        return;
    }
    for (auto it = slotRollupWnds.rbegin(); it != slotRollupWnds.rend(); ++it) {
        HWND window = *it;
        if (!window) {
            continue;
        }
        if (IsWindow(window)) {
            // Detached first, so that the page's WM_DESTROY finds nothing to free again.
            SlotRollupContext* context = SlotContextOf(window);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete context;
        }
        editParams->DeleteRollupPage(window);
    }
    slotRollupWnds.clear();
}

void Zenithra::SyncSlotRollups() {
    if (slotRollupWnds.empty() || tearingDown.load()) {
        return;
    }
    const TimeValue t = CurrentTime();
    const int n = GetSlotCount();
    // A copy: the loads do not change the list, but a window may go while they run.
    const std::vector<HWND> windows = slotRollupWnds;
    for (HWND window : windows) {
        if (!window || !IsWindow(window)) {
            continue;
        }
        SlotRollupContext* context = SlotContextOf(window);
        if (!context || context->slot < 0 || context->slot >= n) {
            continue;
        }
        LoadSlotRollupValues(window, *this, context->slot, t);
    }
}
