#pragma once
// What the material-editor rollups share: host strings at Win32 calls, the host's current time,
// host controls fetched for one use, the map that owns a block, and popup menus.

#include <custcont.h>
#include <iparamb2.h>

#include <WindowsDefines.h>

#include <initializer_list>

class Zenithra;

/// A number in decimal with at least `minDigits` digits (zeros in front).
MSTR DecimalText(int value, int minDigits = 1);

/// The host's current time; 0 without a core interface.
TimeValue CurrentTime();

/// The Zenithra map that owns `block`; null for a null block or another owner.
Zenithra* BlockOwner(IParamBlock2* block);

/// A screen point packed into a message's lParam as signed 16-bit x and y.
POINT PointFromLParam(LPARAM lParam);

// --- Host controls: fetched for one use and released when the use ends --------------------

inline void ReleaseHostControl(ICustButton* c) {
    ReleaseICustButton(c);
}
inline void ReleaseHostControl(ISpinnerControl* c) {
    ReleaseISpinner(c);
}
inline void ReleaseHostControl(IColorSwatch* c) {
    ReleaseIColorSwatch(c);
}

template <class Control>
class HostControlUse {
public:
    explicit HostControlUse(Control* control) : control(control) {}
    ~HostControlUse() {
        if (control) {
            ReleaseHostControl(control);
        }
    }
    HostControlUse(const HostControlUse&) = delete;
    HostControlUse& operator=(const HostControlUse&) = delete;
    explicit operator bool() const { return control != nullptr; }
    Control* operator->() const { return control; }

private:
    Control* control;
};

/// The host control `id` of `dialog`; empty when the dialog has no such control.
HostControlUse<ICustButton> UseButton(HWND dialog, int id);
HostControlUse<ISpinnerControl> UseSpinner(HWND dialog, int id);
HostControlUse<IColorSwatch> UseSwatch(HWND dialog, int id);

// --- Popup menus ----------------------------------------------------------------------------

/// One menu entry: command 0 makes a separator.
struct MenuEntry {
    UINT command;
    const MCHAR* text;
};

/// Tracks a popup menu at a screen point (right button, the chosen command returned) owned
/// by `owner`; 0 when it was dismissed or could not be shown.
UINT TrackRollupMenu(HWND owner, POINT screenPoint, std::initializer_list<MenuEntry> entries);
