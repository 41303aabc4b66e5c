// The History window's enlarged-preview popup: placed beside the cursor inside the work area,
// owning a copy of the picture's bytes until it is destroyed.

#include "ui/HistoryPreviewPopup.h"

#include "core/ZenithraClassDesc.h"
#include "history/PreviewImages.h"
#include "ui/RollupSupport.h"

#include <algorithm>

namespace {

constexpr int kCursorGap = 18;

void RegisterPopupClass() {
    static bool registered = false;  // once per process, on first use
    if (!registered) {
        registered = RegisterPluginWindowClass(kHistoryPopupClass, PreviewPopupWndProc, 0);
    }
}

}  // namespace

POINT PreviewPopupPosition(POINT point, int width, int height, const RECT& work) {
    int x = point.x + kCursorGap;
    if (x + width > work.right) {
        x = point.x - width - kCursorGap;
    }
    int y = point.y + kCursorGap;
    if (y + height > work.bottom) {
        y = point.y - height - kCursorGap;
    }
    x = std::clamp(x, int(work.left), std::max(int(work.left), int(work.right) - width));
    y = std::clamp(y, int(work.top), std::max(int(work.top), int(work.bottom) - height));
    return POINT{x, y};
}

void HidePreviewPopup(HistoryWindowState& state) {
    if (state.popup && IsWindow(state.popup)) {
        DestroyWindow(state.popup);
    }
    state.popup = nullptr;
    state.popupEntryId = MSTR();
}

void ShowPreviewPopup(HistoryWindowState& state, HWND window, const HistoryEntry& entry,
                      POINT point) {
    if (state.popup && IsWindow(state.popup) && state.popupEntryId == entry.entryId) {
        return;
    }
    HidePreviewPopup(state);
    if (entry.previewJpeg.empty()) {
        return;
    }
    PreviewImageSize size = GetPreviewImageSize(entry.previewJpeg);
    int width = int(size.width), height = int(size.height);
    if (width < 1 || height < 1) {
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor);
    POINT at = PreviewPopupPosition(point, width, height, monitor.rcWork);

    RegisterPopupClass();
    auto* data = new PreviewPopupData{entry.previewJpeg, state.background};
    HWND popup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                 kHistoryPopupClass, _M(""), WS_POPUP | WS_BORDER, at.x, at.y,
                                 width, height, window, nullptr, GetModuleInstance(), data);
    if (!popup) {
        delete data;  // the popup takes its data only once it is created
        return;
    }
    state.popup = popup;
    state.popupEntryId = entry.entryId;
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    UpdateWindow(popup);
}
