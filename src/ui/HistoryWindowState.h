#pragma once
// The History window's model and geometry: one row per HDR file, one column per saved variant,
// sized from the screen and the first stored preview, and the scroll and selection clamps.

#include "history/HistoryStore.h"

#include <WindowsDefines.h>

#include <cstdint>
#include <vector>

class Zenithra;

inline constexpr const MCHAR* kHistoryWindowClass = _M("Zenithra_HistoryWindow");
inline constexpr const MCHAR* kHistoryPopupClass = _M("Zenithra_HistoryPreviewPopup");
/// Private messages: fit the window to its content and repaint; rebuild, fit and repaint.
inline constexpr UINT kFitHistoryWindowMessage = WM_APP + 0x11;
inline constexpr UINT kRebuildHistoryWindowMessage = WM_APP + 0x12;
/// The timer that takes the preview popup down once Alt is released or the cell is left.
inline constexpr UINT_PTR kPopupTimerId = 1;
inline constexpr UINT kPopupTimerPeriodMs = 120;

/// One variant of one HDR file: its entries (store entries, by frame then id).
struct VariantColumn {
    MSTR variantId;
    MSTR cameraName;
    uint32_t cameraHandle = 0;
    std::vector<const HistoryEntry*> entries;
};

struct HistoryRow {
    MSTR hdrPath;  ///< of the row's first entry
    MSTR pathKey;
    std::vector<VariantColumn> columns;
};

/// Everything one History window knows; lives in its user data from WM_CREATE to WM_DESTROY.
struct HistoryWindowState {
    Zenithra* map = nullptr;  ///< null once the map is gone
    std::vector<HistoryRow> rows;
    int32_t maxColumns = 0;
    int32_t thumbW = 240;
    int32_t thumbH = 135;
    int32_t rowH = 196;
    int32_t cellW = 256;
    int32_t labelW = 220;
    int32_t headerH = 36;
    int32_t barH = 58;
    RECT loadRect{};
    RECT cancelRect{};
    RECT deleteRect{};
    RECT saveRect{};
    int32_t clientH = 0;
    int32_t scrollY = 0;  ///< pixels
    int32_t selectedRow = -1;
    int32_t selectedColumn = -1;
    COLORREF background = RGB(46, 46, 46);
    HWND popup = nullptr;
    MSTR popupEntryId;
    MSTR currentKey;  ///< path key of the map's current look
    MSTR currentVariant;
};

/// The state of a History window; null for any other window.
HistoryWindowState* HistoryStateOf(HWND window);

/// Rebuilds rows and columns from the map's store in store order and sizes the thumbnails from
/// the screen width and the first preview that decodes; clamps the selection.
void RebuildHistoryRows(HistoryWindowState& state);

/// The entry a column's cell shows: its first with a preview, else its first.
const HistoryEntry* ShownEntry(const VariantColumn& column);
/// The selected row's selected column (its column 0 when out of range); null without one.
const VariantColumn* SelectedHistoryColumn(const HistoryWindowState& state);
/// The shown entry of the cell under a client point; null outside the cells.
const HistoryEntry* HitTestHistoryCell(const HistoryWindowState& state, int x, int y);
/// The row a client point's height falls on inside the grid; -1 elsewhere.
int HistoryRowAt(const HistoryWindowState& state, HWND window, int y);
/// Selects the row of `path` and, when it has one, the column of `variantId`.
void SelectLookInWindow(HistoryWindowState& state, const MSTR& path, const MSTR& variantId);

// --- Geometry -------------------------------------------------------------------------------

/// Client height minus the header and the bar; 0 when negative.
int VisibleGridHeight(const HistoryWindowState& state, HWND window);
/// Keeps the scroll offset and the selection inside the content.
void ClampHistoryWindow(HistoryWindowState& state, HWND window);
/// Clamps, then sets the vertical scroll bar's range, page and position.
void UpdateHistoryScrollBar(HistoryWindowState& state, HWND window);
/// Scrolls the least that shows all of row `row`, then updates the scroll bar.
void EnsureHistoryRowVisible(HistoryWindowState& state, HWND window, int row);
/// Sizes the window to its content inside the work area, keeping its top left where it fits.
void FitHistoryWindow(HistoryWindowState& state, HWND window);
/// The four bottom-bar buttons, 116 x 32, from the client rectangle.
void LayoutHistoryButtons(HistoryWindowState& state, const RECT& client);

// --- Texts ----------------------------------------------------------------------------------

/// "S1 0.00  S2 0.50 ..." for the first four slot exposures, "  ..." when there are more.
MSTR FormatSlotExposures(const HistoryEntry& entry);
/// The last component of a path; the whole text when it has none.
MSTR FileNameOfPath(const MSTR& path);
/// A cell's caption: variant id tail, frame count, camera and slot exposures.
MSTR HistoryCellCaption(const VariantColumn& column);
