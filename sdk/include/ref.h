#pragma once
// References: the host's graph of scene objects. A maker holds references to targets; a target
// tells its dependents when it changes. The host owns every object in the graph.

#include "Animatable.h"
#include "interval.h"

class ILoad;
class ISave;
class ReferenceMaker;
class ReferenceTarget;
class RemapDir;

typedef ReferenceTarget* RefTargetHandle;
typedef ReferenceMaker* RefMakerHandle;

/// Which part of a target changed.
typedef ULONG_PTR PartID;
#define PART_ALL 0x800037FF

typedef unsigned int RefMessage;
#define REFMSG_TARGET_DELETED 0x00000020
#define REFMSG_CHANGE 0x00000050
/// The structure of a target's sub-animatables (or what hangs below them) changed.
#define REFMSG_SUBANIM_STRUCTURE_CHANGED 0x00000102

/// NotifyDependents: every dependent, whatever its super class.
#define NOTIFY_ALL 0xfffffff0

enum RefResult {
    REF_FAIL,
    REF_SUCCEED,
    REF_DONTCARE,
    REF_STOP,
    REF_INVALID,
    REF_AUTO_DELETE,
};

class CoreExport ReferenceMaker : public Animatable {
public:
    ReferenceMaker();
    SClass_ID SuperClassID() override;

    /// Makes reference `which` point at `newtarg`: the host records the dependency, then calls
    /// SetReference back. A reference that would close a loop is refused.
    RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
    /// Drops every reference this maker holds.
    RefResult DeleteAllRefsFromMe();
    RefResult DeleteReference(int i);

    virtual IOResult Save(ISave* isave);
    virtual IOResult Load(ILoad* iload);

    virtual int NumRefs();
    virtual RefTargetHandle GetReference(int i);
    virtual BOOL IsRefTarget();

    /// A target of this maker changed or is being deleted.
    virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget,
                                       PartID& partID, RefMessage message, BOOL propagate) = 0;

protected:
    ~ReferenceMaker() override;
    virtual void SetReference(int i, RefTargetHandle rtarg);
    friend class ReferenceTarget;
};

class CoreExport ReferenceTarget : public ReferenceMaker {
public:
    ReferenceTarget();
    SClass_ID SuperClassID() override;
    BOOL IsRefTarget() override;

    /// Sends `message` to every dependent of super class `sclass` (all with NOTIFY_ALL). With
    /// `propagate`, a dependent that is itself a target passes REFMSG_CHANGE on.
    virtual RefResult NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message,
                                       SClass_ID sclass = NOTIFY_ALL, BOOL propagate = TRUE,
                                       RefTargetHandle hTarg = nullptr);

    /// A copy; references are copied through `remap`, so that shared targets stay shared.
    virtual RefTargetHandle Clone(RemapDir& remap);
    /// Copies what the host keeps of `from` into the clone `to`.
    virtual void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

protected:
    /// Tells every dependent REFMSG_TARGET_DELETED and clears their references to this target.
    ~ReferenceTarget() override;
};

/// Maps originals onto their clones during one clone operation.
class CoreExport RemapDir {
public:
    /// The clone made of `from` so far; null when there is none.
    virtual RefTargetHandle FindMapping(RefTargetHandle from) = 0;
    /// The clone of `oldTarg`: made on the first request and shared afterwards; null for null.
    virtual RefTargetHandle CloneRef(RefTargetHandle oldTarg);
    virtual void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) = 0;
    virtual void DeleteThis() = 0;
    virtual ~RemapDir();
};

/// A remap directory for one clone operation; DeleteThis when done.
CoreExport RemapDir* NewRemapDir(BOOL use_A_WORK2_flag = FALSE);

/// Animate mode: while on, writes to animatable parameters at a time create keys.
CoreExport BOOL Animating();
CoreExport void AnimateOn();
CoreExport void AnimateOff();

/// Suspends animate mode for its lifetime and restores it afterwards, also when an exception
/// passes.
class CoreExport AnimateSuspend {
public:
    AnimateSuspend(BOOL setKeyMode = FALSE, BOOL macroRecOff = FALSE, BOOL refMsgsOff = FALSE);
    void Resume();
    ~AnimateSuspend();

private:
    BOOL animateSuspended;
};
