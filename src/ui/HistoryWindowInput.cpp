// The History window's input: buttons and cells under the left button, the Delete menu under
// the right, keys, the scroll bar and wheel, and the preview popup while Alt is held.

#include "ui/HistoryWindowInput.h"

#include "history/LookApply.h"
#include "history/LookCapture.h"
#include "platform/Platform.h"
#include "ui/HistoryPreviewPopup.h"
#include "ui/RollupSupport.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr UINT kDeleteVariantCommand = 1;

bool AltDown() {
    return GetKeyState(VK_MENU) < 0;
}

/// A modal loop (menu, message box, capture) may have closed the window: its map went away.
bool StillOpen(HWND window, const HistoryWindowState& state) {
    return IsWindow(window) && HistoryStateOf(window) == &state;
}

void Repaint(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
}

bool ValidRow(const HistoryWindowState& state, int row) {
    return row >= 0 && row < int(state.rows.size());
}

void ApplySelection(HistoryWindowState& state, HWND window) {
    const VariantColumn* column = SelectedHistoryColumn(state);
    if (state.map && column) {
        // Applying rebuilds this window's rows: keep what the call needs outside them.
        MSTR variantId = column->variantId;
        const HistoryEntry* shown = ShownEntry(*column);
        ApplyLook(state.map, variantId, shown);
    }
    if (StillOpen(window, state)) {
        Repaint(window);
    }
}

void DeleteSelectedRow(HistoryWindowState& state, HWND window) {
    if (!state.map || !ValidRow(state, state.selectedRow)) {
        return;
    }
    MSTR path = state.rows[size_t(state.selectedRow)].hdrPath;
    MSTR name = FileNameOfPath(path);
    MSTR text = MSTR(_M("Delete all saved lighting looks for\n\"")) +
                (name.isNull() ? path : name) +
                _M("\"?\n\nAll variants and frames in this row will be removed.");
    int answer = platform::ShowMessageBox(
        window, std::wstring(MstrView(text)), kHistoryBoxTitle,
        platform::kBoxYesNo | platform::kBoxIconExclamation | platform::kBoxDefaultSecond);
    if (answer != platform::kAnswerYes || !StillOpen(window, state) || !state.map) {
        return;
    }
    HidePreviewPopup(state);
    DeleteHdrLooks(state.map, path);
    state.selectedColumn = -1;
    RebuildHistoryRows(state);
    ClampHistoryWindow(state, window);
    FitHistoryWindow(state, window);
    UpdateHistoryScrollBar(state, window);
    InvalidateRect(window, nullptr, TRUE);
}

void OnLeftButtonDown(HistoryWindowState& state, HWND window, POINT p) {
    SetFocus(window);
    RECT client{};
    GetClientRect(window, &client);
    LayoutHistoryButtons(state, client);
    if (PtInRect(&state.loadRect, p)) {
        ApplySelection(state, window);
        return;
    }
    if (PtInRect(&state.cancelRect, p)) {
        DestroyWindow(window);
        return;
    }
    if (PtInRect(&state.saveRect, p)) {
        if (state.map) {
            CaptureLook(state.map);
        }
        if (StillOpen(window, state)) {
            Repaint(window);
        }
        return;
    }
    if (PtInRect(&state.deleteRect, p)) {
        DeleteSelectedRow(state, window);
        return;
    }
    int row = HistoryRowAt(state, window, p.y);
    if (!ValidRow(state, row)) {
        return;
    }
    state.selectedRow = row;
    const std::vector<VariantColumn>& columns = state.rows[size_t(row)].columns;
    if (p.x >= state.labelW) {
        if (!columns.empty()) {
            state.selectedColumn =
                std::min(int(p.x - state.labelW) / state.cellW, int(columns.size()) - 1);
        }
    } else if (state.selectedColumn < 0 && !columns.empty()) {
        state.selectedColumn = 0;
    }
    EnsureHistoryRowVisible(state, window, row);
    Repaint(window);
}

void OnDoubleClick(HistoryWindowState& state, HWND window, POINT p) {
    int row = HistoryRowAt(state, window, p.y);
    if (!ValidRow(state, row)) {
        return;
    }
    state.selectedRow = row;
    if (p.x >= state.labelW) {
        int column = (p.x - state.labelW) / state.cellW;
        if (column < int(state.rows[size_t(row)].columns.size())) {
            state.selectedColumn = column;
        }
    }
    ApplySelection(state, window);
    if (StillOpen(window, state)) {
        EnsureHistoryRowVisible(state, window, state.selectedRow);
        Repaint(window);
    }
}

void OnRightButtonUp(HistoryWindowState& state, HWND window, POINT p) {
    int row = HistoryRowAt(state, window, p.y);
    if (ValidRow(state, row)) {
        state.selectedRow = row;
    }
    const HistoryEntry* entry = HitTestHistoryCell(state, p.x, p.y);
    if (!entry) {
        return;
    }
    HistoryEntry target = *entry;  // the store moves its entries while it removes
    POINT screen = p;
    ClientToScreen(window, &screen);
    UINT chosen = TrackRollupMenu(window, screen, {{kDeleteVariantCommand, _M("Delete")}});
    if (!StillOpen(window, state)) {
        return;
    }
    if (chosen == kDeleteVariantCommand && state.map) {
        HidePreviewPopup(state);
        DeleteVariant(state.map, target);
        RebuildHistoryRows(state);
        PostMessageW(window, kFitHistoryWindowMessage, 0, 0);
    } else {
        Repaint(window);
    }
}

