#pragma once
// Driving real windows as a user does: messages, drags, pixels read back from the screen, and
// the modal menus and dialogs a click opens answered from a thread timer inside their loop.

#if defined(_WIN32)
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace uidrive {

/// The work area that the tests whose figures depend on the screen are worked out for, and the
/// line they stop with on any other.
constexpr int kReferenceWidth = 1920, kReferenceHeight = 1040;
constexpr const char* kNeedsReferenceScreen =
    "needs a 1920 x 1040 work area (xvfb-run -s '-screen 0 1920x1040x24')";
bool OnReferenceScreen();

/// Dispatches this thread's messages for `ms` milliseconds.
void Pump(int ms = 30);

/// 32-bit pixels, top row first.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    COLORREF At(int x, int y) const;
};

/// What `paint` draws into a width x height bitmap.
Shot Paint(int width, int height, const std::function<void(HDC)>& paint);
/// What a window's client area shows after it repainted (the whole screen for null).
Shot Capture(HWND window);
/// Within a JPEG's error of each other.
bool Near(COLORREF a, COLORREF b);

std::wstring Text(HWND window);
void Click(HWND dialog, int id);
/// Types `text` into an edit field and presses Enter.
void Type(HWND dialog, int editId, const wchar_t* text);
void RightClick(HWND control);
/// Presses on `from`, moves, and releases over `to`.
void Drag(HWND from, HWND to);
/// The Alt key as GetKeyState and GetAsyncKeyState report it.
void SetAlt(bool down);

/// What a popup menu showed: its entries (separators empty).
struct MenuSeen {
    std::vector<std::wstring> items;
};
/// Runs `action`, choosing entry `choice` (1-based, separators not counted; 0 dismisses) of the
/// popup menu it opens.
MenuSeen AnsweringMenu(const std::function<void()>& action, int choice);
/// Runs `action`, typing `path` into the open-file dialog titled `title` that it opens and
/// pressing Open. The dialog's change of the current folder is undone. False when no such dialog
/// came.
bool AnsweringOpenFile(const std::function<void()>& action, const wchar_t* title,
                       const std::wstring& path);

}  // namespace uidrive
#endif
