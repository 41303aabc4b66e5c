#pragma once
// The output slot rollups (dialog 1700): one per slot below the main rollup, each knowing its
// map and slot through the context in its window user data.

#include "ui/RollupSupport.h"
#include "ui/SlotDADMgr.h"

/// One slot rollup's link to its map; owned by the rollup window, which frees it with its last
/// message (WM_NCDESTROY).
struct SlotRollupContext {
    Zenithra* owner = nullptr;
    int slot = 0;
    SlotDADMgr dragManager;      // the Output button's manager, set up at WM_INITDIALOG
    bool ownedByWindow = false;  // handed over once the page exists
};

/// The properties on each subclassed control: its previous procedure and its rollup.
inline constexpr const MCHAR* kOldProcProperty = _M("ZENITHRA_SLOT_CTX_OLDPROC");
inline constexpr const MCHAR* kParentProperty = _M("ZENITHRA_SLOT_CTX_PARENT");

/// The context of a slot rollup window; null once the window is being destroyed.
SlotRollupContext* SlotContextOf(HWND rollup);

/// The slot rollup's dialog procedure.
INT_PTR CALLBACK SlotRollupDlgProc(HWND rollup, UINT msg, WPARAM wParam, LPARAM lParam);

// --- Spinners (SlotSpinners.cpp) -------------------------------------------------------------

/// Links a spinner to its edit field and gives it limits (the current value not clamped), a
/// scale and a reset value. Does nothing when either control is missing.
void SetupSlotSpinner(HWND rollup, int spinnerId, int editId, float min, float max,
                      float resetValue, float scale);
/// Sets up all eight spinners of a slot rollup with their limits, scales and reset values.
void SetupSlotSpinners(HWND rollup);
/// Writes a spinner's value into entry `slot` of float table `id` (exposure and hue at time 0,
/// the others at t); true when the stored value differed by more than 1e-6 and was written.
bool WriteSlotSpinner(HWND rollup, int spinnerId, IParamBlock2* block, ParamID id, TimeValue t,
                      int slot);
/// The parameter and spinner of a value row from the id of its edit field or its spinner;
/// false for map rotation, the swatches and other controls.
bool LookupSlotSpinner(int controlId, ParamID& id, int& spinnerId);
/// The reset value of a row's parameter (the spinner menu's "reset").
float SlotSpinnerResetValue(ParamID id);
/// Entry `slot` of float table `id` at t; 0 when it does not exist or cannot be read.
float ReadSlotFloat(IParamBlock2* block, ParamID id, TimeValue t, int slot);
/// The cached exposure shown for `slot` (entry 0 beyond the cache, 0 for an empty cache).
float ShownSlotExposure(Zenithra& map, int slot);
/// Shows the slot's values in the rollup without notifying: the spinners, map rotation and,
/// when the map has a block, both swatches. Writes nothing to the map but table growth.
void LoadSlotRollupValues(HWND rollup, Zenithra& map, int slot, TimeValue t);
/// True for the two colour swatches ("Tint", "Sun").
bool IsSwatch(int id);
/// The colour table a swatch drives: slotTint for "Tint", slotSunTint for "Sun".
ParamID SwatchParam(int swatchId);
/// A swatch colour from a block colour (channels of 0..1 to 0..255, red in the low byte).
COLORREF ToColorRef(const Point4& colour);

// --- Right clicks (SlotControlSubclass.cpp, SlotRollupMenus.cpp) -----------------------------

/// Subclasses the value controls and swatches so that a right click reaches the rollup as
/// WM_CONTEXTMENU instead of the control.
void SubclassSlotControls(HWND rollup);
LRESULT CALLBACK SlotControlSubclassProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
/// WM_CONTEXTMENU at a slot rollup: the swatch or spinner menu of the control concerned.
INT_PTR ShowSlotContextMenu(HWND rollup, SlotRollupContext& context, WPARAM wParam, LPARAM lParam);
