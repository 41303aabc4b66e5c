// The History window's model (rows by path key, columns by variant key, in store order) and its
// geometry: thumbnail and row sizes, scroll and selection clamps, the fit to the work area.

#include "ui/HistoryWindowState.h"

#include "core/HostStrings.h"
#include "history/PreviewImages.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"
#include "source/SourceFile.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

HistoryWindowState* HistoryStateOf(HWND window) {
    // Another process's History window (a second host) holds a pointer of that process.
    DWORD process = 0;
    wchar_t className[64] = {};
    if (!window || !GetWindowThreadProcessId(window, &process) ||
        process != GetCurrentProcessId() || !GetClassNameW(window, className, 64) ||
        std::wstring_view(className) != kHistoryWindowClass) {
        return nullptr;
    }
    return reinterpret_cast<HistoryWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void RebuildHistoryRows(HistoryWindowState& state) {
    state.rows.clear();
    state.maxColumns = 0;
    state.thumbW = std::max(GetSystemMetrics(SM_CXSCREEN) / 6, 120);
    state.thumbH = std::max(state.thumbW * 9 / 16, 80);
    const HistoryStore empty;
    const HistoryStore& store = state.map ? state.map->history : empty;
    // Rows take the proportions of the first preview that decodes.
    for (const HistoryEntry& entry : store) {
        if (entry.previewJpeg.empty()) {
            continue;
        }
        PreviewImageSize size = GetPreviewImageSize(entry.previewJpeg);
        if (size.width > 0 && size.height > 0) {
            int64_t h = int64_t(size.height) * state.thumbW / int64_t(size.width);
            state.thumbH = int32_t(std::clamp<int64_t>(h, 60, INT32_MAX));
            break;
        }
    }
    state.cellW = state.thumbW + 16;
    state.rowH = state.thumbH + 66;
    state.labelW = std::max(state.thumbW / 2, 220);

    for (const HistoryEntry& entry : store) {
        MSTR key = MakePathKey(entry.hdrPath);
        auto row = std::find_if(state.rows.begin(), state.rows.end(),
                                [&](const HistoryRow& r) { return r.pathKey == key; });
        if (row == state.rows.end()) {
            row = state.rows.insert(state.rows.end(), HistoryRow{entry.hdrPath, key, {}});
        }
        const MSTR& variant = VariantKey(entry);
        auto column = std::find_if(row->columns.begin(), row->columns.end(),
                                   [&](const VariantColumn& c) { return c.variantId == variant; });
        if (column == row->columns.end()) {
            column = row->columns.insert(
                row->columns.end(),
                VariantColumn{variant, entry.cameraName, entry.cameraHandle, {}});
        }
        column->entries.push_back(&entry);
    }
    for (HistoryRow& row : state.rows) {
        for (VariantColumn& column : row.columns) {
            std::stable_sort(
                column.entries.begin(), column.entries.end(),
                [](const HistoryEntry* a, const HistoryEntry* b) { return FrameThenId(*a, *b); });
        }
        state.maxColumns = std::max(state.maxColumns, int32_t(row.columns.size()));
    }
    if (state.rows.empty()) {
        state.selectedRow = -1;
        state.selectedColumn = -1;
    } else {
        state.selectedRow = std::clamp(state.selectedRow, 0, int32_t(state.rows.size()) - 1);
        state.selectedColumn =
            std::clamp(state.selectedColumn, 0, std::max(state.maxColumns - 1, 0));
    }
}

const HistoryEntry* ShownEntry(const VariantColumn& column) {
    for (const HistoryEntry* entry : column.entries) {
        if (!entry->previewJpeg.empty()) {
            return entry;
        }
    }
    return column.entries.empty() ? nullptr : column.entries.front();
}

const VariantColumn* SelectedHistoryColumn(const HistoryWindowState& state) {
    if (state.selectedRow < 0 || state.selectedRow >= int(state.rows.size())) {
        return nullptr;
    }
    const std::vector<VariantColumn>& columns = state.rows[size_t(state.selectedRow)].columns;
    if (columns.empty()) {
        return nullptr;
    }
    bool inRange = state.selectedColumn >= 0 && state.selectedColumn < int(columns.size());
    return &columns[inRange ? size_t(state.selectedColumn) : 0];
}

const HistoryEntry* HitTestHistoryCell(const HistoryWindowState& state, int x, int y) {
    if (x < state.labelW || y < state.headerH || state.rowH < 1 ||
        (state.clientH > 0 && y >= state.clientH - state.barH)) {
        return nullptr;
    }
    int row = (state.scrollY - state.headerH + y) / state.rowH;
    int column = (x - state.labelW) / state.cellW;
    if (row < 0 || row >= int(state.rows.size())) {
        return nullptr;
    }
    const std::vector<VariantColumn>& columns = state.rows[size_t(row)].columns;
    if (column < 0 || column >= int(columns.size())) {
        return nullptr;
    }
    return ShownEntry(columns[size_t(column)]);
}

int HistoryRowAt(const HistoryWindowState& state, HWND window, int y) {
    RECT client{};
    GetClientRect(window, &client);
    if (y < state.headerH || y >= client.bottom - state.barH || state.rowH < 1) {
        return -1;
    }
    int row = (y - state.headerH + state.scrollY) / state.rowH;
    return row < int(state.rows.size()) ? row : -1;
}

void SelectLookInWindow(HistoryWindowState& state, const MSTR& path, const MSTR& variantId) {
    if (path.isNull() || state.rows.empty()) {
        return;
    }
    MSTR key = MakePathKey(path);
    for (size_t r = 0; r < state.rows.size(); ++r) {
        if (state.rows[r].pathKey != key) {
            continue;
        }
        state.selectedRow = int32_t(r);
        state.selectedColumn = 0;
        const std::vector<VariantColumn>& columns = state.rows[r].columns;
        for (size_t c = 0; c < columns.size() && !variantId.isNull(); ++c) {
            if (columns[c].variantId == variantId) {
                state.selectedColumn = int32_t(c);
                break;
            }
        }
        return;
    }
}

int VisibleGridHeight(const HistoryWindowState& state, HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return std::max(int(client.bottom - client.top) - state.barH - state.headerH, 0);
}

void ClampHistoryWindow(HistoryWindowState& state, HWND window) {
    int rows = int(state.rows.size());
    int contentH = rows * state.rowH;
    state.scrollY =
        std::clamp(state.scrollY, 0, std::max(contentH - VisibleGridHeight(state, window), 0));
    state.selectedRow = std::min(state.selectedRow, rows - 1);
    if (state.selectedRow < 0 && rows > 0) {
        state.selectedRow = 0;
    }
    state.selectedColumn = std::min(state.selectedColumn, state.maxColumns - 1);
}

void UpdateHistoryScrollBar(HistoryWindowState& state, HWND window) {
    ClampHistoryWindow(state, window);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(int(state.rows.size()) * state.rowH - 1, 0);
    info.nPage = UINT(std::max(VisibleGridHeight(state, window), 1));
    info.nPos = state.scrollY;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void EnsureHistoryRowVisible(HistoryWindowState& state, HWND window, int row) {
    int top = row * state.rowH;
    int visible = VisibleGridHeight(state, window);
    if (top < state.scrollY) {
        state.scrollY = top;
    } else if (top + state.rowH > state.scrollY + visible) {
        state.scrollY = top + state.rowH - visible;
    }
    UpdateHistoryScrollBar(state, window);
}

void FitHistoryWindow(HistoryWindowState& state, HWND window) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    int workW = work.right - work.left, workH = work.bottom - work.top;
    int frameW = (outer.right - outer.left) - (client.right - client.left);
    int frameH = (outer.bottom - outer.top) - (client.bottom - client.top);
    int contentW = state.labelW + state.maxColumns * state.cellW;
    int contentH = state.headerH + int(state.rows.size()) * state.rowH + state.barH;

    int width = std::max(
        std::min(frameW + GetSystemMetrics(SM_CXVSCROLL) + contentW, std::max(workW * 9 / 10, 420)),
        360);
    int height = std::min(frameH + 4 + contentH, std::max(workH, 220));
    height = std::max(height, frameH + state.headerH + std::max(state.rowH, 1));
    int left = outer.left, top = outer.top;
    if (left + width > work.right) {
        left = work.right - width;
    }
    if (top + height > work.bottom) {
        top = work.bottom - height;
    }
    left = std::max(left, int(work.left));
    top = std::max(top, int(work.top));
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateHistoryScrollBar(state, window);
}

void LayoutHistoryButtons(HistoryWindowState& state, const RECT& client) {
    constexpr int kButtonW = 116, kButtonH = 32;
    int top = client.bottom - state.barH + (state.barH - kButtonH) / 2;
    int bottom = top + kButtonH;
    int w = client.right;
    state.saveRect = RECT{14, top, 14 + kButtonW, bottom};
    state.loadRect = RECT{142, top, 142 + kButtonW, bottom};
    state.deleteRect = RECT{w - 258, top, w - 258 + kButtonW, bottom};
    state.cancelRect = RECT{w - 130, top, w - 130 + kButtonW, bottom};
}

MSTR FormatSlotExposures(const HistoryEntry& entry) {
    MSTR text;
    size_t shown = std::min<size_t>(4, entry.slotExposures.size());
    for (size_t i = 0; i < shown; ++i) {
        text += MSTR(i ? _M("  S") : _M("S")) + DecimalText(int(i) + 1) + _M(" ") +
                FixedText(entry.slotExposures[i], 2);
    }
    if (entry.slotExposures.size() > 4) {
        text += _M("  ...");
    }
    return text;
}

MSTR FileNameOfPath(const MSTR& hostPath) {
    // The root ("C:\", "\\server\share\") is never a file name.
    std::wstring_view path = MstrView(hostPath);
    size_t rootEnd = 0;
    if (path.size() >= 2 && path[1] == _M(':')) {
        rootEnd = 2;
    }
    size_t slash = path.find_last_of(_M("\\/"));
    if (slash == std::wstring_view::npos || slash < rootEnd || slash + 1 >= path.size()) {
        return hostPath;
    }
    return MakeMstr(path.substr(slash + 1));
}

MSTR HistoryCellCaption(const VariantColumn& column) {
    std::wstring_view id = MstrView(column.variantId);
    std::wstring text(id.size() <= 8 ? id : id.substr(id.size() - 8));
    size_t count = column.entries.size();
    text += _M(" | ");
    text += MstrView(DecimalText(int(count)));
    text += count == 1 ? _M(" frame") : _M(" frames");
    if (!column.cameraName.isNull()) {
        text += _M("\r\nCam: ");
        text += MstrView(column.cameraName);
    }
    const HistoryEntry* shown = ShownEntry(column);
    MSTR exposures = shown ? FormatSlotExposures(*shown) : MSTR();
    if (!exposures.isNull()) {
        text += _M(" | ");
        text += MstrView(exposures);
    }
    return MakeMstr(text);
}
