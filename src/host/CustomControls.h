#pragma once
// The host's custom controls, as a dialog template names them by window class: "CustButton",
// "CustEdit", "SpinnerControl" and "ColorSwatch". A plug-in reaches one through an interface
// fetched for its window and released after each single use.

#include "host/MaxTypes.h"

class DADMgr;

// Messages a custom control sends to its dialog. For the spinner messages the low word of
// wParam is the spinner's id; for CC_SPINNER_CHANGE the high word is TRUE while dragging, for
// CC_SPINNER_BUTTONUP TRUE when the change was accepted (FALSE when cancelled); lParam is the
// control's window. For CC_COLOR_CHANGE the low word of wParam is the swatch's id.
constexpr UINT CC_SPINNER_CHANGE = 1624;
constexpr UINT CC_SPINNER_BUTTONDOWN = 1625;
constexpr UINT CC_SPINNER_BUTTONUP = 1626;
constexpr UINT CC_COLOR_CHANGE = 1627;

// Custom button types.
constexpr int CBT_PUSH = 0;
constexpr int CBT_CHECK = 1;

// What an edit field linked to a spinner shows (the host's EditSpinnerType).
constexpr int EDITTYPE_INT = 0;
constexpr int EDITTYPE_FLOAT = 1;

class HOST_API ICustomControl {
public:
    virtual ~ICustomControl();
    virtual HWND GetHwnd() = 0;
    virtual void Enable(BOOL onOff = TRUE) = 0;
    virtual BOOL IsEnabled() = 0;
};

/// A button that reports clicks to its dialog (WM_COMMAND with BN_CLICKED) and can be a drag
/// source and a drop target through its DADMgr.
class HOST_API ICustButton : public ICustomControl {
public:
    virtual void SetType(int type) = 0;
    virtual void SetText(const MSTR& text) = 0;
    virtual MSTR GetText() = 0;
    /// The manager asked when a drag starts on the button or something is dropped on it.
    virtual void SetDADMgr(DADMgr* dad) = 0;
    virtual DADMgr* GetDADMgr() = 0;
};

/// A one-line edit field.
class HOST_API ICustEdit : public ICustomControl {
public:
    virtual MSTR GetText() = 0;
    virtual void SetText(const MSTR& text) = 0;
    /// The text as a number; `valid` (when given) tells whether it was one.
    virtual float GetFloat(BOOL* valid = nullptr) = 0;
};

/// Up and down arrows that step a value by its scale within its limits, on clicks and vertical
/// drags, shown in a linked edit field where it can also be typed.
class HOST_API ISpinnerControl : public ICustomControl {
public:
    virtual float GetFVal() = 0;
    virtual int GetIVal() = 0;
    /// With `notify`, the dialog receives CC_SPINNER_CHANGE.
    virtual void SetValue(float v, int notify) = 0;
    /// With `limitCurValue`, the current value is clamped into the new limits.
    virtual void SetLimits(float min, float max, int limitCurValue = TRUE) = 0;
    virtual void SetScale(float scale) = 0;
    /// The value a right click on the arrows sets.
    virtual void SetResetValue(float v) = 0;
    virtual void LinkToEdit(HWND hEdit, int editType) = 0;
};

/// A swatch that paints its colour; a click opens the colour picker, and a colour picked there
/// is reported with CC_COLOR_CHANGE.
class HOST_API IColorSwatch : public ICustomControl {
public:
    virtual COLORREF GetColor() = 0;
    /// With `notify`, the dialog receives CC_COLOR_CHANGE.
    virtual void SetColor(COLORREF c, int notify = FALSE) = 0;
};

/// The interface of a control's window; null when the window is not a control of that kind.
HOST_API ICustButton* GetICustButton(HWND hCtrl);
HOST_API void ReleaseICustButton(ICustButton* button);
HOST_API ICustEdit* GetICustEdit(HWND hCtrl);
HOST_API void ReleaseICustEdit(ICustEdit* edit);
HOST_API ISpinnerControl* GetISpinner(HWND hCtrl);
HOST_API void ReleaseISpinner(ISpinnerControl* spinner);
HOST_API IColorSwatch* GetIColorSwatch(HWND hCtrl);
HOST_API void ReleaseIColorSwatch(IColorSwatch* swatch);
