// The environment map object: references, notification, cloning, editing and teardown.

#include "shading/Zenithra.h"

#include "ZenithraProxy.h"
#include "core/HostEdge.h"
#include "core/HostObjects.h"
#include "core/HostStrings.h"
#include "core/ZenithraClassDesc.h"
#include "shading/MapReaders.h"
#include "platform/Platform.h"
#include "source/RenderRefresh.h"

#include <algorithm>
#include <string>

/// Refreshes the slot rollups when the host's time slider moves.
class ZenithraTimeChangeCallback : public TimeChangeCallback {
public:
    explicit ZenithraTimeChangeCallback(Zenithra* m) : map(m) {}
    void TimeChanged(TimeValue) override {
        GuardEntry([this] {
            if (map) {
                map->SyncSlotRollups();
            }
        });
    }
    Zenithra* map;
};

namespace {

// Sent with part 0 after any change, so that editors rebuild what hangs below the map (the slot
// count and the proxies may have changed).
constexpr RefMessage kChangedMessage = REFMSG_SUBANIM_STRUCTURE_CHANGED;

// DeleteThis waits for running evaluations in bounded steps: 2000 polls, 1 ms apart.
constexpr int kTeardownPolls = 2000;
constexpr uint32_t kTeardownPollMs = 1;

}  // namespace

Zenithra::Zenithra() {
    GetZenithraDesc()->MakeAutoParamBlocks(this);
    try {
        if (block) {
            AnimateSuspend noKeys;
            block->SetValue(pb_slotCount, 0, 1);
            // Every table is declared empty: one default entry each for the one slot.
            SetSlotTabCount(*block, pb_slotExposure, 1);
            for (ParamID id : kSlotTabOrder) {
                SetSlotTabCount(*block, id, 1);
            }
        }
        if (Interface* core = GetCOREInterface()) {
            auto callback = std::make_unique<ZenithraTimeChangeCallback>(this);
            core->RegisterTimeChangeCallback(callback.get());
            timeCallback = callback.release();
        }
    } catch (...) {
        DeleteAllRefsFromMe();  // a map that was never made lets go of its block
        throw;
    }
}

Zenithra::~Zenithra() {
    Unlink(true);
}

void Zenithra::RefreshRotationPlan() {
    if (!sourceMap) {
        return;  // a plan that does not match its map is never used
    }
    const RotationPlan* current = rotationPlan.load();
    if (current && current->Matches(sourceMap)) {
        return;
    }
    std::unique_ptr<RotationPlan> plan(BuildRotationPlan(sourceMap));
    rotationPlan.store(plan.get());
    retiredRotationPlans.push_back(std::move(plan));
}

void Zenithra::Unlink(bool releaseReferences) {
    tearingDown.store(true);
    if (timeCallback) {
        if (Interface* core = GetCOREInterface()) {
            core->UnRegisterTimeChangeCallback(timeCallback);
        }
        delete timeCallback;
        timeCallback = nullptr;
    }
    CurrentLookRegistry::Erase(this);
    CloseHistoryWindows(this);
    std::vector<ZenithraProxy*> proxies = registeredProxies;
    for (ZenithraProxy* proxy : proxies) {
        if (proxy && proxy->master.load() != nullptr) {
            proxy->SetMaster(nullptr);
        }
    }
    // A render thread may have read this map from a proxy just before it was taken out, or
    // before the proxy moved to another master; wait until every such thread has let go before
    // the map's memory goes. A map that is kept (a sample outlived the wait) need not wait.
    if (releaseReferences) {
        MapReaders::WaitUntilUnannounced(this);
    }
    registeredProxies.clear();
    DestroySlotRollups();
    DestroyMainRollup();
    if (releaseReferences) {
        // Release the references now, while this object is still a Zenithra, so that the
        // proxies and the block go before the map's fields do.
        DeleteAllRefsFromMe();
    }
}

void Zenithra::DeleteThis() {
    tearingDown.store(true);
    for (int poll = 0; poll < kTeardownPolls && inFlightEvals.load() != 0; ++poll) {
        platform::SleepMilliseconds(kTeardownPollMs);
    }
    if (inFlightEvals.load() != 0) {
        // A sample is still running after the bounded wait: unlink the map from the scene but
        // keep its memory and references, so that the sample finishes on live objects. The map
        // is never freed; it refuses every later evaluation.
        Unlink(false);
        return;
    }
    delete this;
}

int Zenithra::NumSubs() {
    return GetSlotCount() + 2;
}

