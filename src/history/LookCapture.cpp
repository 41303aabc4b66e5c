// The look capture: which frames and which variant a Save writes, and the entries it builds
// from the scene at each of those frames.

#include "history/LookCapture.h"

#include "core/ZenithraClassDesc.h"
#include "history/HistoryStore.h"
#include "history/PreviewImages.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"
#include "source/MapRotation.h"
#include "source/SourceFile.h"
#include "source/SourceParamSnapshot.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {

struct CameraSeen {
    ULONG handle = 0;
    MSTR name;
    Matrix3 tm;
    bool has = false;
};

// The active viewport's camera at t; a query that throws counts as no camera.
CameraSeen ActiveCamera(Interface* core, TimeValue t) {
    CameraSeen camera;
    try {
        ViewExp& view = core->GetActiveViewExp();
        INode* node = view.IsAlive() ? view.GetViewCamera() : nullptr;
        if (node) {
            camera.handle = node->GetHandle();
            const MCHAR* name = node->GetName();
            camera.name = name ? name : _M("");
            camera.tm = node->GetNodeTM(t);
            camera.has = true;
        }
    } catch (...) {
        camera = CameraSeen{};
    }
    return camera;
}

// The camera node again, by handle first and by name when the handle finds nothing.
INode* FindCamera(Interface* core, ULONG handle, const MSTR& name) {
    INode* node = handle != 0 ? core->GetINodeByHandle(handle) : nullptr;
    if (!node && !name.isNull()) {
        node = core->GetINodeByName(name.data());
    }
    return node;
}

MSTR SavedAtNow() {
    const platform::LocalTime now = platform::GetLocalTimeNow();
    MCHAR text[40];
    std::swprintf(text, std::size(text), _M("%04d-%02d-%02d %02d:%02d:%02d"), now.year, now.month,
                  now.day, now.hour, now.minute, now.second);
    return MSTR(text);
}

const MCHAR* const kOverwritePrompt =
    _M("For this HDR/camera saved variants already exist.\n\nYes - overwrite the latest ")
        _M("variant.\nNo - create one more variant.\nCancel - do nothing.");

}  // namespace

bool CaptureLook(Zenithra* map) {
    if (!map) {
        return false;
    }
    void* owner = map->mainRollupWnd;
    if (!map->sourceMap) {
        platform::ShowMessageBox(owner, _M("Assign a VRayBitmap source map first."),
                                 kHistoryBoxTitle,
                                 platform::kBoxOk | platform::kBoxIconInformation);
        return false;
    }
    Interface* core = GetCOREInterface();
    const TimeValue t = CurrentTime();
    const MSTR path = GetTexmapFilePath(map->sourceMap);
    if (path.isNull()) {
        platform::ShowMessageBox(owner, _M("Current VRayBitmap has no HDR/EXR file path."),
                                 kHistoryBoxTitle,
                                 platform::kBoxOk | platform::kBoxIconInformation);
        return false;
    }
    const CameraSeen camera = core ? ActiveCamera(core, t) : CameraSeen{};

    HistoryStore& store = map->history;
    const MSTR pathKey = MakePathKey(path);
    auto sameLook = [&](const HistoryEntry& e) {
        return MakePathKey(e.hdrPath) == pathKey && SameCamera(camera.name, camera.handle, e);
    };
    // The frames this look was saved at before; else every saved frame; else now.
    std::vector<TimeValue> frames;
    for (const HistoryEntry& e : store) {
        if (sameLook(e)) {
            frames.push_back(e.frame);
        }
    }
    if (frames.empty()) {
        for (const HistoryEntry& e : store) {
            frames.push_back(e.frame);
        }
    }
    if (frames.empty()) {
        frames.push_back(t);
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());

    // Variants of this look in order of first appearance; the last is the latest.
    std::vector<MSTR> variants;
    for (const HistoryEntry& e : store) {
        if (sameLook(e) &&
            std::find(variants.begin(), variants.end(), VariantKey(e)) == variants.end()) {
            variants.push_back(VariantKey(e));
        }
    }
    MSTR variantId;
    bool overwrite = false;
    if (!variants.empty()) {
        const int answer =
            platform::ShowMessageBox(owner, kOverwritePrompt, kHistoryBoxTitle,
                                     platform::kBoxYesNoCancel | platform::kBoxIconQuestion);
        if (answer == platform::kAnswerCancel) {
            return false;
        }
        overwrite = answer == platform::kAnswerYes;
        if (overwrite) {
            variantId = variants.back();
        }
    }
    if (!overwrite) {
        variantId = MakeLookId();
    }
    size_t insertAt = store.size();
    if (overwrite) {
        // The new records take the place of the old variant's first record.
        auto replaced = [&](const HistoryEntry& e) {
            return sameLook(e) && VariantKey(e) == variantId;
        };
        insertAt = size_t(std::find_if(store.begin(), store.end(), replaced) - store.begin());
        store.erase(std::remove_if(store.begin(), store.end(), replaced), store.end());
        insertAt = std::min(insertAt, store.size());
    }

    std::vector<uint8_t> preview;
    CaptureFrameBufferPreview(preview);
    const int n = map->GetSlotCount();
    std::vector<float> exposures = map->GetSlotExposures(n);
    AdjustmentParams adjustNow = map->BuildAdjustmentParams(0, t);
    map->ReadSlotRollupSpinners(exposures, adjustNow);

    std::vector<HistoryEntry> added;
    for (TimeValue f : frames) {
        HistoryEntry e;
        e.entryId = MakeLookId();
        e.variantId = variantId;
        e.hdrPath = path;
        e.frame = f;
        e.cameraHandle = camera.handle;
        e.cameraName = camera.name;
        e.hasCamera = camera.has;
        if (camera.has) {
            e.cameraTM = camera.tm;
            if (INode* node = core ? FindCamera(core, camera.handle, camera.name) : nullptr) {
                e.cameraTM = node->GetNodeTM(f);
            }
        }
        e.slot = 0;
        // Unsaved spinner values belong to the current frame only.
        e.adjust = f == t ? adjustNow : map->BuildAdjustmentParams(0, f);
        if (!exposures.empty()) {
            e.adjust.exposure = exposures[0];
        }
        e.slotExposures = exposures;
        e.savedAt = SavedAtNow();
        e.hasMapRotation = FindMapRotation(map->sourceMap, f, e.mapRotation);
        e.sourceParams = CaptureSourceMapParams(map->sourceMap, f);
        e.previewJpeg = preview;
        if (e.previewJpeg.empty()) {
            CaptureFrameBufferPreview(e.previewJpeg);
        }
        added.push_back(std::move(e));
    }
    store.insert(store.begin() + std::ptrdiff_t(insertAt), added.begin(), added.end());

    CurrentLookRegistry::Put(map, path, variantId);
    RefreshHistoryWindows(map, path, variantId);
    return true;
}
