// The host's custom controls as window classes that any module's dialog templates can name:
// "CustButton", "CustEdit", "SpinnerControl" and "ColorSwatch", and the interfaces a plug-in
// fetches for them. Each control reports to its parent dialog as the host's controls do.

#include <custcont.h>

#include "CustomControlsWin32.h"
#include "DragAndDropWin32.h"
#include "HostWindows.h"
#include "WindowClass.h"

#include "platform/Platform.h"

#include <windows.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t* const kButtonClass = L"CustButton";
const wchar_t* const kEditClass = L"CustEdit";
const wchar_t* const kSpinnerClass = L"SpinnerControl";
const wchar_t* const kSwatchClass = L"ColorSwatch";
// The edit a spinner shows its value in, and the spinner an edit commits typed values to.
const wchar_t* const kLinkedSpinnerProp = L"HostCustEdit.Spinner";

bool HasClass(HWND hwnd, const wchar_t* name) {
    wchar_t buffer[64] = {};
    return hwnd && GetClassNameW(hwnd, buffer, 64) > 0 && _wcsicmp(buffer, name) == 0;
}

void NotifyParent(HWND control, UINT msg, WORD high) {
    HWND parent = GetParent(control);
    if (parent) {
        SendMessageW(parent, msg, MAKEWPARAM(GetDlgCtrlID(control), high),
                     reinterpret_cast<LPARAM>(control));
    }
}

std::wstring WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(size_t(n) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(size_t(n));
    return text;
}

// Copies a control's text into a caller's buffer of `count` characters, always terminated.
void CopyText(const std::wstring& text, MCHAR* buffer, int count) {
    if (!buffer || count <= 0) {
        return;
    }
    size_t n = std::min(text.size(), size_t(count - 1));
    std::copy_n(text.data(), n, buffer);
    buffer[n] = L'\0';
}

