// The slot rollup's right-click menus: a colour swatch is copied as a hex code or reset to
// white; a value is reset to its default or freed of its animation.

#include "ui/SlotRollup.h"

#include "core/HostStrings.h"
#include "core/ZenithraClassDesc.h"
#include "platform/Win32Owned.h"
#include "shading/Zenithra.h"

#include "../../res/resource.h"

#include <algorithm>
#include <cstdio>
#include <string>

bool IsSwatch(int id) {
    return id == IDC_TINT_SWATCH || id == IDC_SUN_TINT_SWATCH;
}

ParamID SwatchParam(int swatchId) {
    return swatchId == IDC_TINT_SWATCH ? pb_slotTint : pb_slotSunTint;
}

namespace {

enum SwatchMenuCommand : UINT { kCopyColour = 1, kResetColour = 2 };
enum SpinnerMenuCommand : UINT { kResetValue = 1, kRemoveAnimation = 2 };

// "#RRGGBB" in upper-case hex.
MSTR HexColourText(COLORREF colour) {
    auto channel = [](DWORD byte) {
        float unit = std::clamp(float(byte) / 255.0f, 0.0f, 1.0f);
        return std::clamp(int(unit * 255.0f + 0.5f), 0, 255);
    };
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", channel(GetRValue(colour)),
                  channel(GetGValue(colour)), channel(GetBValue(colour)));
    return MakeMstr(std::wstring(text, text + 7));
}

void PutOnClipboard(HWND owner, const MSTR& text) {
    win32::ClipboardScope clipboard(owner);
    if (!clipboard) {
        return;
    }
    EmptyClipboard();
    const size_t bytes = (size_t(text.Length()) + 1) * sizeof(wchar_t);  // with the terminator
    win32::GlobalMemory memory(bytes);
    if (memory.Fill(text.data(), bytes) && SetClipboardData(CF_UNICODETEXT, memory.Get())) {
        memory.Release();  // the clipboard owns it now
    }
}

void SwatchMenu(HWND rollup, SlotRollupContext& context, int swatchId, POINT at) {
    UINT chosen =
        TrackRollupMenu(rollup, at, {{kCopyColour, _M("Copy")}, {kResetColour, _M("Reset")}});
    if (chosen == kCopyColour) {
        COLORREF colour = RGB(255, 255, 255);
        if (auto swatch = UseSwatch(rollup, swatchId)) {
            colour = swatch->GetColor();
        }
        PutOnClipboard(rollup, HexColourText(colour));
    } else if (chosen == kResetColour) {
        Zenithra& map = *context.owner;
        const Point4 white(1, 1, 1, 1);
        ParamID param = SwatchParam(swatchId);
        if (map.block && context.slot >= 0 && context.slot < map.block->Count(param)) {
            map.block->SetValue(param, CurrentTime(), white, context.slot);
        }
        if (auto swatch = UseSwatch(rollup, swatchId)) {
            swatch->SetColor(ToColorRef(white), FALSE);
        }
        map.NotifyAll(PART_ALL, REFMSG_CHANGE, false);
    }
}

void SpinnerMenu(HWND rollup, SlotRollupContext& context, ParamID param, int spinnerId, POINT at) {
    UINT chosen = TrackRollupMenu(
        rollup, at, {{kResetValue, _M("Сбросить")}, {kRemoveAnimation, _M("Удалить анимацию")}});
    if (chosen != kResetValue && chosen != kRemoveAnimation) {
        return;
    }
    Zenithra& map = *context.owner;
    float value = SlotSpinnerResetValue(param);
    if (chosen == kRemoveAnimation) {
        // The value shown stays: the animation gives way to the constant the user sees.
        if (auto spinner = UseSpinner(rollup, spinnerId)) {
            value = spinner->GetFVal();
        } else {
            TimeValue t = SlotTableTime(param, CurrentTime());
            value = ReadSlotFloat(map.block, param, t, context.slot);
        }
    }
    if (map.SlotParamReset(param, context.slot, value)) {
        if (auto spinner = UseSpinner(rollup, spinnerId)) {
            spinner->SetValue(value, FALSE);
        }
    }
}

// The screen centre of a window; the cursor position when its rectangle cannot be had.
POINT CentreOrCursor(HWND window) {
    RECT r;
    if (window && GetWindowRect(window, &r)) {
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    return cursor;
}

}  // namespace

INT_PTR ShowSlotContextMenu(HWND rollup, SlotRollupContext& context, WPARAM wParam, LPARAM lParam) {
    if (!context.owner) {
        return FALSE;
    }
    const bool fromKeyboard = lParam == -1;
    auto source = reinterpret_cast<HWND>(wParam);
    int targetId = 0;
    ParamID param = 0;
    int spinnerId = 0;
    if (source && IsWindow(source)) {
        int id = GetDlgCtrlID(source);
        if (IsSwatch(id) || LookupSlotSpinner(id, param, spinnerId)) {
            targetId = id;
        }
    }
    if (targetId == 0) {
        POINT at = fromKeyboard ? CentreOrCursor(source && IsWindow(source) ? source : nullptr)
                                : PointFromLParam(lParam);
        ScreenToClient(rollup, &at);
        HWND child = ChildWindowFromPointEx(rollup, at, CWP_SKIPINVISIBLE);
        if (!child || child == rollup) {
            return FALSE;
        }
        int id = GetDlgCtrlID(child);
        if (!IsSwatch(id) && !LookupSlotSpinner(id, param, spinnerId)) {
            return FALSE;
        }
        targetId = id;
    }
    POINT at = fromKeyboard
                   ? CentreOrCursor(GetDlgItem(rollup, IsSwatch(targetId) ? targetId : spinnerId))
                   : PointFromLParam(lParam);
    if (IsSwatch(targetId)) {
        SwatchMenu(rollup, context, targetId, at);
    } else {
        SpinnerMenu(rollup, context, param, spinnerId, at);
    }
    return TRUE;
}
