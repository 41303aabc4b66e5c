// Previews through GDI and the flat GDI+ interface: the window grab, the bicubic scaling, the
// JPEG encoding and decoding through memory streams, and the popup that shows one enlarged.

#include "history/PreviewImages.h"

#include "history/Settings.h"
#include "source/RenderRefresh.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <objidl.h>  // GDI+ needs what WIN32_LEAN_AND_MEAN leaves out
#include <gdiplus.h>

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

// GDI+ for the length of one operation, so that nothing of it outlives the call.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, nothing suppressed
        started = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started) {
            Gdiplus::GdiplusShutdown(token);
        }
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool started = false;

private:
    ULONG_PTR token = 0;
};

struct ImageDisposer {
    void operator()(Gdiplus::GpImage* image) const { gdip::GdipDisposeImage(image); }
};
struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const { gdip::GdipDeleteGraphics(graphics); }
};
struct StreamReleaser {
    void operator()(IStream* stream) const { stream->Release(); }
};
struct BitmapDeleter {
    void operator()(HBITMAP__* bitmap) const { DeleteObject(bitmap); }
};
using Image = std::unique_ptr<Gdiplus::GpImage, ImageDisposer>;
using Graphics = std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter>;
using Stream = std::unique_ptr<IStream, StreamReleaser>;
using Bitmap = std::unique_ptr<HBITMAP__, BitmapDeleter>;

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

bool FindJpegEncoder(CLSID& encoder) {
    UINT count = 0, bytes = 0;
    if (gdip::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0 || bytes == 0) {
        return false;
    }
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (gdip::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, _M("image/jpeg")) == 0) {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
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
    CLSID encoder{};
    if (!FindJpegEncoder(encoder)) {
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
    if (gdip::GdipSaveImageToStream(picture, raw, &encoder, &parameters) != Gdiplus::Ok) {
        return false;
    }
    return ReadStream(raw, jpeg);
}

// A stream over a movable copy of the bytes, which frees the copy when released.
Stream StreamOverCopy(const std::vector<uint8_t>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) {
        return nullptr;
    }
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)) || !stream) {
        GlobalFree(memory);
        return nullptr;
    }
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
    HDC windowDc = GetDC(window);
    if (!windowDc) {
        return nullptr;
    }
    HDC memory = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(windowDc, width, height) : nullptr;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        // CAPTUREBLT takes layered windows on top along, as the user sees them.
        BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY | CAPTUREBLT);
        SelectObject(memory, previous);
    }
    if (memory) {
        DeleteDC(memory);
    }
    ReleaseDC(window, windowDc);
    return bitmap;
}

bool CaptureFrameBufferPreview(std::vector<uint8_t>& jpeg) {
    jpeg.clear();
    try {
        GdiplusSession session;
        if (!session.started) {
            return false;
        }
        Bitmap grab = GrabPreviewSource();
        if (!grab) {
            return false;
        }
        Gdiplus::GpBitmap* wrapped = nullptr;
        if (gdip::GdipCreateBitmapFromHBITMAP(grab.get(), nullptr, &wrapped) != Gdiplus::Ok) {
            return false;
        }
        Image grabImage(wrapped);
        Image scaled = ScaleToPreviewSize(wrapped);
        return scaled && EncodeJpeg(scaled.get(), jpeg);
    } catch (...) {
        jpeg.clear();  // a look is saved without a preview rather than not at all
        return false;
    }
}

void DrawPreviewImage(HDC dc, const RECT& rect, const std::vector<uint8_t>& jpeg) {
    if (jpeg.empty()) {
        RECT box = rect;
        DrawTextW(dc, _M("no preview"), -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    GdiplusSession session;
    if (!session.started) {
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
    if (!session.started) {
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

LRESULT CALLBACK PreviewPopupWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<PreviewPopupData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (msg) {
        case WM_CREATE:
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers the whole client area
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window, &paint);
            RECT client{};
            GetClientRect(window, &client);
            HBRUSH brush = CreateSolidBrush(data ? data->background : kEmptyPopupColour);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            if (data) {
                DrawPreviewImage(dc, client, data->jpeg);
            }
            EndPaint(window, &paint);
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
