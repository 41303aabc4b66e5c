#pragma once
// Animatables and references: the host's object graph. The plug-in overrides the virtual
// operations; the non-virtual ones (ReplaceReference, NotifyDependents, ...) are the host's.

#include "host/MaxTypes.h"

#include <vector>

class AssetEnumCallback;
class ISave;
class ILoad;
class IParamBlock2;
class ReferenceTarget;
class RemapDir;

using BlockID = short;

class HOST_API Animatable {
public:
    Animatable() = default;
    Animatable(const Animatable&) = delete;
    Animatable& operator=(const Animatable&) = delete;
    virtual ~Animatable();

    /// Destroys the object; the host calls this instead of delete.
    virtual void DeleteThis() { delete this; }
    virtual void GetClassName(MSTR& s) const { s.clear(); }
    virtual Class_ID ClassID() { return Class_ID(); }
    virtual SClass_ID SuperClassID() = 0;

    virtual int NumSubs() { return 0; }
    virtual Animatable* SubAnim(int) { return nullptr; }
    virtual MSTR SubAnimName(int) { return MSTR(); }

    /// Reports the files this object uses (flags: FILE_ENUM_ALL asks for every category).
    virtual void EnumAuxFiles(AssetEnumCallback&, DWORD /*flags*/) {}

    virtual int NumParamBlocks() { return 0; }
    virtual IParamBlock2* GetParamBlock(int) { return nullptr; }
    virtual IParamBlock2* GetParamBlockByID(BlockID) { return nullptr; }
};

class HOST_API ReferenceMaker : public Animatable {
public:
    ReferenceMaker() = default;
    /// Drops every reference this maker holds (the host's DeleteAllRefsFromMe).
    ~ReferenceMaker() override;

    virtual int NumRefs() { return 0; }
    virtual ReferenceTarget* GetReference(int) { return nullptr; }

    /// Makes `target` reference `which`: records the dependency, then calls SetReference back.
    RefResult ReplaceReference(int which, ReferenceTarget* target, bool delOld = true);
    /// Drops reference `which` (ReplaceReference with null).
    RefResult DeleteReference(int which) { return ReplaceReference(which, nullptr); }
    /// Drops every reference; called by derived destructors that must release early.
    void DeleteAllRefsFromMe();

    /// A target of this maker changed or is being deleted.
    virtual RefResult NotifyRefChanged(const Interval& changeInt, ReferenceTarget* hTarget,
                                       PartID& partID, RefMessage message, bool propagate) = 0;

    virtual IOResult Save(ISave*) { return IO_OK; }
    virtual IOResult Load(ILoad*) { return IO_OK; }

    /// True when this maker is a target (has dependents of its own).
    virtual bool IsRefTarget() { return false; }

protected:
    friend class ReferenceTarget;
    virtual void SetReference(int, ReferenceTarget*) {}

private:
    struct HeldRef {
        int which;
        ReferenceTarget* target;
    };
    std::vector<HeldRef> heldRefs;  // the host's own record of what this maker references
    void ForgetTarget(ReferenceTarget* target);
    /// True when `from` reaches `maker` through the references the host holds for it (whatever
    /// the maker's GetReference reports): making `maker` reference `from` would close a loop.
    static bool Reaches(ReferenceMaker* from, const ReferenceMaker* maker,
                        std::vector<ReferenceMaker*>& seen);
};

class HOST_API ReferenceTarget : public ReferenceMaker {
public:
    ReferenceTarget() = default;
    /// Tells every dependent REFMSG_TARGET_DELETED and clears their references to this target.
    ~ReferenceTarget() override;

    bool IsRefTarget() override { return true; }

    /// Sends `message` to every dependent (of super class `targetClass`, or all with NOTIFY_ALL);
    /// with `propagate`, a dependent that is itself a target passes REFMSG_CHANGE on.
    RefResult NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message,
                               SClass_ID targetClass = NOTIFY_ALL, bool propagate = true,
                               ReferenceTarget* hTarget = nullptr);

    /// Makes a copy; references are copied through remap so shared targets stay shared.
    virtual ReferenceTarget* Clone(RemapDir& remap);
    void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

    /// The makers that reference this target, in the order they started to.
    std::vector<ReferenceMaker*> GetDependents() const;

    /// Deletes the target when no maker references it any more (the host's auto-delete).
    void MaybeAutoDelete();

private:
    friend class ReferenceMaker;
    std::vector<ReferenceMaker*> dependents;
};

/// Maps originals onto their clones during one clone operation.
class HOST_API RemapDir {
public:
    virtual ~RemapDir();
    /// The clone of `oldTarget`, made on first request and shared afterwards; null for null.
    virtual ReferenceTarget* CloneRef(ReferenceTarget* oldTarget) = 0;
};

/// A RemapDir for one clone operation, as the host's NewRemapDir gives.
class HOST_API DefaultRemapDir : public RemapDir {
public:
    ReferenceTarget* CloneRef(ReferenceTarget* oldTarget) override;

private:
    struct Pair {
        ReferenceTarget* from;
        ReferenceTarget* to;
    };
    std::vector<Pair> clones;
};
