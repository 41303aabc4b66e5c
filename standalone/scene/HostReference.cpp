// The host's reference graph: who references whom, notification and auto-deletion. The host
// keeps the graph in its own tables keyed by the objects, as the SDK's objects carry none of it:
// for every maker the references it holds, for every target its dependents. The tables are
// guarded by one mutex that is never held while a maker or target is called back.

#include <ref.h>

#include "scene/StandaloneHost.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// The super class of makers that are no targets.
constexpr SClass_ID kRefMakerClassID = 0x00000100;

// Depth of nested NotifyDependents calls; a cycle in the graph must not overflow the stack.
thread_local int notifyDepth = 0;
constexpr int kMaxNotifyDepth = 64;

struct HeldRef {
    int which;
    ReferenceTarget* target;
};

struct Graph {
    std::mutex mutex;
    // What each maker references, in the order it started to.
    std::unordered_map<const ReferenceMaker*, std::vector<HeldRef>> held;
    // The makers referencing each target, once per reference, in the order they started to.
    std::unordered_map<const ReferenceTarget*, std::vector<ReferenceMaker*>> dependents;
};

Graph& TheGraph() {
    // Never destroyed: objects that live until the process ends still leave the graph then.
    static Graph* graph = new Graph;
    return *graph;
}

// With the graph's mutex held.
void EraseOneDependent(Graph& g, ReferenceTarget* target, ReferenceMaker* maker) {
    auto it = g.dependents.find(target);
    if (it == g.dependents.end()) {
        return;
    }
    auto at = std::find(it->second.begin(), it->second.end(), maker);
    if (at != it->second.end()) {
        it->second.erase(at);
    }
    if (it->second.empty()) {
        g.dependents.erase(it);
    }
}

// With the graph's mutex held.
bool HasDependents(Graph& g, const ReferenceTarget* target) {
    auto it = g.dependents.find(target);
    return it != g.dependents.end() && !it->second.empty();
}

std::vector<ReferenceMaker*> Dependents(const ReferenceTarget* target) {
    Graph& g = TheGraph();
    std::lock_guard<std::mutex> lock(g.mutex);
    auto it = g.dependents.find(target);
    return it == g.dependents.end() ? std::vector<ReferenceMaker*>() : it->second;
}

bool IsDependent(const ReferenceTarget* target, ReferenceMaker* maker) {
    Graph& g = TheGraph();
    std::lock_guard<std::mutex> lock(g.mutex);
    auto it = g.dependents.find(target);
    return it != g.dependents.end() &&
           std::find(it->second.begin(), it->second.end(), maker) != it->second.end();
}

// A loop is refused by what the host itself holds: a maker that does not take a target of the
// wrong kind (GetReference then reports nothing) still keeps it alive, and a loop of such
// references would never be deleted. With the graph's mutex held.
bool Reaches(Graph& g, const ReferenceMaker* from, const ReferenceMaker* maker,
             std::vector<const ReferenceMaker*>& seen) {
    if (from == maker) {
        return true;
    }
    if (std::find(seen.begin(), seen.end(), from) != seen.end()) {
        return false;
    }
    seen.push_back(from);
    auto it = g.held.find(from);
    if (it == g.held.end()) {
        return false;
    }
    for (const HeldRef& ref : it->second) {
        if (Reaches(g, ref.target, maker, seen)) {
            return true;
        }
    }
    return false;
}

// Drops every reference `maker` holds to `target` and tells the maker so.
void ForgetTarget(ReferenceMaker* maker, ReferenceTarget* target,
                  void (*clear)(ReferenceMaker*, int)) {
    std::vector<int> cleared;
    {
        Graph& g = TheGraph();
        std::lock_guard<std::mutex> lock(g.mutex);
        auto it = g.held.find(maker);
        if (it != g.held.end()) {
            std::vector<HeldRef>& refs = it->second;
            for (auto ref = refs.begin(); ref != refs.end();) {
                if (ref->target == target) {
                    cleared.push_back(ref->which);
                    ref = refs.erase(ref);
                } else {
                    ++ref;
                }
            }
            if (refs.empty()) {
                g.held.erase(it);
            }
        }
    }
    for (int which : cleared) {
        clear(maker, which);
    }
}

}  // namespace

// --- ReferenceMaker --------------------------------------------------------------------------

ReferenceMaker::ReferenceMaker() = default;

ReferenceMaker::~ReferenceMaker() {
    DeleteAllRefsFromMe();
}

SClass_ID ReferenceMaker::SuperClassID() {
    return kRefMakerClassID;
}

IOResult ReferenceMaker::Save(ISave*) {
    return IO_OK;
}

IOResult ReferenceMaker::Load(ILoad*) {
    return IO_OK;
}

int ReferenceMaker::NumRefs() {
    return 0;
}

RefTargetHandle ReferenceMaker::GetReference(int) {
    return nullptr;
}

BOOL ReferenceMaker::IsRefTarget() {
    return FALSE;
}

void ReferenceMaker::SetReference(int, RefTargetHandle) {}

