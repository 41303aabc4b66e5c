// The slot parameter block's small operations: the slot count, the exposure cache and the
// length of the slot tables.

#include "shading/Zenithra.h"

#include <algorithm>

int Zenithra::GetSlotCount() {
    IParamBlock2* pb = block;
    if (!pb) {
        return 1;
    }
    int n = 1;
    Interval ignored = FOREVER;
    pb->GetValue(pb_slotCount, 0, n, ignored);
    return ClampSlotCount(n);
}

void Zenithra::SyncExposureCache(int n) {
    if (n < 0) {
        n = GetSlotCount();
    }
    n = ClampSlotCount(n);
    Interval ignored = FOREVER;
    auto fillFromBlock = [&](int from) {
        if (!block) {
            return;
        }
        int last = std::min(block->Count(pb_slotExposure), n);
        for (int i = from; i < last; ++i) {
            float ev = 0.0f;
            block->GetValue(pb_slotExposure, 0, ev, ignored, i);
            exposureCache.Set(i, ev);
        }
    };
    if (!exposureCacheReady.load()) {
        exposureCache.Clear();
        exposureCache.Resize(n);
        fillFromBlock(0);
        exposureCacheReady.store(true);
    } else if (exposureCache.size() < n) {
        int old = exposureCache.size();
        exposureCache.Resize(n);
        if (!exposureCachePending.load()) {
            fillFromBlock(old);
        }
    } else if (exposureCache.size() > n) {
        exposureCache.Resize(n);
    }
}

void Zenithra::FlushExposureCache(int n) {
    if (!block) {
        return;
    }
    if (n < 0) {
        n = GetSlotCount();
    }
    n = ClampSlotCount(n);
    SyncExposureCache(n);
    if (block->Count(pb_slotExposure) != n) {
        block->SetCount(pb_slotExposure, n);
    }
    {
        AnimateSuspend noKeys;
        for (int i = 0; i < n && i < block->Count(pb_slotExposure); ++i) {
            block->SetValue(pb_slotExposure, 0, i < exposureCache.size() ? exposureCache[i] : 0.0f,
                            i);
        }
    }
    exposureCachePending.store(false);
}

void Zenithra::SetSlotExposure(int slot, float ev) {
    if (slot < 0 || slot >= kMaxSlots) {
        return;
    }
    SyncExposureCache(std::max(slot + 1, GetSlotCount()));
    if (exposureCache.size() <= slot) {
        exposureCache.Resize(slot + 1);
    }
    exposureCache.Set(slot, ev);
    FlushExposureCache(GetSlotCount());
}

std::vector<float> Zenithra::GetSlotExposures(int n) {
    n = ClampSlotCount(n);
    SyncExposureCache(n);
    std::vector<float> values(size_t(n), 0.0f);
    for (int i = 0; i < n && i < exposureCache.size(); ++i) {
        values[size_t(i)] = exposureCache[i];
    }
    return values;
}

void Zenithra::SetSlotExposures(const std::vector<float>& values, int n) {
    n = ClampSlotCount(n);
    SyncExposureCache(n);
    std::vector<float> cache(size_t(n), 0.0f);
    std::copy_n(values.begin(), std::min(values.size(), cache.size()), cache.begin());
    exposureCache.Assign(cache);
    FlushExposureCache(n);
}

void SetSlotTabCount(IParamBlock2& block, ParamID id, int n, TimeValue t) {
    int c = block.Count(id);
    block.SetCount(id, n);
    if (block.IDtoIndex(id) < 0) {
        return;
    }
    const ParamDef& def = block.GetParamDef(id);
    for (int i = std::max(c, 0); i < n; ++i) {
        if (id == pb_slotTint || id == pb_slotSunTint) {
            block.SetValue(id, t, *def.def.p4, i);
        } else {
            block.SetValue(id, t, def.def.f, i);
        }
    }
}

void EnsureSlotTabs(IParamBlock2* block, int n) {
    if (!block) {
        return;
    }
    n = ClampSlotCount(n);
    for (ParamID id : kSlotTabOrder) {
        if (block->Count(id) < n) {
            AnimateSuspend noKeys;
            SetSlotTabCount(*block, id, n);
        }
    }
}

float* SlotValueField(AdjustmentParams& values, ParamID id) {
    switch (id) {
        case pb_slotExposure:
            return &values.exposure;
        case pb_slotContrast:
            return &values.contrast;
        case pb_slotSaturation:
            return &values.saturation;
        case pb_slotHue:
            return &values.hue;
        case pb_slotBrightPix:
            return &values.brightPix;
        case pb_slotSunExposure:
            return &values.sunExposure;
        case pb_slotSunSpotSize:
            return &values.sunSpotSize;
        case pb_slotSunSpotHeight:
            return &values.sunSpotHeight;
        default:
            return nullptr;
    }
}
