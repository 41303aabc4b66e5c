#pragma once
// What the material-editor rollups share: host strings at Win32 calls, the host's current time,
// host controls fetched for one use, the map that owns a block, and popup menus.

#include "core/HostStrings.h"
#include "core/ZenithraClassDesc.h"  // CurrentTime

#include <custcont.h>
#include <iparamb2.h>

#include <WindowsDefines.h>

#include <initializer_list>

class Zenithra;

/// A spinner value within this of the stored one is the same value: not written, not notified.
inline constexpr float kChangeThreshold = 1e-6f;

/// The Zenithra map that owns `block`; null for a null block or another owner.
Zenithra* BlockOwner(IParamBlock2* block);

/// A point packed into a message's lParam as signed 16-bit x and y.
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

/// Registers one of the plug-in's window classes (arrow cursor, no background brush) in this
/// module. A class of that name that an earlier image of the library left behind, with a
/// procedure of its own, is registered anew. True when the class is there to use.
bool RegisterPluginWindowClass(const MCHAR* name, WNDPROC procedure, UINT style);

// --- Popup menus ----------------------------------------------------------------------------

/// One menu entry: command 0 makes a separator.
struct MenuEntry {
    UINT command;
    const MCHAR* text;
};

/// Tracks a popup menu at a screen point (right button, the chosen command returned) owned
/// by `owner`; 0 when it was dismissed or could not be shown.
UINT TrackRollupMenu(HWND owner, POINT screenPoint, std::initializer_list<MenuEntry> entries);
