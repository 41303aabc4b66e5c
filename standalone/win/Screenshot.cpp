// Pictures of windows as PNG files, for the documentation and the user-interface tests.

#include "HostWindows.h"

#include <windows.h>
// after windows.h: GDI+ needs objidl.h, which a lean windows.h leaves out
#include <objidl.h>
#include <gdiplus.h>

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
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return false;
    }
    bool saved = false;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, source, 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        UINT count = 0, bytes = 0;
        Gdiplus::GetImageEncodersSize(&count, &bytes);
        std::string buffer(bytes, '\0');
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, bytes, encoders);
        std::wstring file(path.begin(), path.end());
        for (UINT i = 0; i < count; ++i) {
            if (std::wstring(encoders[i].MimeType) == L"image/png") {
                saved = image.Save(file.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
            }
        }
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

}  // namespace standalone::win
