// Changing the set of slots: the slot count, copying and removing a slot, resetting one value.
// Every change ends in RebuildSlots, so afterwards every table and the exposure cache have the
// slot count's length, the live slots have named proxies and dependents have been told.

#include "ZenithraProxy.h"
#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"

#include <algorithm>

namespace {

// Table order of every slot operation; hue (8) is read and written at time 0.
constexpr ParamID kFloatTables[] = {pb_slotContrast,     pb_slotSaturation,  pb_slotHue,
                                    pb_slotBrightPix,    pb_slotSunExposure, pb_slotSunSpotSize,
                                    pb_slotSunSpotHeight};
constexpr ParamID kColourTables[] = {pb_slotTint, pb_slotSunTint};
constexpr Point4 kWhite(1, 1, 1, 1);

float ReadFloat(IParamBlock2& block, ParamID id, TimeValue t, int index) {
    float v = 0.0f;
    Interval ignored = FOREVER;
    return block.GetValue(id, t, v, ignored, index) ? v : 0.0f;
}

Point4 ReadColour(IParamBlock2& block, ParamID id, TimeValue t, int index) {
    Point4 v = kWhite;
    Interval ignored = FOREVER;
    return block.GetValue(id, t, v, ignored, index) ? v : kWhite;
}

}  // namespace

void Zenithra::SetSlotCount(int n) {
    n = ClampSlotCount(n);
    if (block) {
        block->SetValue(pb_slotCount, 0, n);
    }
    SyncExposureCache(n);
    if (exposureCache.size() > n) {
        exposureCache.Resize(n);
    }
    FlushExposureCache(n);
    RebuildSlots();
}

void Zenithra::RebuildSlots() {
    DestroySlotRollups();
    int n = GetSlotCount();
    if (block) {
        SyncExposureCache(n);
        FlushExposureCache(n);
        // Entries of a shortened table are kept by the host until the block goes, so a render
        // thread that still reads one reads a live value. Animate mode is left as it is.
        for (ParamID id : kSlotTabOrder) {
            SetSlotTabCount(*block, id, n);
        }
    }
    EnsureSlotProxies(n);
    CreateSlotRollups(mainRollupWnd, editParams);
    UpdateMainRollup(mainRollupWnd);
    NotifyDependents(FOREVER, PART_ALL, REFMSG_SUBANIM_STRUCTURE_CHANGED, NOTIFY_ALL, true);
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true);
    NotifyProxies(PART_ALL, REFMSG_SUBANIM_STRUCTURE_CHANGED);
    NotifyProxies(PART_ALL, REFMSG_CHANGE);
}

bool Zenithra::CopySlot(int source) {
    int n = GetSlotCount();
    if (!block || source < 0 || source >= n || n >= kMaxSlots) {
        return false;
    }
    TimeValue t = CurrentTime();
    SyncExposureCache(std::max(source + 1, n));
    float ev = 0.0f;
    if (!exposureCache.empty()) {
        ev = source < exposureCache.size() ? exposureCache[source] : exposureCache[0];
    }
    block->SetValue(pb_slotCount, 0, n + 1);
    SetSlotExposure(n, ev);
    for (ParamID id : kFloatTables) {
        TimeValue tt = SlotTableTime(id, t);
        float value = block->Count(id) > source ? ReadFloat(*block, id, tt, source)
                                                : block->GetParamDef(id).def.f;
        block->SetCount(id, n + 1);
        block->SetValue(id, tt, value, n);
    }
    for (ParamID id : kColourTables) {
        Point4 value = block->Count(id) > source ? ReadColour(*block, id, t, source)
                                                 : *block->GetParamDef(id).def.p4;
        block->SetCount(id, n + 1);
        block->SetValue(id, t, value, n);
    }
    RebuildSlots();
    return true;
}

bool Zenithra::RemoveSlot(int i) {
    int n = GetSlotCount();
    if (!block || n <= 1 || i < 0 || i >= n) {
        return false;
    }
    TimeValue t = CurrentTime();
    SyncExposureCache(n);
    if (i < exposureCache.size()) {
        exposureCache.Erase(i);
    }
    if (exposureCache.empty()) {
        exposureCache.Resize(1);
    }
    FlushExposureCache(n - 1);
    for (ParamID id : kFloatTables) {
        TimeValue tt = SlotTableTime(id, t);
        if (block->Count(id) < n) {
            SetSlotTabCount(*block, id, n, tt);
        }
        for (int j = i; j + 1 < n; ++j) {
            block->SetValue(id, tt, ReadFloat(*block, id, tt, j + 1), j);
        }
        block->SetCount(id, n - 1);
    }
    for (ParamID id : kColourTables) {
        if (block->Count(id) < n) {
            SetSlotTabCount(*block, id, n, t);
        }
        for (int j = i; j + 1 < n; ++j) {
            block->SetValue(id, t, ReadColour(*block, id, t, j + 1), j);
        }
        block->SetCount(id, n - 1);
    }
    block->SetValue(pb_slotCount, 0, n - 1);
    // The last slot's proxy leaves the references; the others keep their index.
    ReplaceReference(n + 1, nullptr);
    RebuildSlots();
    return true;
}

bool Zenithra::SlotParamReset(ParamID id, int slot, float value) {
    constexpr ParamID kResettable[] = {pb_slotExposure,    pb_slotContrast,     pb_slotSaturation,
                                       pb_slotBrightPix,   pb_slotSunExposure,  pb_slotHue,
                                       pb_slotSunSpotSize, pb_slotSunSpotHeight};
    if (!block || slot < 0 || slot >= GetSlotCount() ||
        std::find(std::begin(kResettable), std::end(kResettable), id) == std::end(kResettable)) {
        return false;
    }
    if (block->Count(id) <= slot) {
        block->SetCount(id, slot + 1);
    }
    int index = block->IDtoIndex(id);
    if (index < 0) {
        return false;
    }
    if (block->GetControllerByID(id, slot)) {
        block->RemoveController(index, slot);
    }
    {
        AnimateSuspend noKeys;
        if (slot < block->Count(id)) {
            block->SetValue(id, 0, value, slot);
        }
    }
    if (id == pb_slotExposure) {
        SyncExposureCache(GetSlotCount());
        if (slot < exposureCache.size()) {
            exposureCache.Set(slot, value);
        }
        FlushExposureCache(GetSlotCount());
    }
    validity = NEVER;
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true);
    NotifyProxies(PART_ALL, REFMSG_CHANGE);
    return true;
}
