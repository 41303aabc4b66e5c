// Slot evaluation: one shading sample of one output slot, on any number of render threads.

#include "shading/Zenithra.h"

#include "host/LatLong.h"

#include <algorithm>
#include <cmath>

namespace {

// The float tables and where each lands in the record. Hue is not animatable and is read at
// time 0. A shading sample skips what its arithmetic never reads: brightPix always, and the
// sun's values when the slot has no disc (the spot size is read before them to know that).
enum class FieldUse { Shading, RecordOnly, SunDisc };
struct FloatField {
    ParamID id;
    float AdjustmentParams::*field;
    bool atTimeZero;
    FieldUse use;
};
constexpr FloatField kFloatFields[] = {
    {pb_slotContrast, &AdjustmentParams::contrast, false, FieldUse::Shading},
    {pb_slotSaturation, &AdjustmentParams::saturation, false, FieldUse::Shading},
    {pb_slotHue, &AdjustmentParams::hue, true, FieldUse::Shading},
    {pb_slotBrightPix, &AdjustmentParams::brightPix, false, FieldUse::RecordOnly},
    {pb_slotSunSpotSize, &AdjustmentParams::sunSpotSize, false, FieldUse::Shading},
    {pb_slotSunExposure, &AdjustmentParams::sunExposure, false, FieldUse::SunDisc},
    {pb_slotSunSpotHeight, &AdjustmentParams::sunSpotHeight, false, FieldUse::SunDisc},
};

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

    for (const FloatField& f : kFloatFields) {
        if (forShading && (f.use == FieldUse::RecordOnly ||
                           (f.use == FieldUse::SunDisc && !DrawsSunDisc(p.sunSpotSize)))) {
            continue;
        }
        float value = 0.0f;
        if (!pb->GetValue(f.id, f.atTimeZero ? 0 : t, value, ignored, s)) {
            // Past the table's end: the default that growing the table would have written.
            const ParamDef* def = s < n ? pb->GetParamDef(f.id) : nullptr;
            value = def ? def->defFloat : 0.0f;
        }
        p.*(f.field) = value;
    }
    Point4 tint(1, 1, 1, 1), sunTint(1, 1, 1, 1);
    pb->GetValue(pb_slotTint, t, tint, ignored, s);
    if (!forShading || DrawsSunDisc(p.sunSpotSize)) {
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
