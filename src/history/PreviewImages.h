#pragma once
// The frame-buffer preview a saved look carries: grabbed from the renderer's frame buffer (or
// the host's main window), scaled to the configured size and kept as JPEG bytes; drawn again
// from those bytes. Every operation starts GDI+ for itself and shuts it down before returning.
// The native build has no GDI+: there a capture yields no preview and nothing decodes.

#include <cstdint>
#include <vector>

#if defined(_WIN32)
#include <WindowsDefines.h>
#endif

/// Grabs the frame-buffer window (else the host's main window, else the foreground window),
/// scales it to exactly the configured preview size with bicubic filtering and encodes it as a
/// JPEG of quality 88. Empties `jpeg` first; true when it holds the encoded bytes.
bool CaptureFrameBufferPreview(std::vector<uint8_t>& jpeg);

struct PreviewImageSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

/// The decoded picture's size; (0, 0) for empty bytes or bytes that do not decode.
PreviewImageSize GetPreviewImageSize(const std::vector<uint8_t>& jpeg);

#if defined(_WIN32)
/// The client area of a window as a bitmap the caller deletes; null for a null or dead window
/// or a client area narrower or lower than 9 pixels.
HBITMAP CaptureWindowBitmap(HWND window);

/// Draws the picture stretched into `rect` (aspect ratio not kept); "no preview" centred for
/// empty bytes; nothing for bytes that do not decode.
void DrawPreviewImage(HDC dc, const RECT& rect, const std::vector<uint8_t>& jpeg);

/// The enlarged-preview popup's creation parameter; the popup owns it and deletes it as the
/// window goes.
struct PreviewPopupData {
    std::vector<uint8_t> jpeg;
    COLORREF background = 0;
};

/// Window procedure of the preview popup: its background, then the picture over the client area;
/// dark grey without data.
LRESULT CALLBACK PreviewPopupWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
#endif
