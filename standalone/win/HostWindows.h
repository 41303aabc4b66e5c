#pragma once
// The standalone host's windows, as programs and tests open them: the main window with its
// environment and dome-light map buttons, the material editor with its 24 sample slots and its
// rollup panel, and the frame buffer that renders the environment through its map.
// User-interface thread only.

#include <imtl.h>

#include "scene/ZenhostApi.h"

#include <string>
#include <vector>

namespace standalone::win {

/// Registers the custom control classes ("CustButton", "CustEdit", "SpinnerControl",
/// "ColorSwatch") for every module of the process. Safe to call more than once.
ZENHOST_API void RegisterCustomControls();

// --- The main window ------------------------------------------------------------------------
/// Control ids of the main window's map buttons (custom buttons that take dropped maps).
constexpr int kEnvironmentButtonId = 2001;
constexpr int kDomeLightButtonId = 2002;
/// The view switch: the viewport looks through each camera of the scene in turn, then the frame
/// buffer shows "Spheres", then the viewport looks through no camera again.
constexpr int kViewButtonId = 2008;

/// Creates the host's main window (what GetMAXHWnd answers) or returns the open one.
ZENHOST_API HWND OpenMainWindow();
/// Destroys the main window and everything it owns (editor, frame buffer).
ZENHOST_API void CloseMainWindow();
/// The map assigned to the environment (shown by the frame buffer) and to the dome light.
/// Setting one references it, releases the previous one and updates the button.
ZENHOST_API Texmap* GetEnvironmentMap();
ZENHOST_API void SetEnvironmentMap(Texmap* map);
ZENHOST_API Texmap* GetDomeLightMap();
ZENHOST_API void SetDomeLightMap(Texmap* map);

// --- The material editor --------------------------------------------------------------------
/// The editor's sample slots (numbered from 0).
constexpr int kMtlEditorSlots = 24;

/// Creates the material editor window or returns the open one. While it is open, the host's
/// material-editor interface (MTLEDIT_INTERFACE) answers and PutMtlToMtlEditor shows maps in it.
ZENHOST_API HWND OpenMaterialEditor();
/// Closes the editor: the shown map's dialog is deleted and every rollup page destroyed.
ZENHOST_API void CloseMaterialEditor();
/// The editor's rollup pages (their dialog windows) from top to bottom.
ZENHOST_API std::vector<HWND> RollupPages();
/// The title bar text of a page; empty for a window that is no page.
ZENHOST_API std::wstring RollupPageTitle(HWND page);
/// Opens or closes a page; a closed page shows only its title bar.
ZENHOST_API void SetRollupPageOpen(HWND page, bool open);
/// The window of sample slot `slot` (0 to kMtlEditorSlots - 1), for clicks and screenshots.
ZENHOST_API HWND SampleSlotWindow(int slot);

// --- The frame buffer -----------------------------------------------------------------------
/// Creates the frame-buffer window (its title contains "VFB") or returns the open one. It
/// renders the environment map in latitude-longitude on threads of its own, again whenever
/// the map notifies a change.
ZENHOST_API HWND OpenFrameBuffer(int width = 512, int height = 256);
ZENHOST_API void CloseFrameBuffer();
/// Waits, pumping messages, until no render is pending or running and the newest image is
/// shown; false on timeout.
ZENHOST_API bool WaitForFrameBuffer(int timeoutMs);
/// Why the frame buffer shows no picture (an image it cannot read: the file and the reason);
/// empty while it shows one.
ZENHOST_API std::wstring FrameBufferMessage();
/// The linear colour the newest finished render gave at pixel (x, y); false without one.
ZENHOST_API bool FrameBufferPixel(int x, int y, AColor& colour);
/// The "Spheres" view: the environment in latitude-longitude with a grey diffuse ball and a
/// chrome ball lit by it drawn over it (DrawLitSpheresCentred), rendered again as every view is.
ZENHOST_API void SetFrameBufferSpheres(bool on);
ZENHOST_API bool FrameBufferSpheres();

// --- Files ---------------------------------------------------------------------------------
/// A file named on the command line as a full Windows path with '\' separators: a POSIX path
/// under Wine becomes the drive path Wine shows it on ("Z:\..."), a relative one is taken from
/// the current folder. Unchanged when it cannot be resolved.
ZENHOST_API std::wstring CommandLinePath(const std::wstring& argument);

// --- Pictures -------------------------------------------------------------------------------
/// Writes what a window's client area (the whole screen for null) shows as a PNG file, once
/// pending paints are done; false when it cannot be written.
ZENHOST_API bool SaveWindowPng(HWND window, const std::wstring& path);

}  // namespace standalone::win
