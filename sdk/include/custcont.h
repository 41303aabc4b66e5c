#pragma once
// The host's custom controls, named by window class in dialog templates: "CustButton",
// "CustEdit", "SpinnerControl" and "ColorSwatch". A plug-in reaches one through an interface
// fetched for its window and released after each use; drag and drop between custom buttons
// goes through their DADMgr.

#include "maxtypes.h"
#include "strclass.h"

class ReferenceTarget;

// Messages a custom control sends to its dialog. For the spinner messages the low word of
// wParam is the spinner's id; for CC_SPINNER_CHANGE the high word is TRUE while dragging, for
// CC_SPINNER_BUTTONUP TRUE when the change was accepted; lParam is the control's window. For
// CC_COLOR_CHANGE the low word of wParam is the swatch's id.
#define CC_SPINNER_CHANGE 1624
#define CC_SPINNER_BUTTONDOWN 1625
#define CC_SPINNER_BUTTONUP 1626
#define CC_COLOR_CHANGE 1627

enum CustButType { CBT_PUSH, CBT_CHECK };

/// What an edit field linked to a spinner shows.
enum EditSpinnerType {
    EDITTYPE_INT,
    EDITTYPE_FLOAT,
    EDITTYPE_UNIVERSE,
    EDITTYPE_POS_INT,
    EDITTYPE_POS_FLOAT,
    EDITTYPE_POS_UNIVERSE,
    EDITTYPE_TIME,
};

class CoreExport ICustomControl {
public:
    virtual ~ICustomControl();
    virtual HWND GetHwnd() = 0;
    virtual void Enable(BOOL onOff = TRUE) = 0;
    virtual void Disable() = 0;
    virtual BOOL IsEnabled() = 0;
};

/// Gives and takes what is dragged between custom buttons.
class CoreExport DADMgr {
public:
    virtual ~DADMgr();
    /// The super class of what a drag from `hwnd` at `p` carries; 0 when nothing can be dragged.
    virtual SClass_ID GetDragType(HWND hwnd, POINT p) = 0;
    /// True when `dropThis` (of super class `type`) may be dropped on `hto`.
    virtual BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                          BOOL isNew = FALSE) = 0;
    /// The object a drag from `hwnd` hands out; null for none.
    virtual ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) = 0;
    /// Takes `dropThis` dropped on `hwnd`.
    virtual void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type,
                      DADMgr* srcMgr = nullptr, BOOL bSrcClone = FALSE) = 0;
};

/// A button that reports clicks to its dialog (WM_COMMAND with BN_CLICKED).
class CoreExport ICustButton : public ICustomControl {
public:
    virtual void GetText(MCHAR* text, int ct) = 0;
    virtual void SetText(const MCHAR* text) = 0;
    virtual void GetText(MSTR& text) const = 0;
    virtual int GetTextLength() const = 0;
    virtual void SetType(CustButType type) = 0;
    /// The manager asked when a drag starts on the button or something is dropped on it.
    virtual void SetDADMgr(DADMgr* dad) = 0;
    virtual DADMgr* GetDADMgr() = 0;
};

/// A one-line edit field.
class CoreExport ICustEdit : public ICustomControl {
public:
    virtual void GetText(MCHAR* text, int ct) = 0;
    virtual void GetText(MSTR& text) const = 0;
    virtual int GetTextLength() const = 0;
    virtual void SetText(const MCHAR* text) = 0;
    /// The text as a number; `valid` (when given) tells whether it was one.
    virtual float GetFloat(BOOL* valid = nullptr) = 0;
};

/// Arrows that step a value by its scale within its limits, on clicks and vertical drags,
/// shown in a linked edit field where it can also be typed.
class CoreExport ISpinnerControl : public ICustomControl {
public:
    virtual float GetFVal() = 0;
    virtual int GetIVal() = 0;
    virtual void SetScale(float s) = 0;
    /// With `notify`, the dialog receives CC_SPINNER_CHANGE.
    virtual void SetValue(float v, int notify) = 0;
    virtual void SetValue(int v, int notify) = 0;
    /// With `limitCurValue`, the current value is clamped into the new limits.
    virtual void SetLimits(int min, int max, int limitCurValue = TRUE) = 0;
    virtual void SetLimits(float min, float max, int limitCurValue = TRUE) = 0;
    virtual void LinkToEdit(HWND hEdit, EditSpinnerType type) = 0;
    /// The value a right click on the arrows sets.
    virtual void SetResetValue(float v) = 0;
    virtual void SetResetValue(int v) = 0;
};

/// A swatch that paints its colour; a click opens the colour picker, and a colour picked there
/// is reported with CC_COLOR_CHANGE.
class CoreExport IColorSwatch : public ICustomControl {
public:
    virtual COLORREF GetColor() = 0;
    /// Returns the colour it had. With `notify`, the dialog receives CC_COLOR_CHANGE.
    virtual COLORREF SetColor(COLORREF c, int notify = FALSE) = 0;
};

/// The interface of a control's window; null when the window is not a control of that kind.
CoreExport ICustButton* GetICustButton(HWND hCtrl);
CoreExport void ReleaseICustButton(ICustButton* icb);
CoreExport ICustEdit* GetICustEdit(HWND hCtrl);
CoreExport void ReleaseICustEdit(ICustEdit* ice);
CoreExport ISpinnerControl* GetISpinner(HWND hCtrl);
CoreExport void ReleaseISpinner(ISpinnerControl* isc);
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl);
CoreExport void ReleaseIColorSwatch(IColorSwatch* ics);
