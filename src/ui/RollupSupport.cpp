// Helpers shared by the main and the slot rollups.

#include "ui/RollupSupport.h"

#include "core/HostStrings.h"
#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <string>

Zenithra* BlockOwner(IParamBlock2* block) {
    ReferenceMaker* owner = block ? block->GetOwner() : nullptr;
    return owner && owner->SuperClassID() == TEXMAP_CLASS_ID &&
                   owner->ClassID() == ZENITHRA_CLASS_ID
               ? static_cast<Zenithra*>(owner)
               : nullptr;
}

POINT PointFromLParam(LPARAM lParam) {
    return POINT{short(LOWORD(lParam)), short(HIWORD(lParam))};
}

HostControlUse<ICustButton> UseButton(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    return HostControlUse<ICustButton>(control ? GetICustButton(control) : nullptr);
}

HostControlUse<ISpinnerControl> UseSpinner(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    return HostControlUse<ISpinnerControl>(control ? GetISpinner(control) : nullptr);
}

HostControlUse<IColorSwatch> UseSwatch(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    return HostControlUse<IColorSwatch>(control ? GetIColorSwatch(control) : nullptr);
}

UINT TrackRollupMenu(HWND owner, POINT screenPoint, std::initializer_list<MenuEntry> entries) {
    HMENU menu = CreatePopupMenu();
    if (!menu) {
        return 0;
    }
    for (const MenuEntry& entry : entries) {
        if (entry.command == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, entry.command, entry.text);
        }
    }
    UINT chosen = UINT(TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, screenPoint.x,
                                      screenPoint.y, 0, owner, nullptr));
    DestroyMenu(menu);
    return chosen;
}

bool RegisterPluginWindowClass(const MCHAR* name, WNDPROC procedure, UINT style) {
    const HINSTANCE module = GetModuleInstance();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(module, name, &existing)) {
        if (existing.lpfnWndProc == procedure) {
            return true;
        }
        UnregisterClassW(name, module);  // left by a library image that has gone
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}