Animatable* Zenithra::SubAnim(int i) {
    if (i == 0) {
        return block;
    }
    if (i == 1) {
        return sourceMap;
    }
    if (i >= 2 && i < GetSlotCount() + 2) {
        return slotProxies[i - 2];
    }
    return nullptr;
}

MSTR Zenithra::SubAnimName(int i, bool) {
    return GuardEntry<MSTR>(MSTR(), [&]() -> MSTR {
        if (i == 0) {
            return _M("Parameters");
        }
        if (i == 1) {
            return _M("Source Map");
        }
        if (i >= 2 && i < GetSlotCount() + 2) {
            return SlotName(i - 2);
        }
        return MSTR();
    });
}

IParamBlock2* Zenithra::GetParamBlockByID(BlockID id) {
    return block && block->ID() == id ? block : nullptr;
}

ReferenceTarget* Zenithra::GetReference(int i) {
    if (i == 0) {
        return block;
    }
    if (i == 1) {
        return sourceMap;
    }
    if (i >= 2 && i < 2 + kMaxSlots) {
        return slotProxies[i - 2];
    }
    return nullptr;
}

void Zenithra::SetReference(int i, ReferenceTarget* target) {
    if (i == 0) {
        block = AsParamBlock(target);
        validity = NEVER;
        if (exposureCacheReady.load()) {
            exposureCachePending.store(true);
        }
    } else if (i == 1) {
        sourceMap = AsTexmap(target);
        validity = NEVER;
        RefreshRotationPlan();
    } else if (i >= 2 && i < 2 + kMaxSlots) {
        if (!target) {
            slotProxies[i - 2] = nullptr;
        } else if (target->ClassID() == ZENITHRA_PROXY_CLASS_ID) {
            auto* proxy = static_cast<ZenithraProxy*>(target);
            slotProxies[i - 2] = proxy;
            proxy->SetMaster(this);
            proxy->slotIndex.store(i - 2);
        }
    }
}

RefResult Zenithra::NotifyRefChanged(const Interval&, ReferenceTarget* hTarget, PartID& partID,
                                     RefMessage message, BOOL) {
    return GuardEntry<RefResult>(REF_SUCCEED, [&]() -> RefResult {
        if (message != REFMSG_CHANGE && message != REFMSG_TARGET_DELETED &&
            message != kChangedMessage) {
            return REF_SUCCEED;
        }
        if (message == REFMSG_TARGET_DELETED) {
            if (hTarget == block) {
                block = nullptr;
            }
            if (hTarget == sourceMap) {
                sourceMap = nullptr;
            }
            for (ZenithraProxy*& proxy : slotProxies) {
                if (proxy == hTarget) {
                    proxy = nullptr;
                }
            }
            validity = NEVER;
            return REF_SUCCEED;
        }
        validity = NEVER;
        if (hTarget == nullptr || (hTarget != sourceMap && hTarget != block)) {
            return REF_SUCCEED;
        }
        // A source that leads back to this map (one of its own proxies, or a proxy of a map whose
        // source is one of this map's proxies) hands the change back here: pass it on once.
        if (passingOnChange) {
            return REF_SUCCEED;
        }
        passingOnChange = true;
        struct PassedOn {
            bool& flag;
            ~PassedOn() { flag = false; }
        } passedOn{passingOnChange};
        bool sourceChanged = hTarget == sourceMap;
        if (sourceChanged) {
            RefreshRotationPlan();
        }
        NotifyAll(partID, REFMSG_CHANGE, sourceChanged);
        if (sourceChanged) {
            SyncSlotRollups();
        }
        validity = NEVER;
        NotifyDependents(FOREVER, 0, kChangedMessage, NOTIFY_ALL, true);
        NotifyProxies(0, kChangedMessage);
        return REF_SUCCEED;
    });
}

ReferenceTarget* Zenithra::Clone(RemapDir& remap) {
    return GuardEntry<ReferenceTarget*>(nullptr, [&] { return CloneMap(remap); });
}

Zenithra* Zenithra::CloneMap(RemapDir& remap) {
    // What can fail on its own is copied first; a copy that fails half-built is deleted again.
    HistoryStore historyCopy = history;
    const std::vector<float> exposures = GetSlotExposures(GetSlotCount());
    struct DeleteUnfinished {
        void operator()(Zenithra* map) const { map->DeleteThis(); }
    };
    std::unique_ptr<Zenithra, DeleteUnfinished> copy(new Zenithra());
    copy->ReplaceReference(0, block ? remap.CloneRef(block) : nullptr);
    if (sourceMap) {
        copy->ReplaceReference(1, remap.CloneRef(sourceMap));
    }
    for (int i = 2; i < 2 + kMaxSlots; ++i) {
        if (slotProxies[i - 2]) {
            copy->ReplaceReference(i, remap.CloneRef(slotProxies[i - 2]));
        }
    }
    BaseClone(this, copy.get(), remap);
    copy->history = std::move(historyCopy);
    copy->exposureCache.Assign(exposures);
    copy->exposureCacheReady.store(true);
    copy->exposureCachePending.store(true);
    copy->validity = NEVER;
    return copy.release();
}

