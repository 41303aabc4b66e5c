// The History window's life: creation where it was last closed, the window procedure, the
// rebuild every change of the map's looks asks for, and its end (closed by the user or with
// its map).

#include "ui/HistoryWindow.h"

#include "core/HostEdge.h"
#include "core/ZenithraClassDesc.h"
#include "history/HistoryStore.h"
#include "history/Settings.h"
#include "platform/Win32Owned.h"
#include "source/SourceFile.h"
#include "ui/HistoryPreviewPopup.h"
#include "ui/HistoryWindowInput.h"
#include "ui/HistoryWindowPaint.h"
#include "ui/RollupSupport.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <memory>
#include <vector>

namespace {

LRESULT OnCreate(HWND window, const CREATESTRUCTW& create) {
    auto* state = new HistoryWindowState;
    state->map = static_cast<Zenithra*>(create.lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    RebuildHistoryRows(*state);
    CurrentLook look = CurrentLookRegistry::Get(state->map);
    state->currentKey = look.pathKey;
    state->currentVariant = look.variantId;
    if (!look.path.isNull()) {
        SelectLookInWindow(*state, look.path, look.variantId);
    }
    SetTimer(window, kPopupTimerId, kPopupTimerPeriodMs, nullptr);
    PostMessageW(window, kFitHistoryWindowMessage, 0, 0);
    return 0;
}

void OnDestroy(HWND window, HistoryWindowState* state) {
    std::unique_ptr<HistoryWindowState> owned(state);  // freed also when the placement fails
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (state) {
        HidePreviewPopup(*state);
    }
    KillTimer(window, kPopupTimerId);
    RECT outer{};
    GetWindowRect(window, &outer);
    WriteHistoryWindowPlacement(
        platform::ScreenRect{outer.left, outer.top, outer.right, outer.bottom});
}

void Paint(HWND window, HistoryWindowState& state) {
    win32::PaintScope paint(window);
    RECT client{};
    GetClientRect(window, &client);
    PaintHistoryWindow(state, paint.Dc(), client);
}

/// What the rebuild after a change of the map's looks does to one window; the look given is
/// the map's new current look.
void Rebuild(HWND window, HistoryWindowState& state, const MSTR& path, const MSTR& variantId) {
    RebuildHistoryRows(state);
    if (!path.isNull()) {
        state.currentKey = MakePathKey(path);
        state.currentVariant = variantId;
        SelectLookInWindow(state, path, variantId);
    }
    ClampHistoryWindow(state, window);
    FitHistoryWindow(state, window);
    if (state.selectedRow >= 0) {
        EnsureHistoryRowVisible(state, window, state.selectedRow);
    }
    UpdateHistoryScrollBar(state, window);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT HandleMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        return OnCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
    }
    HistoryWindowState* state = HistoryStateOf(window);
    if (msg == WM_DESTROY) {
        OnDestroy(window, state);
        return 0;
    }
    if (!state) {
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    switch (msg) {
        case kFitHistoryWindowMessage:
            FitHistoryWindow(*state, window);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case kRebuildHistoryWindowMessage:
            RebuildHistoryRows(*state);
            FitHistoryWindow(*state, window);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_PAINT:
            Paint(window, *state);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE:
            state->clientH = HIWORD(lParam);
            UpdateHistoryScrollBar(*state, window);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_SETFOCUS:
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        default:
            break;
    }
    if (HandleHistoryInput(*state, window, msg, wParam, lParam)) {
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK HistoryWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    // A window whose state could not be made is not created.
    return GuardEntry<LRESULT>(msg == WM_CREATE ? -1 : 0,
                               [&] { return HandleMessage(window, msg, wParam, lParam); });
}

bool RegisterHistoryWindowClass() {
    static bool registered = false;  // once per process, on first use
    if (!registered) {
        registered = RegisterPluginWindowClass(kHistoryWindowClass, HistoryWndProc, CS_DBLCLKS);
    }
    return registered;
}

/// The open History windows of `map`, in enumeration order.
std::vector<HWND> HistoryWindowsOf(const Zenithra* map) {
    struct Search {
        const Zenithra* map;
        std::vector<HWND> found;
    } search{map, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            HistoryWindowState* state = HistoryStateOf(window);
            if (state && state->map == s->map) {
                s->found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND FindHistoryWindow(const Zenithra* map) {
    if (!map) {
        return nullptr;
    }
    std::vector<HWND> windows = HistoryWindowsOf(map);
    return windows.empty() ? nullptr : windows.front();
}

HWND OpenHistoryWindow(Zenithra* map) {
    if (!map || !RegisterHistoryWindowClass()) {
        return nullptr;
    }
    if (HWND open = FindHistoryWindow(map)) {
        ShowWindow(open, IsIconic(open) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(open);
        SetFocus(open);
        return open;
    }
    Interface* core = GetCOREInterface();
    HWND owner = core ? core->GetMAXHWnd() : nullptr;
    WindowPlacement placement = ReadHistoryWindowPlacement();
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kHistoryWindowClass, kHistoryBoxTitle,
                                  WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, placement.x,
                                  placement.y, placement.width, placement.height, owner, nullptr,
                                  GetModuleInstance(), map);
    if (window) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
    }
    return window;
}

void RebuildOpenHistoryWindows(Zenithra* map, const MSTR& path, const MSTR& variantId) {
    for (HWND window : HistoryWindowsOf(map)) {
        if (HistoryWindowState* state = HistoryStateOf(window)) {
            Rebuild(window, *state, path, variantId);
        }
    }
}

void CloseHistoryWindows(const Zenithra* map) {
    if (!map) {
        return;
    }
    for (HWND window : HistoryWindowsOf(map)) {
        // The window forgets its map first: nothing it does while it goes may reach the map.
        if (HistoryStateOf(window)) {
            HistoryStateOf(window)->map = nullptr;
        }
        DestroyWindow(window);
    }
}