template <class State>
State* StateOf(HWND hwnd) {
    return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Creates the state at WM_NCCREATE and frees it after WM_NCDESTROY.
template <class State>
State* TrackState(HWND hwnd, UINT msg) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new State()));
    }
    return StateOf<State>(hwnd);
}
template <class State>
void FreeState(HWND hwnd) {
    delete StateOf<State>(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
}

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
    SetBkColor(dc, c);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

HFONT DialogFont(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    auto font = reinterpret_cast<HFONT>(SendMessageW(parent ? parent : hwnd, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// --- CustButton ----------------------------------------------------------------------------

struct ButtonState {
    CustButType type = CBT_PUSH;
    DADMgr* dad = nullptr;
    bool checked = false;  // a check button that is down
    bool pressed = false;
    bool tracking = false;
    POINT downAt{};
};

void PaintButton(HWND hwnd, ButtonState& st) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    bool down = st.pressed || (st.type == CBT_CHECK && st.checked);
    FillSolid(dc, r, GetSysColor(st.checked ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    HGDIOBJ oldFont = SelectObject(dc, DialogFont(hwnd));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(hwnd) ? GetSysColor(COLOR_GRAYTEXT)
                     : st.checked           ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                            : GetSysColor(COLOR_BTNTEXT));
    RECT text = r;
    InflateRect(&text, -4, 0);
    if (down) {
        OffsetRect(&text, 1, 1);
    }
    std::wstring label = WindowText(hwnd);
    // A label a little too long for its button is drawn in a smaller size of the same font
    // rather than cut off; only a much longer one ends in an ellipsis.
    HFONT smaller = nullptr;
    SIZE extent{};
    GetTextExtentPoint32W(dc, label.c_str(), int(label.size()), &extent);
    int room = text.right - text.left;
    LOGFONTW lf{};
    if (extent.cx > room && room > 0 && GetObjectW(DialogFont(hwnd), sizeof(lf), &lf)) {
        int height = lf.lfHeight ? lf.lfHeight : -11;
        lf.lfHeight = std::lround(double(height) * std::max(0.75, double(room) / extent.cx));
        lf.lfWidth = 0;
        smaller = CreateFontIndirectW(&lf);
        SelectObject(dc, smaller);
    }
    DrawTextW(dc, label.c_str(), int(label.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    if (smaller) {
        DeleteObject(smaller);
    }
    EndPaint(hwnd, &ps);
}

void ClickButton(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (parent) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwnd));
    }
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ButtonState* st = TrackState<ButtonState>(hwnd, msg);
    if (!st) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
        case WM_PAINT:
            PaintButton(hwnd, *st);
            return 0;
        case WM_SETTEXT:
        case WM_ENABLE: {
            LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        case WM_LBUTTONDOWN:
            st->pressed = true;
            st->tracking = false;
            st->downAt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_MOUSEMOVE:
            if (st->pressed && !st->tracking && st->dad) {
                POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                if (std::abs(p.x - st->downAt.x) > 3 || std::abs(p.y - st->downAt.y) > 3) {
                    // A drag starts only when the manager hands something out.
                    st->tracking = standalone::win::BeginDrag(hwnd, st->dad, st->downAt);
                }
            }
            return 0;
        case WM_LBUTTONUP: {
            bool wasPressed = st->pressed;
            bool wasDragging = st->tracking;
            st->pressed = false;
            st->tracking = false;
            if (GetCapture() == hwnd) {
                ReleaseCapture();
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (wasDragging) {
                ClientToScreen(hwnd, &p);
                standalone::win::EndDrag(hwnd, st->dad, st->downAt, p);
            } else if (wasPressed) {
                RECT r;
                GetClientRect(hwnd, &r);
                if (PtInRect(&r, p)) {
                    ClickButton(hwnd);
                }
            }
            return 0;
        }
        case WM_CAPTURECHANGED:
            st->pressed = false;
            st->tracking = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case BM_SETCHECK:
            st->checked = wParam == BST_CHECKED;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case BM_GETCHECK:
            return st->checked ? BST_CHECKED : BST_UNCHECKED;
        case BM_CLICK:
            if (IsWindowEnabled(hwnd)) {
                ClickButton(hwnd);
            }
            return 0;
        case WM_NCDESTROY:
            FreeState<ButtonState>(hwnd);
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// --- CustEdit: the system's edit field, committing typed values to a linked spinner --------

WNDPROC systemEditProc = nullptr;

void CommitTypedValue(HWND edit) {
    HWND spinner = static_cast<HWND>(GetPropW(edit, kLinkedSpinnerProp));
    if (IsWindow(spinner)) {
        standalone::win::SpinnerTakeTypedText(spinner, WindowText(edit));
    }
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE: {
            // A template names the class with bare styles; the field still wants its sunken
            // frame and to scroll a long number.
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            cs->style |= ES_AUTOHSCROLL;
            cs->dwExStyle |= WS_EX_CLIENTEDGE;
            SetWindowLongPtrW(hwnd, GWL_STYLE, cs->style);
            SetWindowLongPtrW(hwnd, GWL_EXSTYLE, cs->dwExStyle);
            break;
        }
        case WM_GETDLGCODE:
            return CallWindowProcW(systemEditProc, hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            // As in the host: Enter and Tab commit (Tab then moves on; the focus leaving finds
            // nothing more to commit), Escape gives the last value back.
            if (wParam == VK_RETURN) {
                CommitTypedValue(hwnd);
                return 0;
            }
            if (wParam == VK_TAB) {
                CommitTypedValue(hwnd);
                HWND dialog = GetParent(hwnd);
                HWND next =
                    dialog ? GetNextDlgTabItem(dialog, hwnd, GetKeyState(VK_SHIFT) < 0) : nullptr;
                if (next && next != hwnd) {
                    SetFocus(next);
                }
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                HWND spinner = static_cast<HWND>(GetPropW(hwnd, kLinkedSpinnerProp));
                if (IsWindow(spinner)) {
                    standalone::win::SpinnerShowValue(spinner);
                }
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == L'\r' || wParam == L'\t' || wParam == 0x1B) {
                return 0;  // handled at the key press; the system's edit would only beep
            }
            break;
        case WM_KILLFOCUS:
            CommitTypedValue(hwnd);
            break;
        case WM_NCDESTROY:
            RemovePropW(hwnd, kLinkedSpinnerProp);
            break;
    }
    return CallWindowProcW(systemEditProc, hwnd, msg, wParam, lParam);
}

// --- SpinnerControl ------------------------------------------------------------------------

struct SpinnerState {
    float value = 0.0f;
    float minValue = -1.0e30f;
    float maxValue = 1.0e30f;
    float scale = 0.1f;
    float resetValue = 0.0f;
    HWND edit = nullptr;
    EditSpinnerType editType = EDITTYPE_FLOAT;
    bool pressed = false;
    bool dragging = false;
    int pressedHalf = 0;  // +1 upper arrow, -1 lower arrow
    int lastY = 0;
    float valueAtPress = 0.0f;
};

// Edit fields that show whole numbers.
bool IsIntegerEdit(EditSpinnerType editType) {
    return editType == EDITTYPE_INT || editType == EDITTYPE_POS_INT || editType == EDITTYPE_TIME;
}

std::wstring FormatValue(float v, EditSpinnerType editType) {
    wchar_t buffer[64];
    if (IsIntegerEdit(editType)) {
        std::swprintf(buffer, 64, L"%d", int(std::lround(v)));
        return buffer;
    }
    std::swprintf(buffer, 64, L"%.3f", double(v));
    std::wstring s = buffer;
    // Trailing zeros say nothing; one decimal stays so that a float reads as one.
    while (s.size() > 2 && s.back() == L'0' && s[s.size() - 2] != L'.') {
        s.pop_back();
    }
    return s == L"-0.0" ? L"0.0" : s;
}

void ShowValue(SpinnerState& st) {
    if (IsWindow(st.edit)) {
        SetWindowTextW(st.edit, FormatValue(st.value, st.editType).c_str());
    }
}

// Sets the value within the limits; true when it changed.
bool PutValue(SpinnerState& st, float v) {
    if (std::isnan(v)) {
        return false;
    }
    v = std::clamp(v, st.minValue, st.maxValue);
    if (IsIntegerEdit(st.editType)) {
        v = std::round(v);
    }
    bool changed = v != st.value;
    st.value = v;
    ShowValue(st);
    return changed;
}

void PaintSpinner(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    SpinnerState* st = StateOf<SpinnerState>(hwnd);
    FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
    RECT upper = r, lower = r;
    upper.bottom = (r.top + r.bottom) / 2;
    lower.top = upper.bottom;
    bool enabled = IsWindowEnabled(hwnd);
    for (int half : {1, -1}) {
        RECT box = half > 0 ? upper : lower;
        bool down = st && st->pressed && st->pressedHalf == half;
        DrawEdge(dc, &box, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
        POINT tri[3];
        if (half > 0) {
            tri[0] = {cx - 3, cy + 1};
            tri[1] = {cx + 3, cy + 1};
            tri[2] = {cx, cy - 2};
        } else {
            tri[0] = {cx - 3, cy - 1};
            tri[1] = {cx + 3, cy - 1};
            tri[2] = {cx, cy + 2};
        }
        COLORREF c = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        HBRUSH brush = CreateSolidBrush(c);
        HPEN pen = CreatePen(PS_SOLID, 1, c);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        Polygon(dc, tri, 3);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    EndPaint(hwnd, &ps);
}

void EndSpinnerPress(HWND hwnd, SpinnerState& st, bool accepted) {
    st.pressed = false;
    st.dragging = false;
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, CC_SPINNER_BUTTONUP, accepted ? TRUE : FALSE);
}

LRESULT CALLBACK SpinnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SpinnerState* st = TrackState<SpinnerState>(hwnd, msg);
    if (!st) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
        case WM_PAINT:
            PaintSpinner(hwnd);
            return 0;
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, TRUE);
            if (IsWindow(st->edit)) {
                EnableWindow(st->edit, BOOL(wParam));
            }
            return 0;
        case WM_LBUTTONDOWN: {
            RECT r;
            GetClientRect(hwnd, &r);
            int y = GET_Y_LPARAM(lParam);
            st->pressed = true;
            st->dragging = false;
            st->pressedHalf = y < (r.top + r.bottom) / 2 ? 1 : -1;
            st->lastY = y;
            st->valueAtPress = st->value;
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
            NotifyParent(hwnd, CC_SPINNER_BUTTONDOWN, 0);
            // A click steps once by the scale; a drag then takes over from there.
            if (PutValue(*st, st->value + float(st->pressedHalf) * st->scale)) {
                NotifyParent(hwnd, CC_SPINNER_CHANGE, FALSE);
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (st->pressed && (wParam & MK_LBUTTON)) {
                int y = GET_Y_LPARAM(lParam);
                int dy = st->lastY - y;
                if (dy != 0) {
                    st->dragging = true;
                    st->lastY = y;
                    // Up increases; one scale step per pixel.
                    if (PutValue(*st, st->value + float(dy) * st->scale)) {
                        NotifyParent(hwnd, CC_SPINNER_CHANGE, TRUE);
                    }
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (st->pressed) {
                EndSpinnerPress(hwnd, *st, true);
            }
            return 0;
        case WM_RBUTTONDOWN:
            if (st->pressed) {
                // A right click during a drag cancels it.
                PutValue(*st, st->valueAtPress);
                NotifyParent(hwnd, CC_SPINNER_CHANGE, FALSE);
                EndSpinnerPress(hwnd, *st, false);
            } else {
                if (PutValue(*st, st->resetValue)) {
                    NotifyParent(hwnd, CC_SPINNER_CHANGE, FALSE);
                }
                NotifyParent(hwnd, CC_SPINNER_BUTTONUP, TRUE);
            }
            return 0;
        case WM_CAPTURECHANGED:
            if (st->pressed && reinterpret_cast<HWND>(lParam) != hwnd) {
                st->pressed = false;
                st->dragging = false;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            return 0;
        case WM_NCDESTROY:
            FreeState<SpinnerState>(hwnd);
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// --- ColorSwatch ---------------------------------------------------------------------------

struct SwatchState {
    COLORREF colour = RGB(255, 255, 255);
};

void PaintSwatch(HWND hwnd, SwatchState& st) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    InflateRect(&r, -2, -2);
    FillSolid(dc, r, IsWindowEnabled(hwnd) ? st.colour : GetSysColor(COLOR_BTNSHADOW));
    EndPaint(hwnd, &ps);
}

void PickColour(HWND hwnd, SwatchState& st) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = GetParent(hwnd);
    cc.rgbResult = st.colour;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorW(&cc) && IsWindow(hwnd) && cc.rgbResult != st.colour) {
        st.colour = cc.rgbResult;
        InvalidateRect(hwnd, nullptr, FALSE);
        NotifyParent(hwnd, CC_COLOR_CHANGE, 0);
    }
}

LRESULT CALLBACK SwatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SwatchState* st = TrackState<SwatchState>(hwnd, msg);
    if (!st) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
        case WM_PAINT:
            PaintSwatch(hwnd, *st);
            return 0;
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_LBUTTONUP:
            PickColour(hwnd, *st);
            return 0;
        case WM_NCDESTROY:
            FreeState<SwatchState>(hwnd);
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// --- Interfaces ----------------------------------------------------------------------------

template <class Base>
class ControlImpl : public Base {
public:
    explicit ControlImpl(HWND h) : hwnd(h) {}
    HWND GetHwnd() override { return hwnd; }
    void Enable(BOOL onOff) override { EnableWindow(hwnd, onOff); }
    void Disable() override { EnableWindow(hwnd, FALSE); }
    BOOL IsEnabled() override { return IsWindowEnabled(hwnd); }

protected:
    HWND hwnd;
};

class CustButtonImpl : public ControlImpl<ICustButton> {
public:
    using ControlImpl::ControlImpl;
    void GetText(MCHAR* text, int ct) override { CopyText(WindowText(hwnd), text, ct); }
    void SetText(const MCHAR* text) override { SetWindowTextW(hwnd, text ? text : L""); }
    void GetText(MSTR& text) const override { text = WindowText(hwnd).c_str(); }
    int GetTextLength() const override { return GetWindowTextLengthW(hwnd); }
    void SetType(CustButType type) override { StateOf<ButtonState>(hwnd)->type = type; }
    void SetDADMgr(DADMgr* dad) override { StateOf<ButtonState>(hwnd)->dad = dad; }
    DADMgr* GetDADMgr() override { return StateOf<ButtonState>(hwnd)->dad; }
};

class CustEditImpl : public ControlImpl<ICustEdit> {
public:
    using ControlImpl::ControlImpl;
    void GetText(MCHAR* text, int ct) override { CopyText(WindowText(hwnd), text, ct); }
    void GetText(MSTR& text) const override { text = WindowText(hwnd).c_str(); }
    int GetTextLength() const override { return GetWindowTextLengthW(hwnd); }
    void SetText(const MCHAR* text) override { SetWindowTextW(hwnd, text ? text : L""); }
    float GetFloat(BOOL* valid) override {
        float v = 0.0f;
        bool ok = standalone::win::ParseTypedNumber(WindowText(hwnd), v);
        if (valid) {
            *valid = ok ? TRUE : FALSE;
        }
        return v;
    }
};

class SpinnerImpl : public ControlImpl<ISpinnerControl> {
public:
    using ControlImpl::ControlImpl;
    float GetFVal() override { return State().value; }
    int GetIVal() override { return int(std::lround(State().value)); }
    void SetValue(float v, int notify) override {
        if (PutValue(State(), v) && notify) {
            NotifyParent(hwnd, CC_SPINNER_CHANGE, FALSE);
        }
    }
    void SetValue(int v, int notify) override { SetValue(float(v), notify); }
    void SetLimits(int minValue, int maxValue, int limitCurValue) override {
        SetLimits(float(minValue), float(maxValue), limitCurValue);
    }
    void SetLimits(float minValue, float maxValue, int limitCurValue) override {
        SpinnerState& st = State();
        st.minValue = std::min(minValue, maxValue);
        st.maxValue = std::max(minValue, maxValue);
        if (limitCurValue) {
            PutValue(st, st.value);
        }
    }
    void SetScale(float scale) override { State().scale = scale; }
    void SetResetValue(float v) override { State().resetValue = v; }
    void SetResetValue(int v) override { State().resetValue = float(v); }
    void LinkToEdit(HWND edit, EditSpinnerType editType) override {
        SpinnerState& st = State();
        st.edit = edit;
        st.editType = editType;
        if (IsWindow(edit)) {
            SetPropW(edit, kLinkedSpinnerProp, hwnd);
        }
        ShowValue(st);
    }

private:
    SpinnerState& State() { return *StateOf<SpinnerState>(hwnd); }
};

class SwatchImpl : public ControlImpl<IColorSwatch> {
public:
    using ControlImpl::ControlImpl;
    COLORREF GetColor() override { return StateOf<SwatchState>(hwnd)->colour; }
    COLORREF SetColor(COLORREF c, int notify) override {
        COLORREF old = StateOf<SwatchState>(hwnd)->colour;
        StateOf<SwatchState>(hwnd)->colour = c & 0xFFFFFF;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (notify) {
            NotifyParent(hwnd, CC_COLOR_CHANGE, 0);
        }
        return old;
    }
};

template <class Impl>
Impl* Fetch(HWND hwnd, const wchar_t* className, bool needsState = true) {
    standalone::win::RegisterCustomControls();
    if (!HasClass(hwnd, className) || (needsState && !GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
        return nullptr;
    }
    return new Impl(hwnd);
}

}  // namespace

namespace standalone::win {

void RegisterCustomControls() {
    static bool registered = false;
    if (registered) {
        return;
    }
    registered = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const UINT style = CS_GLOBALCLASS | CS_DBLCLKS;
    RegisterWindowClass(kButtonClass, ButtonProc, nullptr, style);
    RegisterWindowClass(kSwatchClass, SwatchProc, nullptr, style);
    RegisterWindowClass(kSpinnerClass, SpinnerProc, nullptr, style);
    // The edit field is the system's own edit, superclassed so that Enter commits its value.
    WNDCLASSEXW edit{};
    edit.cbSize = sizeof(edit);
    if (GetClassInfoExW(nullptr, L"EDIT", &edit)) {
        systemEditProc = edit.lpfnWndProc;
        edit.style |= CS_GLOBALCLASS;
        edit.lpfnWndProc = EditProc;
        edit.hInstance = instance;
        edit.lpszClassName = kEditClass;
        RegisterClassExW(&edit);
    }
}

bool ParseTypedNumber(const std::wstring& text, float& value) {
    std::string narrow;
    for (wchar_t c : text) {
        narrow.push_back(c < 128 ? char(c) : '?');
    }
    char* end = nullptr;
    double v = std::strtod(narrow.c_str(), &end);
    while (end && *end == ' ') {
        ++end;
    }
    if (end == narrow.c_str() || !end || *end != '\0' || !std::isfinite(v)) {
        return false;
    }
    value = float(v);
    return true;
}

void SpinnerTakeTypedText(HWND spinner, const std::wstring& text) {
    SpinnerState* st = StateOf<SpinnerState>(spinner);
    if (!st || !HasClass(spinner, kSpinnerClass)) {
        return;
    }
    // The value as shown: nothing was typed (Tab then the focus leaving commit once).
    if (text == FormatValue(st->value, st->editType)) {
        return;
    }
    float v = 0.0f;
    if (!ParseTypedNumber(text, v)) {
        ShowValue(*st);  // a typing mistake gives the old value back
        return;
    }
    // A typed value is one whole change: the dialog sees it as a change and a release.
    PutValue(*st, v);
    NotifyParent(spinner, CC_SPINNER_CHANGE, FALSE);
    NotifyParent(spinner, CC_SPINNER_BUTTONUP, TRUE);
}

void SpinnerShowValue(HWND spinner) {
    if (SpinnerState* st = StateOf<SpinnerState>(spinner); st && HasClass(spinner, kSpinnerClass)) {
        ShowValue(*st);
    }
}

}  // namespace standalone::win

ICustButton* GetICustButton(HWND hCtrl) {
    return Fetch<CustButtonImpl>(hCtrl, kButtonClass);
}
void ReleaseICustButton(ICustButton* button) {
    delete button;
}
ICustEdit* GetICustEdit(HWND hCtrl) {
    return Fetch<CustEditImpl>(hCtrl, kEditClass, false);
}
void ReleaseICustEdit(ICustEdit* edit) {
    delete edit;
}
ISpinnerControl* GetISpinner(HWND hCtrl) {
    return Fetch<SpinnerImpl>(hCtrl, kSpinnerClass);
}
void ReleaseISpinner(ISpinnerControl* spinner) {
    delete spinner;
}
IColorSwatch* GetIColorSwatch(HWND hCtrl) {
    return Fetch<SwatchImpl>(hCtrl, kSwatchClass);
}
void ReleaseIColorSwatch(IColorSwatch* swatch) {
    delete swatch;
}
