// The frame buffer: renders the environment map, in latitude-longitude, through the active
// viewport's camera or as lit spheres over the latitude-longitude picture, on threads of its own,
// and again whenever the map tells its dependents of a change, so that a value moved in a
// rollup shows in the picture. The user-interface thread never waits for a render, except to
// stop one before the map it reads is let go.

#include "FrameBufferWin32.h"

#include "HostWindows.h"
#include "scene/HostWindowsLink.h"
#include "WindowClass.h"
#include "maps/HdrSourceMap.h"
#include "platform/Platform.h"
#include "render/LatLongRender.h"
#include "render/LitSpheres.h"
#include "scene/StandaloneHost.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

namespace standalone::win {

namespace {

const wchar_t* const kFrameBufferClass = L"HostFrameBuffer";
// The title names the window the way the renderer's frame buffer is recognised.
const wchar_t* const kFrameBufferTitle = L"Frame Buffer (VFB)";
constexpr UINT WM_RENDER_DONE = WM_APP + 1;
constexpr int kRenderThreads = 2;

// The field of view of camera renders, across the image's width.
constexpr float kCameraFovDegrees = 60.0f;

class FrameBuffer : public ReferenceMaker, public TimeChangeCallback {
public:
    // A change of scene time changes what an animated map or camera shows.
    void TimeChanged(TimeValue) override { RequestRender(); }
    void ViewChanged() {
        if (window) {
            RequestRender();
        }
    }

    // --- ReferenceMaker: the frame buffer holds the map it renders --------------------------
    SClass_ID SuperClassID() override { return 0; }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? map : nullptr; }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage message,
                               BOOL) override {
        if (message == REFMSG_TARGET_DELETED) {
            StopRender();
        } else {
            RequestRender();
        }
        return REF_SUCCEED;
    }

    void SetMap(Texmap* newMap) {
        if (newMap == map) {
            return;
        }
        StopRender();  // no render thread may still read the map that is let go
        ReplaceReference(0, newMap);
        RequestRender();
    }

