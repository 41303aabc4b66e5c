#pragma once
// The common part of the standalone host's image source maps (Bitmap, VRayBitmap): a parameter
// block that holds all of the map's state, the image file it names, and the environment lookup.
// Render threads call EvalColor while the user-interface thread reloads the image: the image is
// published through an atomic pointer, and every image ever published lives until the map is
// destroyed, so a sample never reads freed pixels and takes no lock.

#include "maps/HdrImage.h"
#include "maps/OneBlockTexmap.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace standalone {

/// What tells one image map class from another.
struct HdrSourceMapClass {
    ClassDesc2* desc = nullptr;
    const char16_t* className = u"";
    ParamID fileNameParam = -1;    ///< TYPE_FILENAME: the image file (a Windows path)
    ParamID multiplierParam = -1;  ///< TYPE_FLOAT: scales the colour (1 leaves it)
    ParamID gammaParam = -1;       ///< TYPE_FLOAT: c becomes c^(1/gamma); 1 or <= 0 leaves it
};

/// An image map. The image is (re)read on the user-interface thread:
/// - when the block arrives (creation, cloning, scene loading) and when the file-name parameter
///   changes to another name;
/// - by LoadMapFiles and Update when the name or the file's modification time or size differ
///   from the last attempt (a missing file that appears counts as changed);
/// - by Reload, always.
/// A file that cannot be read makes the map evaluate opaque black and adds one host log line
/// per attempt. Reloading sends no notification; callers notify as they need.
class HOST_API HdrSourceMap : public OneBlockTexmap {
public:
    explicit HdrSourceMap(const HdrSourceMapClass& mapClass);
    ~HdrSourceMap() override;

    /// Reads the named file again. True when an image is shown afterwards.
    bool Reload();
    /// False while the map evaluates black for want of an image.
    bool HasImage() const { return image.load(std::memory_order_acquire) != nullptr; }

    void GetClassName(MSTR& s) const override { s = mapClass.className; }
    Class_ID ClassID() override { return mapClass.desc->ClassID(); }
    RefResult NotifyRefChanged(const Interval& changeInt, ReferenceTarget* hTarget, PartID& partID,
                               RefMessage message, bool propagate) override;
    ReferenceTarget* Clone(RemapDir& remap) override;
    /// Reports the file-name parameter as one asset (nothing when it is empty).
    void EnumAuxFiles(AssetEnumCallback& cb, DWORD flags) override;

    void Update(TimeValue t, Interval& valid) override;
    void Reset() override { mapClass.desc->Reset(this); }
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND hw, IMtlParams* imp) override {
        return mapClass.desc->CreateParamDlgs(hw, imp, this);
    }
    int LoadMapFiles(TimeValue t) override;
    /// The image's colour where the sample looks (bilinear), times the multiplier after the
    /// gamma; alpha 1. Opaque black without an image.
    AColor EvalColor(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext&) override { return {0, 0, 0}; }

protected:
    /// The image position (u wraps, v clamps) of the sample under the map's own mapping and
    /// rotation at time t.
    virtual void ImagePosition(ShadeContext& sc, TimeValue t, IParamBlock2& pb, float& u,
                               float& v) = 0;
    void SetReference(int i, ReferenceTarget* target) override;

private:
    MSTR CurrentFileName();
    /// Loads when the name or the file's stamp differ from the last attempt.
    void LoadIfStale();
    /// Reads `fileName` and publishes the result; loadMutex held.
    void Load(const MSTR& fileName);

    const HdrSourceMapClass& mapClass;
    std::atomic<const HdrImage*> image{nullptr};
    // The loading side, on the user-interface thread; the mutex only orders two reloads.
    std::mutex loadMutex;
    bool attempted = false;
    MSTR attemptedName;
    HdrFileStamp attemptedStamp;
    std::vector<std::unique_ptr<HdrImage>> publishedImages;  // freed with the map
};

}  // namespace standalone
