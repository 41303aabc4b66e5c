#include "support/WindowDrive.h"

#if defined(_WIN32)
#include <commdlg.h>

#include <chrono>

namespace uidrive {

void Pump(int ms) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
         std::chrono::steady_clock::now() < end; Sleep(5)) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            DispatchMessageW(&msg);
        }
    }
}

COLORREF Shot::At(int x, int y) const {
    uint32_t p = pixels.at(size_t(y) * size_t(width) + size_t(x));
    return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
}

Shot Paint(int width, int height, const std::function<void(HDC)>& paint) {
    Shot shot{width, height, {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    paint(memory);
    GdiFlush();
    shot.pixels.assign(static_cast<uint32_t*>(bits),
                       static_cast<uint32_t*>(bits) + size_t(width) * size_t(height));
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    return shot;
}

Shot Capture(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(window ? 0 : 200);
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window) {
        GetClientRect(window, &r);
    }
    HDC dc = GetDC(window);
    Shot shot = Paint(r.right, r.bottom, [&](HDC memory) {
        BitBlt(memory, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY | CAPTUREBLT);
    });
    ReleaseDC(window, dc);
    return shot;
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
               std::abs(GetBValue(a) - GetBValue(b)) <=
           24;
}

bool OnReferenceScreen() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area.right - area.left == kReferenceWidth && area.bottom - area.top == kReferenceHeight;
}

std::wstring Text(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

namespace {
// In screen coordinates.
POINT Centre(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
}  // namespace

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void Type(HWND dialog, int editId, const wchar_t* text) {
    SetDlgItemTextW(dialog, editId, text);
    SendMessageW(GetDlgItem(dialog, editId), WM_KEYDOWN, VK_RETURN, 0);
}

void RightClick(HWND control) {
    SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    SendMessageW(control, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
}

void Drag(HWND from, HWND to) {
    POINT start = Centre(from), end = Centre(to);
    ScreenToClient(from, &start);
    ScreenToClient(from, &end);
    SendMessageW(from, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(start.x, start.y));
    SendMessageW(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(start.x + 10, start.y + 10));
    SendMessageW(from, WM_LBUTTONUP, 0, MAKELPARAM(end.x, end.y));
}

void SetAlt(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_MENU] = keys[VK_LMENU] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

namespace {
// The answer of the modal loop that runs now; thread timers carry no context of their own.
const std::function<bool()>* pendingAnswer = nullptr;
bool answered = false;

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (pendingAnswer && !answered) {
        answered = (*pendingAnswer)();
    }
}

// Runs `action` while a thread timer calls `answer` until it returns true.
void Answering(const std::function<void()>& action, const std::function<bool()>& answer) {
    const std::function<bool()>* outer = pendingAnswer;
    pendingAnswer = &answer;
    answered = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 100, AnswerTimer);
    action();
    KillTimer(nullptr, timer);
    pendingAnswer = outer;
}
}  // namespace

MenuSeen AnsweringMenu(const std::function<void()>& action, int choice) {
    MenuSeen seen;
    Answering(action, [&] {
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow)) {
            return false;
        }
        auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, 0x01E1, 0, 0));  // MN_GETHMENU
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
            seen.items.push_back(text);
        }
        for (int i = 0; i < choice; ++i) {
            PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        }
        PostMessageW(menuWindow, WM_KEYDOWN, choice ? VK_RETURN : VK_ESCAPE, 0);
        return true;
    });
    return seen;
}

bool AnsweringOpenFile(const std::function<void()>& action, const wchar_t* title,
                       const std::wstring& path) {
    wchar_t startFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, startFolder);
    bool seen = false;
    Answering(action, [&] {
        HWND dialog = FindWindowW(L"#32770", title);
        if (!dialog || !IsWindowVisible(dialog)) {
            return false;
        }
        SendMessageW(dialog, CDM_SETCONTROLTEXT, 0x47C /* file name */,
                     reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return seen = true;
    });
    SetCurrentDirectoryW(startFolder);  // else the scratch folder could not be removed
    return seen;
}

}  // namespace uidrive
#endif