bool OnKeyDown(HistoryWindowState& state, HWND window, WPARAM key) {
    switch (key) {
        case VK_RETURN:
            ApplySelection(state, window);
            return true;
        case VK_ESCAPE:
            DestroyWindow(window);
            return true;
        case VK_UP:
        case VK_DOWN: {
            int rows = int(state.rows.size());
            if (rows == 0) {
                return true;
            }
            if (state.selectedRow < 0) {
                state.selectedRow = 0;
            } else if (key == VK_UP) {
                state.selectedRow = std::max(state.selectedRow - 1, 0);
            } else {
                state.selectedRow = std::min(state.selectedRow + 1, rows - 1);
            }
            EnsureHistoryRowVisible(state, window, state.selectedRow);
            Repaint(window);
            return true;
        }
        default:
            return false;
    }
}

void ScrollTo(HistoryWindowState& state, HWND window, int64_t scrollY) {
    state.scrollY = int32_t(std::clamp<int64_t>(scrollY, INT32_MIN / 2, INT32_MAX / 2));
    UpdateHistoryScrollBar(state, window);
    Repaint(window);
}

void OnVerticalScroll(HistoryWindowState& state, HWND window, WPARAM request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, SB_VERT, &info);
    int visible = VisibleGridHeight(state, window);
    int line = std::max(state.rowH / 6, 8);
    int page = std::max(line, visible - line);
    int64_t y = state.scrollY;
    switch (LOWORD(request)) {
        case SB_LINEUP:
            y -= line;
            break;
        case SB_LINEDOWN:
            y += line;
            break;
        case SB_PAGEUP:
            y -= page;
            break;
        case SB_PAGEDOWN:
            y += page;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            y = info.nTrackPos;
            break;
        case SB_TOP:
            y = 0;
            break;
        case SB_BOTTOM:
            y = std::max(int64_t(state.rows.size()) * state.rowH - visible, int64_t(0));
            break;
        default:
            break;
    }
    ScrollTo(state, window, y);
}

void OnMouseWheel(HistoryWindowState& state, HWND window, WPARAM wParam) {
    if (state.rows.empty()) {
        return;
    }
    SetFocus(window);
    UINT lines = 3;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) {
        lines = 3;
    }
    int64_t count = lines;
    if (lines == WHEEL_PAGESCROLL) {
        count = std::max(VisibleGridHeight(state, window) / std::max(state.rowH, 1), 1);
    } else if (lines == 0) {
        count = 1;
    }
    int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    int64_t step = int64_t(std::max(state.rowH / 6, 8)) * count * delta / WHEEL_DELTA;
    if (step == 0) {
        step = delta > 0 ? 1 : -1;
    }
    ScrollTo(state, window, int64_t(state.scrollY) - step);
}

void OnMouseMove(HistoryWindowState& state, HWND window, POINT p) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window;
    TrackMouseEvent(&track);
    const HistoryEntry* entry = AltDown() ? HitTestHistoryCell(state, p.x, p.y) : nullptr;
    if (!entry) {
        HidePreviewPopup(state);
        return;
    }
    POINT screen = p;
    ClientToScreen(window, &screen);
    ShowPreviewPopup(state, window, *entry, screen);
}

/// The popup stays only while Alt is held over the cell it shows.
void OnPopupTimer(HistoryWindowState& state, HWND window) {
    if (!state.popup) {
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(window, &cursor);
    const HistoryEntry* entry = AltDown() ? HitTestHistoryCell(state, cursor.x, cursor.y) : nullptr;
    if (!entry || entry->entryId != state.popupEntryId) {
        HidePreviewPopup(state);
    }
}

}  // namespace

bool HandleHistoryInput(HistoryWindowState& state, HWND window, UINT msg, WPARAM wParam,
                        LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(state, window, PointFromLParam(lParam));
            return true;
        case WM_LBUTTONDBLCLK:
            OnDoubleClick(state, window, PointFromLParam(lParam));
            return true;
        case WM_RBUTTONUP:
            OnRightButtonUp(state, window, PointFromLParam(lParam));
            return true;
        case WM_KEYDOWN:
            return OnKeyDown(state, window, wParam);
        case WM_VSCROLL:
            OnVerticalScroll(state, window, wParam);
            return true;
        case WM_MOUSEWHEEL:
            OnMouseWheel(state, window, wParam);
            return true;
        case WM_MOUSEMOVE:
            OnMouseMove(state, window, PointFromLParam(lParam));
            return true;
        case WM_MOUSELEAVE:
            HidePreviewPopup(state);
            return true;
        case WM_TIMER:
            if (wParam != kPopupTimerId) {
                return false;
            }
            OnPopupTimer(state, window);
            return true;
        default:
            return false;
    }
}