void Zenithra::Update(TimeValue t, Interval& valid) {
    if (!block) {
        validity = NEVER;
        valid = NEVER;
        return;
    }
    RefreshRotationPlan();
    if (!validity.InInterval(t)) {
        validity = FOREVER;
        block->GetValidity(t, validity);
        if (sourceMap) {
            Interval sourceValid = FOREVER;
            sourceMap->Update(t, sourceValid);
            validity &= sourceValid;
        }
    }
    valid &= validity;
}

void Zenithra::Reset() {
    GetZenithraDesc()->Reset(this, true, true);
    exposureCache.Clear();
    exposureCacheReady.store(false);
    exposureCachePending.store(false);
    validity = NEVER;
}

Interval Zenithra::Validity(TimeValue t) {
    Interval valid = FOREVER;
    Update(t, valid);
    return valid;
}

ParamDlg* Zenithra::CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) {
    return GuardEntry<ParamDlg*>(nullptr, [&]() -> ParamDlg* {
        mainRollupWnd = nullptr;
        editParams = imp;
        SyncExposureCache(GetSlotCount());
        if (exposureCachePending.load()) {
            FlushExposureCache(GetSlotCount());
        }
        DestroySlotRollups();
        ParamDlg* dialog = GetZenithraDesc()->CreateParamDlgs(hwMtlEdit, imp, this);
        try {
            CreateSlotRollups(mainRollupWnd, editParams);
        } catch (...) {
            // The host gets no dialog, so none of it may stay behind.
            DestroySlotRollups();
            if (dialog) {
                dialog->DeleteThis();
            }
            throw;
        }
        return dialog;
    });
}

float Zenithra::EvalMono(ShadeContext& sc) {
    return MonoLuminance(EvalSlotColor(0, sc));
}

int Zenithra::LoadMapFiles(TimeValue t) {
    if (sourceMap) {
        sourceMap->LoadMapFiles(t);
    }
    return 1;
}

Texmap* Zenithra::GetSubTexmap(int i) {
    return GuardEntry<Texmap*>(nullptr, [&]() -> Texmap* {
        if (i == 0) {
            return sourceMap;
        }
        if (i >= 1 && i <= GetSlotCount()) {
            if (!slotProxies[i - 1]) {
                EnsureSlotProxies(i);
            }
            return slotProxies[i - 1];
        }
        return nullptr;
    });
}

void Zenithra::SetSubTexmap(int i, Texmap* m) {
    GuardEntry([&] {
        if (i == 0) {
            ReplaceReference(1, m);
            RefreshAfterSourceChange(this, sourceMap, mainRollupWnd);
            SyncSlotRollups();
            return;
        }
        if (i >= 1 && i <= GetSlotCount()) {
            if (!slotProxies[i - 1]) {
                EnsureSlotProxies(i);
            }
            if (m && m->ClassID() != ZENITHRA_PROXY_CLASS_ID) {
                return;
            }
            ReplaceReference(i + 1, m);
        }
    });
}

MSTR Zenithra::GetSubTexmapSlotName(int i, bool) {
    return GuardEntry<MSTR>(
        MSTR(), [&]() -> MSTR { return i == 0 ? MSTR(_M("Source Map")) : SlotName(i - 1); });
}

MSTR Zenithra::SlotName(int i) {
    MSTR mapName = GetName().isNull() ? MSTR(_M("Zenithra")) : GetName();
    return mapName + _M(":Slot ") + DecimalText(i + 1);
}

void Zenithra::NotifyProxies(PartID part, RefMessage message) {
    std::vector<ZenithraProxy*> proxies = registeredProxies;
    for (ZenithraProxy* proxy : proxies) {
        if (proxy) {
            proxy->NotifyDependents(FOREVER, part, message, NOTIFY_ALL, true, nullptr);
        }
    }
}

void Zenithra::NotifyAll(PartID part, RefMessage message, bool sourceChanged) {
    validity = NEVER;
    if (sourceChanged && mainRollupWnd) {
        UpdateMainRollup(mainRollupWnd);
    }
    NotifyDependents(FOREVER, part, message, NOTIFY_ALL, true);
    NotifyProxies(part, message);
}