    HWND Open(int w, int h) {
        if (window) {
            return window;
        }
        RegisterWindowClass(kFrameBufferClass, WindowProc,
                            static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        width = std::max(8, w);
        height = std::max(4, h);
        RECT r{0, 0, width, height};
        DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        AdjustWindowRectEx(&r, style, FALSE, WS_EX_TOOLWINDOW);
        window = CreateWindowExW(WS_EX_TOOLWINDOW, kFrameBufferClass, kFrameBufferTitle, style, 520,
                                 40, r.right - r.left, r.bottom - r.top, HostMainWindow(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        if (window) {
            if (Interface* core = GetCOREInterface()) {
                core->RegisterTimeChangeCallback(this);
            }
            ShowWindow(window, SW_SHOWNOACTIVATE);
            RequestRender();
        }
        return window;
    }

    void Close() {
        StopRender();
        if (window) {
            DestroyWindow(window);
        }
    }

    bool Idle() const { return !worker.joinable() && !dirty; }

    void SetSpheres(bool on) {
        if (on != spheres) {
            spheres = on;
            RequestRender();
        }
    }
    bool Spheres() const { return spheres; }
    const std::wstring& Message() const { return message; }

    bool Pixel(int x, int y, AColor& colour) {
        if (x < 0 || y < 0 || x >= shown.width || y >= shown.height) {
            return false;
        }
        const float* p = &shown.rgb[(size_t(y) * size_t(shown.width) + size_t(x)) * 3];
        colour = AColor(p[0], p[1], p[2], 1.0f);
        return true;
    }

protected:
    void SetReference(int i, RefTargetHandle target) override {
        if (i == 0) {
            map = static_cast<Texmap*>(target);
        }
    }

private:
    void RequestRender() {
        dirty = true;
        if (!worker.joinable()) {
            StartRender();
        } else {
            cancel = true;  // the running render is out of date; the next starts when it ends
        }
    }

    void StartRender() {
        dirty = false;
        if (!window || !map) {
            return;
        }
        // An image that cannot be read would render black as if it were the picture: the
        // window says why instead, until the map shows an image again.
        std::wstring file;
        std::string reason;
        std::wstring problem = FindUnreadImage(map, file, reason)
                                   ? L"Cannot show " + file + L": " + platform::Utf8ToWide(reason)
                                   : std::wstring();
        if (!problem.empty() || !message.empty()) {
            message = problem;
            shown = LatLongImage();
            pixels.clear();
            InvalidateRect(window, nullptr, FALSE);
        }
        if (!message.empty()) {
            return;
        }
        cancel = false;
        Interface* core = GetCOREInterface();
        TimeValue t = CoreTime();
        // The active viewport's camera, read here on the user-interface thread: the render
        // threads see only its transform at t.
        INode* camera = core ? core->GetActiveViewExp().GetViewCamera() : nullptr;
        bool throughCamera = camera != nullptr && !spheres;
        bool drawSpheres = spheres;
        Matrix3 cameraTM = camera ? camera->GetNodeTM(t) : Matrix3();
        Texmap* target = map;
        HWND notify = window;
        int w = width, h = height;
        worker = std::thread([this, target, notify, w, h, t, throughCamera, cameraTM, drawSpheres] {
            auto keepGoing = [this](const LatLongImage&, int) { return !cancel; };
            LatLongImage image =
                throughCamera ? RenderCameraView(*target, w, h, t, cameraTM, kCameraFovDegrees,
                                                 kRenderThreads, keepGoing)
                              : RenderLatLong(*target, w, h, t, kRenderThreads, keepGoing);
            if (drawSpheres && !cancel) {
                // The balls are lit by the whole panorama, so they are drawn onto a copy of it.
                LatLongImage background{image.width, image.height, image.rgb};
                DrawLitSpheresCentred(image, background);
                image = std::move(background);
            }
            {
                std::lock_guard<std::mutex> lock(resultMutex);
                result = std::move(image);
                resultComplete = !cancel;
            }
            PostMessageW(notify, WM_RENDER_DONE, 0, 0);
        });
    }

    void StopRender() {
        cancel = true;
        if (worker.joinable()) {
            worker.join();
        }
        dirty = false;
    }

    void TakeResult() {
        if (worker.joinable()) {
            worker.join();
        }
        {
            std::lock_guard<std::mutex> lock(resultMutex);
            if (resultComplete && message.empty()) {
                shown = std::move(result);
                ToPixels();
            }
            resultComplete = false;
        }
        if (window) {
            InvalidateRect(window, nullptr, FALSE);
        }
        if (dirty) {
            StartRender();
        }
    }

    // Linear colour to the screen: clipped and with a display gamma of 2.2.
    void ToPixels() {
        pixels.assign(size_t(shown.width) * size_t(shown.height), 0);
        for (size_t i = 0; i < pixels.size(); ++i) {
            uint32_t channels[3];
            for (int c = 0; c < 3; ++c) {
                float v = std::clamp(shown.rgb[i * 3 + size_t(c)], 0.0f, 1.0f);
                channels[c] = uint32_t(std::pow(v, 1.0f / 2.2f) * 255.0f + 0.5f);
            }
            pixels[i] = (channels[0] << 16) | (channels[1] << 8) | channels[2];
        }
    }

    void Paint(HWND hwnd) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (!pixels.empty()) {
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
            bi.bmiHeader.biWidth = shown.width;
            bi.bmiHeader.biHeight = -shown.height;  // top row first
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            bi.bmiHeader.biCompression = BI_RGB;
            RECT client;
            GetClientRect(hwnd, &client);
            StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, shown.width, shown.height,
                          pixels.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
        } else {
            PaintMessage(dc, hwnd);
        }
        EndPaint(hwnd, &ps);
    }

    // The message, centred and wrapped, over a neutral grey (black while nothing is shown).
    void PaintMessage(HDC dc, HWND hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        SetBkColor(dc, message.empty() ? RGB(0, 0, 0) : RGB(80, 80, 80));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
        if (message.empty()) {
            return;
        }
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(dc, RGB(240, 240, 240));
        SetBkMode(dc, TRANSPARENT);
        const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
        RECT text = client;
        InflateRect(&text, -16, 0);
        RECT measured = text;
        DrawTextW(dc, message.c_str(), -1, &measured, format | DT_CALCRECT);
        OffsetRect(&text, 0, std::max(0L, (client.bottom - measured.bottom) / 2));
        DrawTextW(dc, message.c_str(), -1, &text, format);
        SelectObject(dc, oldFont);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    Texmap* map = nullptr;
    bool spheres = false;  // the "Spheres" view
    HWND window = nullptr;
    int width = 512;
    int height = 256;
    std::thread worker;
    std::atomic<bool> cancel{false};
    bool dirty = false;
    std::mutex resultMutex;
    LatLongImage result;
    bool resultComplete = false;
    LatLongImage shown;
    std::vector<uint32_t> pixels;
    std::wstring message;  // why no picture is shown; empty while one is
};

FrameBuffer& TheFrameBuffer() {
    // Never destroyed: it may hold a map until the process ends.
    static FrameBuffer* frameBuffer = new FrameBuffer();
    return *frameBuffer;
}

LRESULT CALLBACK FrameBuffer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    FrameBuffer& self = TheFrameBuffer();
    switch (msg) {
        case WM_PAINT:
            self.Paint(hwnd);
            return 0;
        case WM_RENDER_DONE:
            self.TakeResult();
            return 0;
        case WM_DESTROY:
            if (self.window == hwnd) {
                self.StopRender();
                self.window = nullptr;
                if (Interface* core = GetCOREInterface()) {
                    core->UnRegisterTimeChangeCallback(&self);
                }
            }
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void SetFrameBufferMap(Texmap* map) {
    TheFrameBuffer().SetMap(map);
}

HWND OpenFrameBuffer(int width, int height) {
    HWND window = TheFrameBuffer().Open(width, height);
    TheFrameBuffer().SetMap(GetEnvironmentMap());
    return window;
}

void CloseFrameBuffer() {
    TheFrameBuffer().Close();
}

bool WaitForFrameBuffer(int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (TheFrameBuffer().Idle()) {
            return true;
        }
        if (GetTickCount() - start > DWORD(timeoutMs)) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

std::wstring FrameBufferMessage() {
    return TheFrameBuffer().Message();
}

bool FrameBufferPixel(int x, int y, AColor& colour) {
    return TheFrameBuffer().Pixel(x, y, colour);
}

void SetFrameBufferSpheres(bool on) {
    TheFrameBuffer().SetSpheres(on);
}

bool FrameBufferSpheres() {
    return TheFrameBuffer().Spheres();
}

}  // namespace standalone::win

namespace standalone {

void HostViewChanged() {
    win::TheFrameBuffer().ViewChanged();
}

}  // namespace standalone
