// Helpers shared by the main and the slot rollups.

#include "ui/RollupSupport.h"

#include "core/HostStrings.h"
#include "shading/Zenithra.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <string>

MSTR DecimalText(int value, int minDigits) {
    bool negative = value < 0;
    unsigned magnitude = negative ? 0u - unsigned(value) : unsigned(value);
    std::wstring digits;
    do {
        digits.insert(digits.begin(), MCHAR(_M('0') + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    while (int(digits.size()) < minDigits) {
        digits.insert(digits.begin(), _M('0'));
    }
    return MakeMstr(negative ? _M("-") + digits : digits);
}

TimeValue CurrentTime() {
    Interface* core = GetCOREInterface();
    return core ? core->GetTime() : 0;
}

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
