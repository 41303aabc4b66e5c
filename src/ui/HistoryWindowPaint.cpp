// The History window's painting: everything is drawn into an off-screen bitmap of the client
// size and copied at the end, so that scrolling and hover repaints never flicker.

#include "ui/HistoryWindowPaint.h"

#include "history/PreviewImages.h"
#include "platform/Win32Owned.h"
#include "ui/RollupSupport.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kEmptyHistoryText =
    _M("No saved lighting looks yet. Click Save in the master slot to capture the current ")
        _M("VFB/frame/camera/rotate.");

/// A hollow frame `width` pixels wide drawn inside `rect`.
void FrameInside(HDC dc, RECT rect, COLORREF colour, int width) {
    win32::Brush brush(CreateSolidBrush(colour));
    for (int i = 0; i < width; ++i) {
        FrameRect(dc, &rect, brush.Get());
        InflateRect(&rect, -1, -1);
    }
}

void FilledCell(HDC dc, const RECT& rect, COLORREF fill, COLORREF line) {
    win32::FillSolid(dc, rect, fill);
    FrameInside(dc, rect, line, 1);
}

/// Word-wrapped text centred both ways: measured first, since DT_VCENTER holds for one line.
void DrawCentredText(HDC dc, const MSTR& text, RECT rect) {
    const UINT format = DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;
    RECT measured = rect;
    DrawTextW(dc, text.data(), -1, &measured, format | DT_CALCRECT);
    int height = measured.bottom - measured.top;
    int available = rect.bottom - rect.top;
    if (height >= 1 && height < available) {
        rect.top += (available - height) / 2;
    }
    DrawTextW(dc, text.data(), -1, &rect, format);
}

struct Palette {
    COLORREF rowFill, selectedRowFill, headerFill, line, buttonFill, buttonFillDisabled,
        buttonTextDisabled;
    explicit Palette(COLORREF background)
        : rowFill(ShiftColor(background, 8)),
          selectedRowFill(ShiftColor(background, 16)),
          headerFill(ShiftColor(background, 18)),
          line(ShiftColor(background, 58)),
          buttonFill(ShiftColor(background, 36)),
          buttonFillDisabled(ShiftColor(background, 12)),
          buttonTextDisabled(ShiftColor(background, 58)) {}
};