RefResult ReferenceMaker::DeleteAllRefsFromMe() {
    // One reference at a time: a target that goes may take others with it, but never one that
    // this maker still holds.
    Graph& g = TheGraph();
    for (;;) {
        ReferenceTarget* target = nullptr;
        {
            std::lock_guard<std::mutex> lock(g.mutex);
            auto it = g.held.find(this);
            if (it == g.held.end()) {
                break;
            }
            if (it->second.empty()) {
                g.held.erase(it);
                break;
            }
            target = it->second.back().target;
            it->second.pop_back();
            EraseOneDependent(g, target, this);
        }
        standalone::MaybeAutoDelete(target);
    }
    return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteReference(int i) {
    return ReplaceReference(i, nullptr);
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
    Graph& g = TheGraph();
    ReferenceTarget* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(g.mutex);
        std::vector<const ReferenceMaker*> seen;
        if (newtarg && Reaches(g, newtarg, this, seen)) {
            return REF_FAIL;
        }
        std::vector<HeldRef>& refs = g.held[this];
        for (auto it = refs.begin(); it != refs.end(); ++it) {
            if (it->which == which) {
                old = it->target;
                refs.erase(it);
                break;
            }
        }
        if (old != newtarg || !old) {
            if (old) {
                EraseOneDependent(g, old, this);
            }
            if (newtarg) {
                g.dependents[newtarg].push_back(this);
            }
        }
        if (newtarg) {
            refs.push_back({which, newtarg});
        } else if (refs.empty()) {
            g.held.erase(this);
        }
    }
    SetReference(which, newtarg);
    if (delOld && old && old != newtarg) {
        standalone::MaybeAutoDelete(old);
    }
    return REF_SUCCEED;
}

// --- ReferenceTarget -------------------------------------------------------------------------

ReferenceTarget::ReferenceTarget() = default;

ReferenceTarget::~ReferenceTarget() {
    std::vector<ReferenceMaker*> makers;
    {
        Graph& g = TheGraph();
        std::lock_guard<std::mutex> lock(g.mutex);
        auto it = g.dependents.find(this);
        if (it != g.dependents.end()) {
            makers.swap(it->second);
            g.dependents.erase(it);
        }
    }
    std::sort(makers.begin(), makers.end());
    makers.erase(std::unique(makers.begin(), makers.end()), makers.end());
    for (ReferenceMaker* maker : makers) {
        PartID part = PART_ALL;
        maker->NotifyRefChanged(FOREVER, this, part, REFMSG_TARGET_DELETED, FALSE);
        ForgetTarget(maker, this,
                     [](ReferenceMaker* m, int which) { m->SetReference(which, nullptr); });
    }
}

SClass_ID ReferenceTarget::SuperClassID() {
    return REF_TARGET_CLASS_ID;
}

BOOL ReferenceTarget::IsRefTarget() {
    return TRUE;
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID,
                                            RefMessage message, SClass_ID sclass, BOOL propagate,
                                            RefTargetHandle hTarg) {
    if (notifyDepth >= kMaxNotifyDepth) {
        return REF_STOP;
    }
    ReferenceTarget* sender = hTarg ? hTarg : this;
    std::vector<ReferenceMaker*> makers;
    for (ReferenceMaker* maker : Dependents(this)) {
        if (std::find(makers.begin(), makers.end(), maker) == makers.end()) {
            makers.push_back(maker);
        }
    }
    ++notifyDepth;
    for (ReferenceMaker* maker : makers) {
        // A dependent dropped by an earlier one during this loop is not told.
        if (!IsDependent(this, maker)) {
            continue;
        }
        if (sclass != NOTIFY_ALL && maker->SuperClassID() != sclass) {
            continue;
        }
        PartID part = partID;
        RefResult r = maker->NotifyRefChanged(changeInt, sender, part, message, propagate);
        if (r == REF_SUCCEED && propagate && maker->IsRefTarget() &&
            message != REFMSG_TARGET_DELETED) {
            static_cast<ReferenceTarget*>(maker)->NotifyDependents(changeInt, part, message, sclass,
                                                                   propagate);
        }
    }
    --notifyDepth;
    return REF_SUCCEED;
}

RefTargetHandle ReferenceTarget::Clone(RemapDir&) {
    return nullptr;
}

void ReferenceTarget::BaseClone(ReferenceTarget*, ReferenceTarget*, RemapDir&) {}

// --- Cloning ---------------------------------------------------------------------------------

RefTargetHandle RemapDir::CloneRef(RefTargetHandle oldTarg) {
    if (!oldTarg) {
        return nullptr;
    }
    if (RefTargetHandle copy = FindMapping(oldTarg)) {
        return copy;
    }
    RefTargetHandle copy = oldTarg->Clone(*this);
    AddEntry(oldTarg, copy);
    return copy;
}

namespace {

/// The remap directory of one clone operation: originals and their clones, in cloning order.
class HostRemapDir : public RemapDir {
public:
    RefTargetHandle FindMapping(RefTargetHandle from) override {
        for (const auto& [original, copy] : clones) {
            if (original == from) {
                return copy;
            }
        }
        return nullptr;
    }
    void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) override {
        for (auto& [original, copy] : clones) {
            if (original == hfrom) {
                copy = hto;
                return;
            }
        }
        clones.emplace_back(hfrom, hto);
    }
    void DeleteThis() override { delete this; }

private:
    std::vector<std::pair<RefTargetHandle, RefTargetHandle>> clones;
};

}  // namespace

RemapDir* NewRemapDir(BOOL) {
    return new HostRemapDir;
}

// --- The host's own view of the graph ----------------------------------------------------------

namespace standalone {

std::vector<ReferenceMaker*> DependentsOf(ReferenceTarget* target) {
    return target ? Dependents(target) : std::vector<ReferenceMaker*>();
}

void MaybeAutoDelete(ReferenceTarget* target) {
    if (!target) {
        return;
    }
    bool unreferenced = false;
    {
        Graph& g = TheGraph();
        std::lock_guard<std::mutex> lock(g.mutex);
        unreferenced = !HasDependents(g, target);
    }
    if (unreferenced) {
        target->DeleteThis();
    }
}

}  // namespace standalone
