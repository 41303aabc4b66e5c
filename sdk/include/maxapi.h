#pragma once
// The host's core interface: time, time-change callbacks, the main window, the material editor,
// scene nodes and the active viewport.

#include "inode.h"
#include "maxtypes.h"

class MtlBase;

class CoreExport TimeChangeCallback {
public:
    virtual ~TimeChangeCallback();
    virtual void TimeChanged(TimeValue t) = 0;
};

/// One of the host's viewports.
class CoreExport ViewExp {
public:
    virtual ~ViewExp();
    /// False once the viewport has gone.
    virtual bool IsAlive() = 0;
    /// The camera node the viewport looks through; null for a view without one.
    virtual INode* GetViewCamera() = 0;
    virtual void SetViewCamera(INode* camNode) = 0;
};

class CoreExport Interface {
public:
    virtual ~Interface();
    virtual TimeValue GetTime() = 0;
    virtual void SetTime(TimeValue t, BOOL redraw = TRUE) = 0;
    virtual void RegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    virtual void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    /// The host's main window.
    virtual HWND GetMAXHWnd() const = 0;
    /// Puts `mb` into the material editor's sample slot `slot` (the active one for -1).
    virtual void PutMtlToMtlEditor(MtlBase* mb, int slot = -1) = 0;
    /// The viewport that has the focus.
    virtual ViewExp& GetActiveViewExp() = 0;
    /// Null when no node has that handle or name.
    virtual INode* GetINodeByHandle(ULONG handle) = 0;
    virtual INode* GetINodeByName(const MCHAR* name) = 0;
    virtual void ClearNodeSelection(BOOL redraw = TRUE) = 0;
    virtual void SelectNode(INode* node, int clearSel = 1) = 0;
};

/// Ticks per frame at the scene's frame rate.
CoreExport int GetTicksPerFrame();
