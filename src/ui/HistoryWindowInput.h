#pragma once
// The History window's answers to the user: clicks, keys, scrolling and the Alt-hover popup.

#include "ui/HistoryWindowState.h"

/// Handles an input message of the window; false for messages it leaves to the default
/// procedure. The window may be destroyed when it returns (Cancel, Escape).
bool HandleHistoryInput(HistoryWindowState& state, HWND window, UINT msg, WPARAM wParam,
                        LPARAM lParam);
