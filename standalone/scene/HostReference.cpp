// The host's reference graph: who references whom, notification and auto-deletion.

#include <iparamb2.h>
#include <custcont.h>
#include <ioapi.h>
#include <GetCOREInterface.h>
#include <maxapi.h>
#include <iparamm2.h>
#include <ref.h>
#include <imtl.h>

#include <algorithm>

Animatable::~Animatable() = default;
RemapDir::~RemapDir() = default;
ISave::~ISave() = default;
ILoad::~ILoad() = default;
ShadeContext::~ShadeContext() = default;
TimeChangeCallback::~TimeChangeCallback() = default;
Interface::~Interface() = default;
INode::~INode() = default;
ViewExp::~ViewExp() = default;
ParamDlg::~ParamDlg() = default;
IMtlParams::~IMtlParams() = default;
ParamMap2UserDlgProc::~ParamMap2UserDlgProc() = default;
IParamMap2::~IParamMap2() = default;
FPInterface::~FPInterface() = default;
ICustomControl::~ICustomControl() = default;

Control::~Control() = default;

namespace {
// Depth of nested NotifyDependents calls; a cycle in the graph must not overflow the stack.
thread_local int notifyDepth = 0;
constexpr int kMaxNotifyDepth = 64;

void EraseOne(std::vector<ReferenceMaker*>& makers, ReferenceMaker* maker) {
    auto it = std::find(makers.begin(), makers.end(), maker);
    if (it != makers.end()) {
        makers.erase(it);
    }
}
}  // namespace

ReferenceMaker::~ReferenceMaker() {
    DeleteAllRefsFromMe();
}

void ReferenceMaker::DeleteAllRefsFromMe() {
    // One reference at a time: a target that goes may take others with it, but never one that
    // this maker still holds.
    while (!heldRefs.empty()) {
        ReferenceTarget* target = heldRefs.back().target;
        heldRefs.pop_back();
        EraseOne(target->dependents, this);
        target->MaybeAutoDelete();
    }
}

// A loop is refused by what the host itself holds: a maker that does not take a target of the
// wrong kind (GetReference then reports nothing) still keeps it alive, and a loop of such
// references would never be deleted.
bool ReferenceMaker::Reaches(ReferenceMaker* from, const ReferenceMaker* maker,
                             std::vector<ReferenceMaker*>& seen) {
    if (from == maker) {
        return true;
    }
    if (std::find(seen.begin(), seen.end(), from) != seen.end()) {
        return false;
    }
    seen.push_back(from);
    for (const HeldRef& held : from->heldRefs) {
        if (Reaches(held.target, maker, seen)) {
            return true;
        }
    }
    return false;
}

RefResult ReferenceMaker::ReplaceReference(int which, ReferenceTarget* target, bool delOld) {
    std::vector<ReferenceMaker*> seen;
    if (target && Reaches(target, this, seen)) {
        return REF_FAIL;
    }
    ReferenceTarget* old = nullptr;
    for (auto it = heldRefs.begin(); it != heldRefs.end(); ++it) {
        if (it->which == which) {
            old = it->target;
            heldRefs.erase(it);
            break;
        }
    }
    if (old == target && old != nullptr) {
        heldRefs.push_back({which, target});
        SetReference(which, target);
        return REF_SUCCEED;
    }
    if (old) {
        EraseOne(old->dependents, this);
    }
    if (target) {
        heldRefs.push_back({which, target});
        target->dependents.push_back(this);
    }
    SetReference(which, target);
    if (delOld && old) {
        old->MaybeAutoDelete();
    }
    return REF_SUCCEED;
}

void ReferenceMaker::ForgetTarget(ReferenceTarget* target) {
    std::vector<int> cleared;
    for (auto it = heldRefs.begin(); it != heldRefs.end();) {
        if (it->target == target) {
            cleared.push_back(it->which);
            it = heldRefs.erase(it);
        } else {
            ++it;
        }
    }
    for (int which : cleared) {
        SetReference(which, nullptr);
    }
}

ReferenceTarget::~ReferenceTarget() {
    std::vector<ReferenceMaker*> makers;
    makers.swap(dependents);
    std::sort(makers.begin(), makers.end());
    makers.erase(std::unique(makers.begin(), makers.end()), makers.end());
    for (ReferenceMaker* maker : makers) {
        PartID part = PART_ALL;
        maker->NotifyRefChanged(FOREVER, this, part, REFMSG_TARGET_DELETED, false);
        maker->ForgetTarget(this);
    }
}

std::vector<ReferenceMaker*> ReferenceTarget::GetDependents() const {
    return dependents;
}

void ReferenceTarget::MaybeAutoDelete() {
    if (dependents.empty()) {
        DeleteThis();
    }
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID,
                                            RefMessage message, SClass_ID targetClass,
                                            bool propagate, ReferenceTarget* hTarget) {
    if (notifyDepth >= kMaxNotifyDepth) {
        return REF_STOP;
    }
    ReferenceTarget* sender = hTarget ? hTarget : this;
    std::vector<ReferenceMaker*> makers;
    for (ReferenceMaker* maker : dependents) {
        if (std::find(makers.begin(), makers.end(), maker) == makers.end()) {
            makers.push_back(maker);
        }
    }
    ++notifyDepth;
    for (ReferenceMaker* maker : makers) {
        // A dependent dropped by an earlier one during this loop is not told.
        if (std::find(dependents.begin(), dependents.end(), maker) == dependents.end()) {
            continue;
        }
        if (targetClass != NOTIFY_ALL && maker->SuperClassID() != targetClass) {
            continue;
        }
        PartID part = partID;
        RefResult r = maker->NotifyRefChanged(changeInt, sender, part, message, propagate);
        if (r == REF_SUCCEED && propagate && maker->IsRefTarget() &&
            message != REFMSG_TARGET_DELETED) {
            static_cast<ReferenceTarget*>(maker)->NotifyDependents(changeInt, part, message,
                                                                   targetClass, propagate);
        }
    }
    --notifyDepth;
    return REF_SUCCEED;
}

ReferenceTarget* ReferenceTarget::Clone(RemapDir&) {
    return nullptr;
}

void ReferenceTarget::BaseClone(ReferenceTarget*, ReferenceTarget*, RemapDir&) {}

ReferenceTarget* DefaultRemapDir::CloneRef(ReferenceTarget* oldTarget) {
    if (!oldTarget) {
        return nullptr;
    }
    for (const Pair& p : clones) {
        if (p.from == oldTarget) {
            return p.to;
        }
    }
    ReferenceTarget* copy = oldTarget->Clone(*this);
    clones.push_back({oldTarget, copy});
    return copy;
}

void MtlBase::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
    ReferenceTarget::BaseClone(from, to, remap);
    auto* src = dynamic_cast<MtlBase*>(from);
    auto* dst = dynamic_cast<MtlBase*>(to);
    if (src && dst) {
        dst->SetName(src->GetName());
    }
}

float Texmap::EvalMono(ShadeContext& sc) {
    AColor c = EvalColor(sc);
    return (c.r + c.g + c.b) / 3.0f;
}