void PaintHeader(const HistoryWindowState& s, HDC dc, const RECT& client, const Palette& p) {
    FilledCell(dc, RECT{0, 0, s.labelW, s.headerH}, p.headerFill, p.line);
    RECT label{0, 0, s.labelW, s.headerH};
    DrawTextW(dc, _M("HDR"), -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    for (int c = 0; c < s.maxColumns; ++c) {
        int x = s.labelW + c * s.cellW;
        if (x >= client.right) {
            break;
        }
        RECT cell{x, 0, x + s.cellW, s.headerH};
        FilledCell(dc, cell, p.headerFill, p.line);
        MSTR text = MSTR(_M("Variant ")) + DecimalText(c + 1);
        DrawTextW(dc, text.data(), -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void PaintRow(const HistoryWindowState& s, HDC dc, const RECT& client, const Palette& p, int r) {
    const HistoryRow& row = s.rows[size_t(r)];
    int y = s.headerH + r * s.rowH - s.scrollY;
    bool selected = r == s.selectedRow;
    COLORREF fill = (!s.currentKey.isNull() && s.currentKey == row.pathKey) ? kCurrentLookFill
                    : selected                                              ? p.selectedRowFill
                                                                            : p.rowFill;
    RECT labelCell{0, y, s.labelW, y + s.rowH};
    FilledCell(dc, labelCell, fill, p.line);
    RECT labelText = labelCell;
    InflateRect(&labelText, -7, -7);
    DrawCentredText(dc, FileNameOfPath(row.hdrPath) + _M("\r\n") + row.hdrPath, labelText);
    RECT frame = labelCell;
    InflateRect(&frame, -1, -1);
    if (selected) {
        FrameInside(dc, frame, kSelectionFrameColour, 2);
    }
    for (int c = 0; c < s.maxColumns; ++c) {
        int x = s.labelW + c * s.cellW;
        if (x >= client.right) {
            break;
        }
        RECT cell{x, y, x + s.cellW, y + s.rowH};
        FilledCell(dc, cell, fill, p.line);
        if (selected) {
            frame = cell;
            InflateRect(&frame, -1, -1);
            FrameInside(dc, frame, kSelectionFrameColour, 2);
        }
        if (c >= int(row.columns.size())) {
            continue;
        }
        const VariantColumn& column = row.columns[size_t(c)];
        const HistoryEntry* shown = ShownEntry(column);
        if (!shown) {
            continue;
        }
        RECT thumb{x + 8, y + 8, std::min(x + s.cellW - 8, x + 8 + s.thumbW),
                   std::min(y + s.rowH - 46, y + 8 + s.thumbH)};
        DrawPreviewImage(dc, thumb, shown->previewJpeg);
        DrawCentredText(dc, HistoryCellCaption(column),
                        RECT{x + 4, thumb.bottom + 4, x + s.cellW - 4, y + s.rowH - 4});
    }
}

void PaintButton(HDC dc, const RECT& rect, const wchar_t* label, bool enabled, const Palette& p) {
    FilledCell(dc, rect, enabled ? p.buttonFill : p.buttonFillDisabled, p.line);
    SetTextColor(dc, enabled ? kHistoryTextColour : p.buttonTextDisabled);
    RECT text = rect;
    DrawTextW(dc, label, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintBottomBar(HistoryWindowState& s, HDC dc, const RECT& client, const Palette& p) {
    FilledCell(dc, RECT{0, client.bottom - s.barH, client.right, client.bottom}, s.background,
               p.line);
    LayoutHistoryButtons(s, client);
    bool rowValid = s.selectedRow >= 0 && s.selectedRow < int(s.rows.size());
    bool rowHasColumns = rowValid && !s.rows[size_t(s.selectedRow)].columns.empty();
    PaintButton(dc, s.saveRect, _M("Сохранить"), s.map != nullptr, p);
    PaintButton(dc, s.loadRect, _M("Загрузить"), rowHasColumns, p);
    PaintButton(dc, s.deleteRect, _M("Удалить"), rowValid, p);
    PaintButton(dc, s.cancelRect, _M("Отмена"), true, p);
}

void PaintContent(HistoryWindowState& s, HDC dc, const RECT& client) {
    win32::FillSolid(dc, client, s.background);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kHistoryTextColour);
    s.clientH = client.bottom - client.top;
    if (!s.map || s.rows.empty()) {
        RECT all = client;
        DrawTextW(dc, kEmptyHistoryText, -1, &all, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        return;
    }
    Palette palette(s.background);
    PaintHeader(s, dc, client, palette);
    int visible = std::max(int(client.bottom) - s.barH - s.headerH, 0);
    int first = std::max(s.scrollY / std::max(s.rowH, 1), 0);
    int last = std::min(first + visible / std::max(s.rowH, 1) + 2, int(s.rows.size()));
    SaveDC(dc);
    IntersectClipRect(dc, 0, s.headerH, client.right,
                      std::max(s.headerH, int(client.bottom) - s.barH));
    for (int r = first; r < last; ++r) {
        PaintRow(s, dc, client, palette, r);
    }
    RestoreDC(dc, -1);
    PaintBottomBar(s, dc, client, palette);
}

}  // namespace

COLORREF ShiftColor(COLORREF colour, int amount) {
    auto shift = [&](int channel) { return BYTE(std::clamp(channel + amount, 0, 255)); };
    return RGB(shift(GetRValue(colour)), shift(GetGValue(colour)), shift(GetBValue(colour)));
}

void PaintHistoryWindow(HistoryWindowState& state, HDC target, const RECT& client) {
    int width = std::max(int(client.right - client.left), 1);
    int height = std::max(int(client.bottom - client.top), 1);
    win32::MemoryDc memory(target);
    win32::Bitmap bitmap(CreateCompatibleBitmap(target, width, height));
    win32::Selection selected(memory.Dc(), bitmap.Get());
    PaintContent(state, memory.Dc(), RECT{0, 0, width, height});
    BitBlt(target, 0, 0, width, height, memory.Dc(), 0, 0, SRCCOPY);
}
