// Slot evaluation: one shading sample of one output slot, on any number of render threads.

#include "shading/Zenithra.h"

#include "core/ZenithraClassDesc.h"

#include "shading/LatLong.h"

#include <algorithm>
#include <cmath>

namespace {

// Entry s of a float table at t (at 0 for a table that does not animate); past the table's end,
// the default that growing the table to the slot count would have written there (s is always
// below the slot count).
float SlotFloat(IParamBlock2& pb, ParamID id, TimeValue t, int s) {
    float value = 0.0f;
    Interval ignored = FOREVER;
    if (pb.GetValue(id, SlotTableTime(id, t), value, ignored, s)) {
        return value;
    }
    return pb.IDtoIndex(id) >= 0 ? pb.GetParamDef(id).def.f : 0.0f;
}

/// Decrements the evaluation count on every way out of EvalSlotColor.
struct EvalCountGuard {
    std::atomic<int32_t>& count;
    ~EvalCountGuard() { count.fetch_sub(1); }
};

}  // namespace

AdjustmentParams Zenithra::BuildAdjustmentParams(int slot, TimeValue t) {
    int n = GetSlotCount();
    if (block && slot >= 0) {
        int s = slot < n ? slot : 0;
        EnsureSlotTabs(block, n);
        SyncExposureCache(std::max(s + 1, n));
    }
    return ReadAdjustmentParams(slot, n, t, false);
}

// Gives exactly what BuildAdjustmentParams gives, but where a table or the cache is shorter
// than the slot needs it reads what growing them would have put there instead of growing them:
// render threads never write the map.
AdjustmentParams Zenithra::ReadAdjustmentParams(int slot, int n, TimeValue t, bool forShading) {
    AdjustmentParams p = kFallbackAdjustmentParams;
    IParamBlock2* pb = block;
    if (!pb || slot < 0) {
        return p;
    }
    int s = slot < n ? slot : 0;
    Interval ignored = FOREVER;

    const bool cacheReady = exposureCacheReady.load();
    if (cacheReady && s < exposureCache.size()) {
        p.exposure = exposureCache[s];
    } else if (cacheReady && exposureCachePending.load()) {
        p.exposure = 0.0f;  // a pending cache grows with zeros
    } else {
        float ev = 0.0f;
        p.exposure = pb->GetValue(pb_slotExposure, 0, ev, ignored, s) ? ev : 0.0f;
    }

    // A shading sample skips what its arithmetic never reads: brightPix always, and the sun's
    // other values when the slot has no disc.
    p.contrast = SlotFloat(*pb, pb_slotContrast, t, s);
    p.saturation = SlotFloat(*pb, pb_slotSaturation, t, s);
    p.hue = SlotFloat(*pb, pb_slotHue, t, s);
    if (!forShading) {
        p.brightPix = SlotFloat(*pb, pb_slotBrightPix, t, s);
    }
    p.sunSpotSize = SlotFloat(*pb, pb_slotSunSpotSize, t, s);
    const bool sunValues = !forShading || DrawsSunDisc(p.sunSpotSize);
    if (sunValues) {
        p.sunExposure = SlotFloat(*pb, pb_slotSunExposure, t, s);
        p.sunSpotHeight = SlotFloat(*pb, pb_slotSunSpotHeight, t, s);
    }
    Point4 tint(1, 1, 1, 1), sunTint(1, 1, 1, 1);
    pb->GetValue(pb_slotTint, t, tint, ignored, s);
    if (sunValues) {
        pb->GetValue(pb_slotSunTint, t, sunTint, ignored, s);
    }
    p.tint = AColor(tint.x, tint.y, tint.z, tint.w);
    p.sunTint = AColor(sunTint.x, sunTint.y, sunTint.z, sunTint.w);
    return p;
}

AColor Zenithra::EvalSlotColor(int slot, ShadeContext& sc) {
    constexpr AColor kRefused(0, 0, 0, 1);
    if (tearingDown.load()) {
        return kRefused;
    }
    inFlightEvals.fetch_add(1);
    EvalCountGuard leave{inFlightEvals};
    if (tearingDown.load()) {
        return kRefused;
    }
    Texmap* source = sourceMap;
    if (!source) {
        return kRefused;
    }
    AColor c = source->EvalColor(sc);
    TimeValue t = sc.CurTime();
    AdjustmentParams p = ReadAdjustmentParams(slot, GetSlotCount(), t, true);
    float rotationDegrees = 0.0f;
    float u = 0.0f, v = 0.0f;
    if (!DrawsSunDisc(p.sunSpotSize)) {
        // No sun disc: the position around the environment changes nothing.
    } else if (FindMapRotation(rotationPlan.load(std::memory_order_acquire), source, t,
                               rotationDegrees)) {
        // The sun disc follows the source map's rotation around the environment.
        LatLongPosition(sc.VectorTo(sc.V(), REF_WORLD), rotationDegrees, u, v);
    } else {
        Point3 uvw = sc.UVW(1);
        u = uvw.x;
        v = uvw.y;
    }
    return ApplyAdjustment(c, p, u, v);
}

Zenithra::SlotShading Zenithra::ReadSlotShading(int slot, TimeValue t) {
    SlotShading shading;
    shading.params = ReadAdjustmentParams(slot, GetSlotCount(), t, true);
    Texmap* source = sourceMap;
    shading.rotated = source && DrawsSunDisc(shading.params.sunSpotSize) &&
                      FindMapRotation(rotationPlan.load(std::memory_order_acquire), source, t,
                                      shading.rotationDegrees);
    return shading;
}
