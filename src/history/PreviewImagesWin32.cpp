// Previews through GDI and the flat GDI+ interface: the window grab, the bicubic scaling, the
// JPEG encoding and decoding through memory streams, and the popup that shows one enlarged.

#include "history/PreviewImages.h"

#include "core/HostEdge.h"
#include "history/Settings.h"
#include "source/RenderRefresh.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include "platform/Win32Owned.h"

#include <cstring>
#include <cwchar>
#include <memory>

namespace gdip = Gdiplus::DllExports;

namespace {

constexpr int kMinimumGrabPixels = 9;
constexpr LONG kJpegQuality = 88;
// EncoderQuality, spelled out so that no GUID library has to provide it.
constexpr GUID kEncoderQuality = {
    0x1D5BE4B5, 0xFA4A, 0x452D, {0x9C, 0xDD, 0x5D, 0xB3, 0x51, 0x05, 0xE7, 0xEB}};
constexpr COLORREF kEmptyPopupColour = RGB(46, 46, 46);

struct ImageDisposer {
    void operator()(Gdiplus::GpImage* image) const { gdip::GdipDisposeImage(image); }
};
struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const { gdip::GdipDeleteGraphics(graphics); }
};
struct StreamReleaser {
    void operator()(IStream* stream) const { stream->Release(); }
};
using Image = std::unique_ptr<Gdiplus::GpImage, ImageDisposer>;
using Graphics = std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter>;
using Stream = std::unique_ptr<IStream, StreamReleaser>;
using win32::Bitmap;
using win32::GdiplusSession;

// The frame buffer's client area; else the host's main window (the foreground window without
// a host).
Bitmap GrabPreviewSource() {
    HWND frameBuffer = nullptr;
    EnumWindows(FindFrameBufferWindowProc, reinterpret_cast<LPARAM>(&frameBuffer));
    if (HBITMAP grab = CaptureWindowBitmap(frameBuffer)) {
        return Bitmap(grab);
    }
    Interface* core = GetCOREInterface();
    return Bitmap(CaptureWindowBitmap(core ? core->GetMAXHWnd() : GetForegroundWindow()));
}

// The grab scaled to exactly the preview size: the aspect ratio is not kept.
Image ScaleToPreviewSize(Gdiplus::GpImage* grab) {
    const PreviewSize size = ReadPreviewSize();
    Gdiplus::GpBitmap* scaled = nullptr;
    if (gdip::GdipCreateBitmapFromScan0(size.width, size.height, 0, PixelFormat24bppRGB, nullptr,
                                        &scaled) != Gdiplus::Ok) {
        return nullptr;
    }
    Image result(scaled);
    Gdiplus::GpGraphics* surface = nullptr;
    if (gdip::GdipGetImageGraphicsContext(scaled, &surface) != Gdiplus::Ok) {
        return nullptr;
    }
    Graphics graphics(surface);
    gdip::GdipSetInterpolationMode(surface, Gdiplus::InterpolationModeHighQualityBicubic);
    if (gdip::GdipDrawImageRectI(surface, grab, 0, 0, size.width, size.height) != Gdiplus::Ok) {
        return nullptr;
    }
    return result;
}

// Reads the whole encoded stream into `out`; false (and `out` empty) when nothing was read.
bool ReadStream(IStream* stream, std::vector<uint8_t>& out) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0 ||
        stat.cbSize.QuadPart > 0xFFFFFFFFull) {
        return false;
    }
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        return false;
    }
    out.resize(size_t(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (FAILED(stream->Read(out.data(), ULONG(out.size()), &read))) {
        out.clear();
        return false;
    }
    out.resize(read);
    return !out.empty();
}

bool EncodeJpeg(Gdiplus::GpImage* picture, std::vector<uint8_t>& jpeg) {
    std::optional<CLSID> encoder = win32::FindImageEncoder(_M("image/jpeg"));
    if (!encoder) {
        return false;
    }
    LONG quality = kJpegQuality;
    Gdiplus::EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0].Guid = kEncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &quality;
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &raw)) || !raw) {
        return false;
    }
    Stream stream(raw);
    if (gdip::GdipSaveImageToStream(picture, raw, &*encoder, &parameters) != Gdiplus::Ok) {
        return false;
    }
    return ReadStream(raw, jpeg);
}

