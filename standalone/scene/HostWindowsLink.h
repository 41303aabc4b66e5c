#pragma once
// What the host's core learns of its windows: the main window, the material editor and the
// dialog procedure of automatic rollups. The Win32 side provides them; the native host has no
// windows and answers null.

#include <GetCOREInterface.h>
#include <maxapi.h>
#include <imtl.h>
#include <imtledit.h>

namespace standalone {

/// The material editor as the core interface reaches it: its slots, and putting a map in one.
class MaterialEditorHost : public IMtlEditInterface {
public:
    /// Puts `mtl` into sample slot `slot` (the active one for -1) and shows it when active.
    virtual void PutMtl(MtlBase* mtl, int slot) = 0;
};

/// The process's material editor (it lives as long as the process); null natively.
MaterialEditorHost* HostMaterialEditor();
/// The host's main window; null while it is not open, and natively.
HWND HostMainWindow();
/// The active viewport changed what it looks through (its camera, or the camera's transform):
/// the frame buffer renders again. Nothing natively.
void HostViewChanged();

}  // namespace standalone
