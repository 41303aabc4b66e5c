#include "maps/HdrSourceMap.h"

#include "scene/HostLog.h"

#include "host/AssetManagement.h"
#include "platform/Platform.h"

#include <cmath>
#include <exception>

namespace standalone {

HdrSourceMap::HdrSourceMap(const HdrSourceMapClass& mapClass) : mapClass(mapClass) {
    mapClass.desc->MakeAutoParamBlocks(this);
}

HdrSourceMap::~HdrSourceMap() {
    DeleteAllRefsFromMe();
}

MSTR HdrSourceMap::CurrentFileName() {
    MSTR name;
    if (block) {
        Interval valid = FOREVER;
        block->GetValue(mapClass.fileNameParam, 0, name, valid);
    }
    return name;
}

void HdrSourceMap::Load(const MSTR& fileName) {
    attempted = true;
    attemptedName = fileName;
    // Stamped before reading: a file rewritten during the read is read again next time.
    attemptedStamp = StampHdrFile(fileName);
    if (fileName.empty()) {
        image.store(nullptr, std::memory_order_release);
        return;
    }
    std::string error;
    try {
        auto next = std::make_unique<HdrImage>();
        if (LoadHdrImage(fileName, *next, &error)) {
            publishedImages.push_back(std::move(next));
            image.store(publishedImages.back().get(), std::memory_order_release);
            return;
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    image.store(nullptr, std::memory_order_release);
    HostLog(platform::Utf16ToUtf8(mapClass.className) + ": cannot load \"" +
            platform::Utf16ToUtf8(fileName) + "\": " + error);
}

void HdrSourceMap::LoadIfStale() {
    MSTR name = CurrentFileName();
    std::lock_guard<std::mutex> lock(loadMutex);
    if (!attempted || name != attemptedName || StampHdrFile(name) != attemptedStamp) {
        Load(name);
    }
}

bool HdrSourceMap::Reload() {
    MSTR name = CurrentFileName();
    std::lock_guard<std::mutex> lock(loadMutex);
    Load(name);
    return HasImage();
}

void HdrSourceMap::SetReference(int i, ReferenceTarget* target) {
    if (i != 0) {
        return;
    }
    OneBlockTexmap::SetReference(i, target);
    // A loaded scene sets its blocks here, on the user-interface thread, with their values
    // already read: the image is ready before the first render sample.
    if (block) {
        LoadIfStale();
    }
}

RefResult HdrSourceMap::NotifyRefChanged(const Interval&, ReferenceTarget* hTarget, PartID&,
                                         RefMessage message, bool) {
    if (message == REFMSG_CHANGE && hTarget == block && block) {
        // Any parameter change arrives here; only another file name means another image.
        MSTR name = CurrentFileName();
        std::lock_guard<std::mutex> lock(loadMutex);
        if (!attempted || name != attemptedName) {
            Load(name);
        }
    }
    return REF_SUCCEED;
}

ReferenceTarget* HdrSourceMap::Clone(RemapDir& remap) {
    auto* copy = static_cast<HdrSourceMap*>(static_cast<Texmap*>(mapClass.desc->Create(FALSE)));
    copy->ReplaceReference(0, remap.CloneRef(block));
    BaseClone(this, copy, remap);
    return copy;
}

void HdrSourceMap::EnumAuxFiles(AssetEnumCallback& cb, DWORD) {
    MSTR name = CurrentFileName();
    if (!name.empty()) {
        cb.RecordAsset(MaxSDK::AssetManagement::AssetUser(name));
    }
}

void HdrSourceMap::Update(TimeValue t, Interval& valid) {
    LoadIfStale();
    if (block) {
        block->GetValidity(t, valid);
    }
}

Interval HdrSourceMap::Validity(TimeValue t) {
    Interval valid = FOREVER;
    if (block) {
        block->GetValidity(t, valid);
    }
    return valid;
}

// The host's LoadMapFiles reads the file again: a refresh after a source change relies on it.
int HdrSourceMap::LoadMapFiles(TimeValue) {
    Reload();
    return 1;
}

AColor HdrSourceMap::EvalColor(ShadeContext& sc) {
    const HdrImage* shown = image.load(std::memory_order_acquire);
    IParamBlock2* pb = block;
    if (!shown || !pb) {
        return AColor(0, 0, 0, 1);
    }
    TimeValue t = sc.CurTime();
    float u = 0, v = 0;
    ImagePosition(sc, t, *pb, u, v);
    AColor c = SampleLatLong(*shown, u, v);
    float multiplier = 1.0f, gamma = 1.0f;
    Interval valid = FOREVER;
    pb->GetValue(mapClass.multiplierParam, t, multiplier, valid);
    pb->GetValue(mapClass.gammaParam, t, gamma, valid);
    if (gamma != 1.0f && gamma > 0.0f) {
        float exponent = 1.0f / gamma;
        c.r = std::pow(std::fmax(c.r, 0.0f), exponent);
        c.g = std::pow(std::fmax(c.g, 0.0f), exponent);
        c.b = std::pow(std::fmax(c.b, 0.0f), exponent);
    }
    return AColor(c.r * multiplier, c.g * multiplier, c.b * multiplier, 1.0f);
}

}  // namespace standalone
