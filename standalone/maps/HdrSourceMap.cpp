#include "maps/HdrSourceMap.h"

#include "scene/HostLog.h"
#include "scene/HostParamBlock.h"
#include "scene/StandaloneHost.h"

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>
#include "maps/EnvironmentRows.h"
#include "render/EnvironmentSample.h"
#include "shading/LatLong.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <unordered_set>
#include <vector>

namespace standalone {

namespace {
std::atomic<int> heldImages{0};
}  // namespace

// A published image, counted while it is allocated.
struct HdrSourceMap::HeldImage : HdrImage {
    explicit HeldImage(HdrImage&& loaded) : HdrImage(std::move(loaded)) { heldImages.fetch_add(1); }
    ~HeldImage() { heldImages.fetch_sub(1); }
};

int HdrSourceMap::HeldImageCount() {
    return heldImages.load();
}

void SetTilt(ImagePlacement& p, float aboutXRadians, float aboutYRadians) {
    p.tilted = aboutXRadians != 0.0f || aboutYRadians != 0.0f;
    float cx = std::cos(aboutXRadians), sx = std::sin(aboutXRadians);
    float cy = std::cos(aboutYRadians), sy = std::sin(aboutYRadians);
    // The turn about Y after the turn about X.
    p.tilt[0] = Point3(cy, sy * sx, sy * cx);
    p.tilt[1] = Point3(0, cx, -sx);
    p.tilt[2] = Point3(-sy, cy * sx, cy * cx);
}

namespace {

// The image position (u, v) a sample looks at under a placement, not yet wrapped or clamped.
template <class Context>
void ImagePosition(Context& sc, const ImagePlacement& p, float& u, float& v) {
    if (p.mapChannel) {
        Point3 uvw = sc.UVW(p.channel);
        u = uvw.x + p.uShift;
        v = uvw.y;
    } else {
        Point3 d = sc.VectorTo(sc.V(), REF_WORLD);
        if (p.tilted) {
            const Point3* r = p.tilt;
            d = Point3(r[0].x * d.x + r[0].y * d.y + r[0].z * d.z,
                       r[1].x * d.x + r[1].y * d.y + r[1].z * d.z,
                       r[2].x * d.x + r[2].y * d.y + r[2].z * d.z);
        }
        LatLongPosition(d, p.rotationDegrees, u, v);
        // Only a shift moves u out of 0..1; without one the lookup takes u as it is.
        if (p.uShift != 0.0f) {
            u += p.uShift;
        }
        if (p.vShift != 0.0f) {
            v += p.vShift;
        }
    }
    if (p.flipU) {
        u = 1.0f - u;
    }
}

float Gamma(float component, float exponent) {
    return std::pow(std::fmax(component, 0.0f), exponent);
}

// The image's colour where the sample looks, as EvalColor gives it. A template so that rows of
// the host's own samples call their functions directly.
template <class Context>
AColor ImageColor(const HdrImage& image, const ImagePlacement& p, Context& sc) {
    float u = 0, v = 0;
    ImagePosition(sc, p, u, v);
    AColor c = SampleLatLong(image, u, v);
    if (p.applyGamma) {
        c.r = Gamma(c.r, p.gammaExponent);
        c.g = Gamma(c.g, p.gammaExponent);
        c.b = Gamma(c.b, p.gammaExponent);
    }
    return AColor(c.r * p.multiplier, c.g * p.multiplier, c.b * p.multiplier, 1.0f);
}

// An image map at one time; black without an image, as EvalColor.
class ImageRows final : public EnvironmentRowSource {
public:
    ImageRows(const HdrImage* image, const ImagePlacement& placement, TimeValue t)
        : image(image), placement(placement), time(t) {}
    void ColorsOfRow(const Point3* directions, int count, float* rgb) const override {
        // A copy the colours written below cannot alias: what derives from it alone is worked
        // out once for the row.
        const ImagePlacement p = placement;
        if (!image) {
            for (int i = 0; i < 3 * count; ++i) {
                rgb[i] = 0.0f;
            }
            return;
        }
        // In pieces: every sample's image position first, then the image's colours at them,
        // so that neither waits on the other sample by sample.
        constexpr int kPiece = 64;
        float u[kPiece], v[kPiece];
        for (int first = 0; first < count; first += kPiece) {
            const int n = std::min(kPiece, count - first);
            for (int i = 0; i < n; ++i) {
                EnvironmentSample sample(directions[first + i], time);
                ImagePosition(sample, p, u[i], v[i]);
            }
            float* out = rgb + 3 * first;
            SampleLatLongRow(*image, u, v, n, out);
            for (int i = 0; p.applyGamma && i < 3 * n; ++i) {
                out[i] = Gamma(out[i], p.gammaExponent);
            }
            for (int i = 0; i < 3 * n; ++i) {
                out[i] = out[i] * p.multiplier;
            }
        }
    }

private:
    const HdrImage* image;
    ImagePlacement placement;
    TimeValue time;
};

}  // namespace

HdrSourceMap::HdrSourceMap(const HdrSourceMapClass& mapClass) : mapClass(mapClass) {
    mapClass.desc->MakeAutoParamBlocks(this);
}

HdrSourceMap::~HdrSourceMap() {
    DeleteAllRefsFromMe();
    // Nothing evaluates a map that is being destroyed.
    delete image.load();
    delete placement.load();
}

std::wstring HdrSourceMap::CurrentFileName() {
    const MCHAR* name = nullptr;
    if (block) {
        Interval valid = FOREVER;
        block->GetValue(mapClass.fileNameParam, 0, name, valid);
    }
    return name ? std::wstring(name) : std::wstring();
}

void HdrSourceMap::LoadFile(const std::wstring& fileName) {
    attempted = true;
    attemptedName = fileName;
    // Stamped before reading: a file rewritten during the read is read again next time.
    attemptedStamp = StampHdrFile(fileName);
    attemptError.clear();
    if (fileName.empty()) {
        Publish(nullptr);
        return;
    }
    std::string error;
    try {
        HdrImage loaded;
        if (LoadHdrImage(fileName, loaded, &error)) {
            Publish(new HeldImage(std::move(loaded)));
            return;
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    Publish(nullptr);
    attemptError = error.empty() ? "cannot read the image" : error;
    HostLog(platform::WideToUtf8(mapClass.className) + ": cannot load \"" +
            platform::WideToUtf8(fileName) + "\": " + error);
}

bool HdrSourceMap::LoadProblem(std::wstring& file, std::string& reason) {
    std::lock_guard<std::mutex> lock(loadMutex);
    if (attemptError.empty()) {
        return false;
    }
    file = attemptedName;
    reason = attemptError;
    return true;
}

bool FindUnreadImage(ReferenceTarget* shown, std::wstring& file, std::string& reason) {
    if (!shown) {
        return false;
    }
    std::vector<ReferenceMaker*> pending{shown};
    for (ReferenceMaker* holder : DependentsOf(shown)) {
        if (holder && holder->SuperClassID() == TEXMAP_CLASS_ID) {
            pending.push_back(holder);
        }
    }
    std::unordered_set<ReferenceMaker*> seen;
    while (!pending.empty()) {
        ReferenceMaker* maker = pending.back();
        pending.pop_back();
        if (!seen.insert(maker).second) {
            continue;
        }
        if (auto* imageMap = dynamic_cast<HdrSourceMap*>(maker);
            imageMap && imageMap->LoadProblem(file, reason)) {
            return true;
        }
        for (int i = maker->NumRefs() - 1; i >= 0; --i) {
            if (ReferenceTarget* target = maker->GetReference(i)) {
                pending.push_back(target);
            }
        }
    }
    return false;
}

void HdrSourceMap::Publish(const HeldImage* next) {
    retired.Retire(image.exchange(next, std::memory_order_acq_rel));
}

void HdrSourceMap::ReadPlacement(IParamBlock2& pb, TimeValue t, ImagePlacement& p,
                                 Interval& valid) {
    mapClass.readMapping(pb, t, p, valid);
    float gamma = 1.0f;
    pb.GetValue(mapClass.multiplierParam, t, p.multiplier, valid);
    pb.GetValue(mapClass.gammaParam, t, gamma, valid);
    p.applyGamma = gamma != 1.0f && gamma > 0.0f;
    p.gammaExponent = p.applyGamma ? 1.0f / gamma : 1.0f;
}

void HdrSourceMap::RefreshPlacement() {
    const ImagePlacement* next = nullptr;
    if (block && hostBlock) {
        auto p = std::make_unique<ImagePlacement>();
        // The version first: values read after it are at least as new.
        p->blockVersion = hostBlock->Version();
        Interval valid = FOREVER;
        ReadPlacement(*block, 0, *p, valid);
        if (valid == FOREVER) {
            next = p.release();
        }
    }
    retired.Retire(placement.exchange(next, std::memory_order_acq_rel));
}

void HdrSourceMap::LoadIfStale() {
    std::wstring name = CurrentFileName();
    std::lock_guard<std::mutex> lock(loadMutex);
    if (!attempted || name != attemptedName || StampHdrFile(name) != attemptedStamp) {
        LoadFile(name);
    }
    // Images replaced while samples were reading them go once no sample can read them.
    retired.Reclaim();
}

bool HdrSourceMap::Reload() {
    std::wstring name = CurrentFileName();
    std::lock_guard<std::mutex> lock(loadMutex);
    LoadFile(name);
    return HasImage();
}

void HdrSourceMap::SetReference(int i, RefTargetHandle target) {
    if (i != 0) {
        return;
    }
    OneBlockTexmap::SetReference(i, target);
    hostBlock = dynamic_cast<HostParamBlock*>(block);
    {
        std::lock_guard<std::mutex> lock(loadMutex);
        RefreshPlacement();
    }
    // A loaded scene sets its blocks here, on the user-interface thread, with their values
    // already read: the image is ready before the first render sample.
    if (block) {
        LoadIfStale();
    }
}

RefResult HdrSourceMap::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&,
                                         RefMessage message, BOOL) {
    if (message == REFMSG_CHANGE && hTarget == block && block) {
        // Any parameter change arrives here; only another file name means another image.
        std::wstring name = CurrentFileName();
        std::lock_guard<std::mutex> lock(loadMutex);
        RefreshPlacement();
        if (!attempted || name != attemptedName) {
            LoadFile(name);
        }
    }
    return REF_SUCCEED;
}

RefTargetHandle HdrSourceMap::Clone(RemapDir& remap) {
    auto* copy = static_cast<HdrSourceMap*>(static_cast<Texmap*>(mapClass.desc->Create(FALSE)));
    copy->ReplaceReference(0, remap.CloneRef(block));
    BaseClone(this, copy, remap);
    return copy;
}

void HdrSourceMap::EnumAuxFiles(AssetEnumCallback& cb, DWORD) {
    std::wstring name = CurrentFileName();
    if (!name.empty()) {
        cb.RecordAsset(MakeAssetUser(MSTR(name.c_str())));
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

const ImagePlacement& HdrSourceMap::PlacementAt(IParamBlock2& pb, TimeValue t,
                                                ImagePlacement& atTime) {
    // Parameters that hold at every time were read once; a change since, or animation, makes
    // the sample read them.
    const ImagePlacement* p = placement.load(std::memory_order_acquire);
    if (!p || !hostBlock || p->blockVersion != hostBlock->Version()) {
        Interval valid = FOREVER;
        ReadPlacement(pb, t, atTime, valid);
        p = &atTime;
    }
    return *p;
}

AColor HdrSourceMap::EvalColor(ShadeContext& sc) {
    ReadSection reading;
    const HdrImage* shown = image.load(std::memory_order_acquire);
    IParamBlock2* pb = block;
    if (!shown || !pb) {
        return AColor(0, 0, 0, 1);
    }
    ImagePlacement atTime;
    return ImageColor(*shown, PlacementAt(*pb, sc.CurTime(), atTime), sc);
}

std::unique_ptr<EnvironmentRowSource> HdrSourceMap::RowSource(TimeValue t) {
    const HdrImage* shown = image.load(std::memory_order_acquire);
    IParamBlock2* pb = block;
    ImagePlacement atTime;
    return std::make_unique<ImageRows>(pb ? shown : nullptr,
                                       pb ? PlacementAt(*pb, t, atTime) : atTime, t);
}

}  // namespace standalone