// A stream over a movable copy of the bytes, which frees the copy when released.
Stream StreamOverCopy(const std::vector<uint8_t>& bytes) {
    win32::GlobalMemory memory(bytes.size());
    IStream* stream = nullptr;
    if (!memory.Fill(bytes.data(), bytes.size()) ||
        FAILED(CreateStreamOnHGlobal(memory.Get(), TRUE, &stream)) || !stream) {
        return nullptr;
    }
    memory.Release();  // the stream frees it
    return Stream(stream);
}

Image Decode(IStream* stream) {
    Gdiplus::GpImage* image = nullptr;
    if (gdip::GdipLoadImageFromStream(stream, &image) != Gdiplus::Ok) {
        return nullptr;
    }
    return Image(image);
}

}  // namespace

HBITMAP CaptureWindowBitmap(HWND window) {
    if (!window || !IsWindow(window)) {
        return nullptr;
    }
    RECT client{};
    if (!GetClientRect(window, &client)) {
        return nullptr;
    }
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width < kMinimumGrabPixels || height < kMinimumGrabPixels) {
        return nullptr;
    }
    win32::WindowDc windowDc(window);
    if (!windowDc.Dc()) {
        return nullptr;
    }
    win32::MemoryDc memory(windowDc.Dc());
    Bitmap bitmap(memory.Dc() ? CreateCompatibleBitmap(windowDc.Dc(), width, height) : nullptr);
    if (bitmap) {
        win32::Selection selected(memory.Dc(), bitmap.Get());
        // CAPTUREBLT takes layered windows on top along, as the user sees them.
        BitBlt(memory.Dc(), 0, 0, width, height, windowDc.Dc(), 0, 0, SRCCOPY | CAPTUREBLT);
    }
    return bitmap.Release();
}

bool CaptureFrameBufferPreview(std::vector<uint8_t>& jpeg) {
    jpeg.clear();
    bool made = GuardEntry(false, [&] {
        GdiplusSession session;
        if (!session) {
            return false;
        }
        Bitmap grab = GrabPreviewSource();
        if (!grab) {
            return false;
        }
        Gdiplus::GpBitmap* wrapped = nullptr;
        if (gdip::GdipCreateBitmapFromHBITMAP(grab.Get(), nullptr, &wrapped) != Gdiplus::Ok) {
            return false;
        }
        Image grabImage(wrapped);
        Image scaled = ScaleToPreviewSize(wrapped);
        return scaled && EncodeJpeg(scaled.get(), jpeg);
    });
    if (!made) {
        jpeg.clear();  // a look is saved without a preview rather than not at all
    }
    return made;
}

void DrawPreviewImage(HDC dc, const RECT& rect, const std::vector<uint8_t>& jpeg) {
    if (jpeg.empty()) {
        RECT box = rect;
        DrawTextW(dc, _M("no preview"), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    GdiplusSession session;
    if (!session) {
        return;
    }
    Stream stream = StreamOverCopy(jpeg);
    if (!stream) {
        return;
    }
    Image image = Decode(stream.get());
    Gdiplus::GpGraphics* surface = nullptr;
    if (!image || gdip::GdipCreateFromHDC(dc, &surface) != Gdiplus::Ok) {
        return;
    }
    Graphics graphics(surface);
    gdip::GdipDrawImageRectI(surface, image.get(), rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top);
}

PreviewImageSize GetPreviewImageSize(const std::vector<uint8_t>& jpeg) {
    if (jpeg.empty()) {
        return {};
    }
    GdiplusSession session;
    if (!session) {
        return {};
    }
    Stream stream = StreamOverCopy(jpeg);
    Image image = stream ? Decode(stream.get()) : nullptr;
    PreviewImageSize size;
    if (!image || gdip::GdipGetImageWidth(image.get(), &size.width) != Gdiplus::Ok ||
        gdip::GdipGetImageHeight(image.get(), &size.height) != Gdiplus::Ok) {
        return {};
    }
    return size;
}

namespace {

LRESULT PreviewPopupMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<PreviewPopupData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (msg) {
        case WM_CREATE:
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers the whole client area
        case WM_PAINT: {
            win32::PaintScope paint(window);
            RECT client{};
            GetClientRect(window, &client);
            win32::FillSolid(paint.Dc(), client, data ? data->background : kEmptyPopupColour);
            if (data) {
                DrawPreviewImage(paint.Dc(), client, data->jpeg);
            }
            return 0;
        }
        case WM_NCDESTROY:
            delete data;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return 0;
        default:
            return DefWindowProcW(window, msg, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK PreviewPopupWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return GuardEntry<LRESULT>(0, [&] { return PreviewPopupMessage(window, msg, wParam, lParam); });
}
