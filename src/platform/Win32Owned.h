#pragma once
// Owners of the Win32 and GDI+ objects that painting, grabbing and the clipboard use for the
// length of one operation. Each gives its object back when it goes out of scope, also when an
// exception passes, so that no device context, GDI object or selection outlives a paint and
// EndPaint is never skipped. Win64 build only.

#include <windows.h>
// after windows.h: GDI+ needs objidl.h, which a lean windows.h leaves out
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

namespace win32 {

/// BeginPaint until EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window(window), dc(BeginPaint(window, &paint)) {}
    ~PaintScope() { EndPaint(window, &paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc; }

private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc;
};

/// A window's device context (GetDC) until ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window(window), dc(GetDC(window)) {}
    ~WindowDc() {
        if (dc) {
            ReleaseDC(window, dc);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Dc() const { return dc; }

private:
    HWND window;
    HDC dc;
};

/// A memory device context compatible with `target` until DeleteDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC target) : dc(CreateCompatibleDC(target)) {}
    ~MemoryDc() {
        if (dc) {
            DeleteDC(dc);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Dc() const { return dc; }

private:
    HDC dc;
};

/// A GDI object (brush, pen, bitmap) until DeleteObject; Release hands it on instead.
template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle(handle) {}
    ~GdiObject() {
        if (handle) {
            DeleteObject(handle);
        }
    }
    GdiObject(GdiObject&& other) noexcept : handle(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            GdiObject(other.Release()).Swap(*this);
        }
        return *this;
    }
    Handle Get() const { return handle; }
    Handle Release() {
        Handle h = handle;
        handle = nullptr;
        return h;
    }
    explicit operator bool() const { return handle != nullptr; }

private:
    void Swap(GdiObject& other) { std::swap(handle, other.handle); }
    Handle handle;
};
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

/// Fills `rect` with one colour.
inline void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    Brush brush(CreateSolidBrush(colour));
    FillRect(dc, &rect, brush.Get());
}

/// An object selected into a device context until the previous one is selected back, which
/// must happen before the object is deleted: declare the selection after the object.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : dc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous) {
            SelectObject(dc, previous);
        }
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc;
    HGDIOBJ previous;
};

/// GDI+ for the length of one operation (version 1, nothing suppressed).
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started) {
            Gdiplus::GdiplusShutdown(token);
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    explicit operator bool() const { return started; }

private:
    bool started = false;
    ULONG_PTR token = 0;
};

/// The class id of the first installed GDI+ encoder whose MIME type is exactly `mimeType`
/// ("image/jpeg", "image/png"); none when the list is empty or has none. Needs a session.
inline std::optional<CLSID> FindImageEncoder(const wchar_t* mimeType) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok ||
        count == 0 || bytes == 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
        return std::nullopt;
    }
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, mimeType) == 0) {
            return codecs[i].Clsid;
        }
    }
    return std::nullopt;
}

/// The clipboard, opened for `owner`, until CloseClipboard; false when it could not be opened.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) : open(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (open) {
            CloseClipboard();
        }
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    explicit operator bool() const { return open; }

private:
    bool open;
};

/// Movable global memory until GlobalFree, unless Release handed it on (to the clipboard, a
/// stream).
class GlobalMemory {
public:
    explicit GlobalMemory(size_t bytes) : memory(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalMemory() {
        if (memory) {
            GlobalFree(memory);
        }
    }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL Get() const { return memory; }
    HGLOBAL Release() {
        HGLOBAL m = memory;
        memory = nullptr;
        return m;
    }
    /// Copies `bytes` bytes from `source` in; false when the memory cannot be locked.
    bool Fill(const void* source, size_t bytes) {
        void* target = memory ? GlobalLock(memory) : nullptr;
        if (!target) {
            return false;
        }
        std::memcpy(target, source, bytes);
        GlobalUnlock(memory);
        return true;
    }

private:
    HGLOBAL memory;
};

}  // namespace win32
