#pragma once
// The host's core interface: time, animate mode, time-change callbacks, scene nodes and the
// active viewport.

#include "host/INode.h"
#include "host/MaxTypes.h"

class MtlBase;

class HOST_API TimeChangeCallback {
public:
    virtual ~TimeChangeCallback();
    virtual void TimeChanged(TimeValue t) = 0;
};

class HOST_API Interface {
public:
    virtual ~Interface();
    virtual TimeValue GetTime() = 0;
    virtual void SetTime(TimeValue t, bool redraw = true) = 0;
    virtual void RegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    virtual void UnRegisterTimeChangeCallback(TimeChangeCallback* tc) = 0;
    /// The host's main window (null when it has none).
    virtual HWND GetMAXHWnd() = 0;
    /// Puts `mtl` into the material editor's sample slot `slot` (the active one for -1) and
    /// shows it there.
    virtual void PutMtlToMtlEditor(MtlBase* mtl, int slot = -1) = 0;

    // --- Scene nodes and viewports ---------------------------------------------------------
    /// The viewport that has the focus; always a live object, possibly without a camera.
    virtual ViewExp& GetActiveViewExp() = 0;
    /// Null when no node has that handle or name.
    virtual INode* GetINodeByHandle(ULONG handle) = 0;
    virtual INode* GetINodeByName(const wchar_t* name) = 0;
    virtual void ClearNodeSelection(bool redraw = true) = 0;
    virtual void SelectNode(INode* node, int clearSel = 1) = 0;
};

/// The host's core interface; null when the host offers none.
HOST_API Interface* GetCOREInterface();

/// Names one of the host's function-published interfaces.
class Interface_ID {
public:
    constexpr Interface_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
    constexpr bool operator==(const Interface_ID&) const = default;

private:
    ULONG a_;
    ULONG b_;
};

/// A function-published interface of the host.
class HOST_API FPInterface {
public:
    virtual ~FPInterface();
};

/// The host's core interface named by `id`; null when the host does not offer it.
HOST_API FPInterface* GetCOREInterface(Interface_ID id);

/// The material editor: 24 sample slots, one of them active.
constexpr Interface_ID MTLEDIT_INTERFACE(0x2c7b3f6e, 0x16fb35d4);
constexpr int kMtlEditorSlots = 24;

class HOST_API IMtlEditInterface : public FPInterface {
public:
    /// The material or map in sample slot `slot` (0..23); null for an empty or invalid slot.
    virtual MtlBase* GetTopMtlSlot(int slot) = 0;
    /// Makes `slot` the active sample slot and shows its map's rollups.
    virtual void SetActiveMtlSlot(int slot, BOOL forceUpdate = FALSE) = 0;
    /// The active sample slot; -1 when there is none.
    virtual int GetActiveMtlSlot() = 0;
};

/// Script sources of ExecuteMAXScriptScript.
constexpr int kScriptSourceDynamic = 0;

/// Runs a MAXScript text synchronously on the user-interface thread. With quietErrors, errors
/// do not reach the user. True when the host ran the text.
HOST_API BOOL ExecuteMAXScriptScript(const wchar_t* script, int scriptSource,
                                     BOOL quietErrors = FALSE, void* fpv = nullptr,
                                     BOOL logQuietErrors = TRUE);

/// Animate mode: while on, writes to animatable parameters at a time create keys.
HOST_API BOOL Animating();
HOST_API void AnimateOn();
HOST_API void AnimateOff();

/// Switches animate mode off for its lifetime and restores it afterwards, also when an
/// exception passes.
class AnimateSuspend {
public:
    AnimateSuspend() : wasOn(Animating() != 0) {
        if (wasOn) {
            AnimateOff();
        }
    }
    ~AnimateSuspend() {
        if (wasOn) {
            AnimateOn();
        }
    }
    AnimateSuspend(const AnimateSuspend&) = delete;
    AnimateSuspend& operator=(const AnimateSuspend&) = delete;

private:
    bool wasOn;
};
