// Pictures of windows as PNG files, for the documentation and the user-interface tests.

#include "HostWindows.h"

#include "platform/Win32Owned.h"

#include <string>

namespace standalone::win {

bool SaveWindowPng(HWND window, const std::wstring& path) {
    // Pending paints first, so that the picture shows what the windows are about to show.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        DispatchMessageW(&msg);
    }
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window) {
        GetClientRect(window, &r);
    }
    win32::GdiplusSession session;
    if (!session) {
        return false;
    }
    win32::WindowDc source(window);
    win32::MemoryDc memory(source.Dc());
    win32::Bitmap bitmap(CreateCompatibleBitmap(source.Dc(), r.right, r.bottom));
    {
        win32::Selection selected(memory.Dc(), bitmap.Get());
        BitBlt(memory.Dc(), 0, 0, r.right, r.bottom, source.Dc(), 0, 0, SRCCOPY | CAPTUREBLT);
    }
    std::optional<CLSID> png = win32::FindImageEncoder(L"image/png");
    Gdiplus::Bitmap image(bitmap.Get(), nullptr);
    return png && image.Save(path.c_str(), &*png, nullptr) == Gdiplus::Ok;
}

}  // namespace standalone::win
