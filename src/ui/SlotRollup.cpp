// The output slot rollups: created and destroyed as a set with the map's slots, and their
// dialog procedure, which writes moved values into the block and passes clicks to the slot
// operations.

#include "ui/SlotRollup.h"

#include "core/HostEdge.h"
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
#include <memory>

namespace {

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
    if (IsSwatch(swatchId)) {
        ParamID param = SwatchParam(swatchId);
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

// The rollup is going (DestroySlotRollups, or the host closing the editor by itself): the map
// no longer records the window, and nothing reaches the map through the context any more.
void Detach(HWND rollup) {
    SlotRollupContext* context = SlotContextOf(rollup);
    if (!context) {
        return;
    }
    auto& windows = context->owner->slotRollupWnds;
    if (context->slot >= 0 && context->slot < int(windows.size()) &&
        windows[size_t(context->slot)] == rollup) {
        windows[size_t(context->slot)] = nullptr;
    }
    context->owner = nullptr;
    context->dragManager.owner = nullptr;
}

// The window frees its context with its last message, once its creator has handed it over.
void Release(HWND rollup) {
    auto* context = reinterpret_cast<SlotRollupContext*>(GetWindowLongPtrW(rollup, GWLP_USERDATA));
    SetWindowLongPtrW(rollup, GWLP_USERDATA, 0);
    if (context && context->ownedByWindow) {
        delete context;
    }
}

INT_PTR Dispatch(HWND rollup, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        return InitDialog(rollup, reinterpret_cast<SlotRollupContext*>(lParam));
    }
    if (msg == WM_DESTROY) {
        Detach(rollup);
        return FALSE;
    }
    if (msg == WM_NCDESTROY) {
        Release(rollup);
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
    auto* context =
        rollup ? reinterpret_cast<SlotRollupContext*>(GetWindowLongPtrW(rollup, GWLP_USERDATA))
               : nullptr;
    return context && context->owner ? context : nullptr;
}

INT_PTR CALLBACK SlotRollupDlgProc(HWND rollup, UINT msg, WPARAM wParam, LPARAM lParam) {
    return GuardEntry<INT_PTR>(FALSE, [&] { return Dispatch(rollup, msg, wParam, lParam); });
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
        auto context = std::make_unique<SlotRollupContext>();
        context->owner = this;
        context->slot = slot;
        const MSTR title = SlotName(slot);
        HWND window = imp->AddRollupPage(GetModuleInstance(), MAKEINTRESOURCE(IDD_ZENITHRA_SLOT),
                                         SlotRollupDlgProc, title.data(),
                                         reinterpret_cast<LPARAM>(context.get()), 0);
        if (window && SlotContextOf(window) == context.get()) {
            context.release()->ownedByWindow = true;
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
        editParams->DeleteRollupPage(window);  // the page frees its context as it goes
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
