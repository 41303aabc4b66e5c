#pragma once
// Painting the History window: header, rows of thumbnails, selection and the bottom bar.

#include "ui/HistoryWindowState.h"

/// Shifts each of R, G, B by `amount`, clamped to 0..255.
COLORREF ShiftColor(COLORREF colour, int amount);

/// The window's colours, all but two derived from its background.
inline constexpr COLORREF kHistoryTextColour = RGB(235, 235, 235);
inline constexpr COLORREF kCurrentLookFill = RGB(24, 78, 118);
inline constexpr COLORREF kSelectionFrameColour = RGB(90, 170, 255);

/// Paints the whole client area off-screen, then copies it onto `target` in one piece.
void PaintHistoryWindow(HistoryWindowState& state, HDC target, const RECT& client);
