// The look apply: the variant's entries written back at their frames, in frame order, and the
// one refresh that follows.

#include "history/LookApply.h"

#include "shading/Zenithra.h"
#include "source/MapRotation.h"
#include "source/RenderRefresh.h"
#include "source/SourceFile.h"
#include "source/SourceParamSnapshot.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <algorithm>
#include <set>

namespace {

// The slot tables written at every saved frame, in the order they are written.
constexpr ParamID kFrameFloatIds[] = {pb_slotContrast,    pb_slotSaturation,  pb_slotBrightPix,
                                      pb_slotSunExposure, pb_slotSunSpotSize, pb_slotSunSpotHeight};
constexpr ParamID kFrameColourIds[] = {pb_slotTint, pb_slotSunTint};

// Animate mode on for its lifetime, so that every saved frame becomes a key; restored
// afterwards, also when an exception passes.
class AnimateOnScope {
public:
    AnimateOnScope() : wasOn(Animating() != 0) {
        if (!wasOn) {
            AnimateOn();
        }
    }
    ~AnimateOnScope() {
        if (!wasOn) {
            AnimateOff();
        }
    }
    AnimateOnScope(const AnimateOnScope&) = delete;
    AnimateOnScope& operator=(const AnimateOnScope&) = delete;

private:
    bool wasOn;
};

int SlotIndex(const HistoryEntry& e, int n) {
    return std::clamp(e.slot, 0, n - 1);
}

void NotifyBlockChanged(IParamBlock2& block) {
    block.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, true);
}

Point4 ToPoint4(const AColor& c) {
    return Point4(c.r, c.g, c.b, c.a);
}

// Exposures and hue are not animated: they are set once, before the frames.
void ApplyConstantValues(Zenithra& map, const std::vector<HistoryEntry>& looks,
                         const HistoryEntry& shown, int n) {
    IParamBlock2& block = *map.block;
    auto withExposures = std::find_if(
        looks.begin(), looks.end(), [](const HistoryEntry& e) { return !e.slotExposures.empty(); });
    const HistoryEntry& source = withExposures != looks.end() ? *withExposures : shown;
    const size_t m = std::min(size_t(n), source.slotExposures.size());
    if (m >= 1) {
        std::vector<float> exposures = map.GetSlotExposures(n);
        std::copy_n(source.slotExposures.begin(), m, exposures.begin());
        map.SetSlotExposures(exposures, n);
    } else {
        map.SetSlotExposure(SlotIndex(source, n), source.adjust.exposure);
    }
    NotifyBlockChanged(block);
    map.SlotParamReset(pb_slotHue, SlotIndex(shown, n), shown.adjust.hue);
    EnsureSlotTabs(&block, n);
    // The saved frames replace any earlier animation of the values they write.
    std::set<int> slots;
    for (const HistoryEntry& e : looks) {
        slots.insert(SlotIndex(e, n));
    }
    std::vector<ParamID> written(std::begin(kFrameFloatIds), std::end(kFrameFloatIds));
    written.insert(written.end(), std::begin(kFrameColourIds), std::end(kFrameColourIds));
    for (ParamID id : written) {
        const int index = block.IDtoIndex(id);
        if (index < 0) {
            continue;
        }
        for (int slot : slots) {
            if (slot < block.Count(id) && block.GetControllerByID(id, slot)) {
                block.RemoveController(index, slot);
            }
        }
    }
}

void ApplyFrame(Zenithra& map, const HistoryEntry& e, int n) {
    if (!e.sourceParams.empty()) {
        ApplySourceMapParams(map.sourceMap, e.frame, e.sourceParams);
    } else if (e.hasMapRotation) {
        SetMapRotation(map.sourceMap, e.frame, e.mapRotation);
    }
    if (!map.block) {
        return;
    }
    IParamBlock2& block = *map.block;
    const int slot = SlotIndex(e, n);
    AdjustmentParams a = e.adjust;
    for (ParamID id : kFrameFloatIds) {
        if (slot < block.Count(id)) {
            block.SetValue(id, e.frame, *SlotValueField(a, id), slot);
            NotifyBlockChanged(block);
        }
    }
    const Point4 colours[] = {ToPoint4(a.tint), ToPoint4(a.sunTint)};
    for (size_t i = 0; i < std::size(kFrameColourIds); ++i) {
        if (slot < block.Count(kFrameColourIds[i])) {
            block.SetValue(kFrameColourIds[i], e.frame, colours[i], slot);
            NotifyBlockChanged(block);
        }
    }
}

// Selects the saved camera and, when the viewport looks through a camera, looks through it.
void ApplyCamera(const HistoryEntry& shown) {
    Interface* core = GetCOREInterface();
    if (!core) {
        return;
    }
    INode* node = shown.cameraHandle != 0 ? core->GetINodeByHandle(shown.cameraHandle) : nullptr;
    if (!node && !shown.cameraName.isNull()) {
        node = core->GetINodeByName(shown.cameraName.data());
    }
    if (!node) {
        return;  // the camera has gone since the look was saved
    }
    core->ClearNodeSelection(false);
    core->SelectNode(node);
    try {
        ViewExp& view = core->GetActiveViewExp();
        if (view.IsAlive() && view.GetViewCamera()) {
            view.SetViewCamera(node);
        }
    } catch (...) {
        // a viewport that cannot be asked keeps its view
    }
}

}  // namespace

bool ApplyLook(Zenithra* map, const MSTR& variantId, const HistoryEntry* shown) {
    if (!map || !map->sourceMap) {
        return false;
    }
    const MSTR vid = variantId.isNull() && shown ? VariantKey(*shown) : variantId;
    if (vid.isNull()) {
        return false;
    }
    std::vector<HistoryEntry> looks;
    for (const HistoryEntry& e : map->history) {
        if (VariantKey(e) == vid) {
            looks.push_back(e);
        }
    }
    if (looks.empty()) {
        return false;
    }
    // At equal frames the entry ids decide, so that the later record is written last.
    std::stable_sort(looks.begin(), looks.end(), FrameThenId);
    const HistoryEntry rec = shown ? *shown : looks.front();
    const MSTR hdrPath = looks.front().hdrPath;
    if (!hdrPath.isNull()) {
        SetTexmapFilePath(map->sourceMap, hdrPath);
    }
    const int n = map->GetSlotCount();
    if (map->block) {
        ApplyConstantValues(*map, looks, rec, n);
    }
    {
        AnimateOnScope keys;
        for (const HistoryEntry& e : looks) {
            ApplyFrame(*map, e, n);
        }
    }
    ApplyCamera(rec);

    RefreshAfterSourceChange(map, map->sourceMap, map->mainRollupWnd);
    map->SyncSlotRollups();
    map->NotifyAll(PART_ALL, REFMSG_CHANGE, true);
    if (!hdrPath.isNull()) {
        RefreshHistoryWindows(map, hdrPath, vid);
    }
    return true;
}
