#pragma once
// The common part of the standalone host's image source maps (Bitmap, VRayBitmap): a parameter
// block that holds all of the map's state, the image file it names, and the environment lookup.
// Render threads call EvalColor while the user-interface thread reloads the image or changes a
// parameter: the image and the placement read from the parameters are published through atomic
// pointers, and the ones they replace are freed once no sample can still read them (see
// scene/Retirement.h), so a sample never reads freed pixels and takes no lock.

#include <iparamm2.h>

#include "maps/HdrImage.h"
#include "maps/OneBlockTexmap.h"
#include "scene/Retirement.h"
#include "scene/ZenhostApi.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class HostParamBlock;

namespace standalone {

class EnvironmentRowSource;

constexpr float kDegreesPerRadian = 57.295776f;

/// Where an image map looks and how it scales what it finds, from its parameters at one time.
/// The spherical environment turns the sample's world direction by `tilt` (when `tilted`), takes
/// its LatLongPosition under `rotationDegrees`, then adds `uShift` and `vShift`; map-channel
/// mapping takes (u, v) from the sample's UVW and adds `uShift`. Either way u wraps, v clamps,
/// and `flipU` mirrors u last.
struct ImagePlacement {
    bool mapChannel = false;
    int channel = 1;
    float rotationDegrees = 90.0f;  ///< about Z; 90 leaves the spherical coordinates
    bool tilted = false;
    Point3 tilt[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  ///< rows of the turn
    float uShift = 0.0f;
    float vShift = 0.0f;
    bool flipU = false;
    float multiplier = 1.0f;
    bool applyGamma = false;     ///< gamma is neither 1 nor <= 0
    float gammaExponent = 1.0f;  ///< 1 / gamma
    uint64_t blockVersion = 0;   ///< the block's version the values were read at
};

/// Sets `p.tilt` to a turn of the lookup direction by aboutXRadians about X, then by
/// aboutYRadians about Y (each counter-clockwise seen from the axis' positive end); no turn when
/// both are 0.
void SetTilt(ImagePlacement& p, float aboutXRadians, float aboutYRadians);

/// What tells one image map class from another.
struct HdrSourceMapClass {
    ClassDesc2* desc = nullptr;
    const wchar_t* className = L"";
    ParamID fileNameParam = -1;    ///< TYPE_FILENAME: the image file (a Windows path)
    ParamID multiplierParam = -1;  ///< TYPE_FLOAT: scales the colour (1 leaves it)
    ParamID gammaParam = -1;       ///< TYPE_FLOAT: c becomes c^(1/gamma); 1 or <= 0 leaves it
    /// Reads the class's own mapping (everything but the multiplier and gamma) at time t and
    /// narrows `valid` to where the values hold.
    void (*readMapping)(IParamBlock2& pb, TimeValue t, ImagePlacement& p,
                        Interval& valid) = nullptr;
};

/// An image map. The image is (re)read on the user-interface thread:
/// - when the block arrives (creation, cloning, scene loading) and when the file-name parameter
///   changes to another name;
/// - by LoadMapFiles and Update when the name or the file's modification time or size differ
///   from the last attempt (a missing file that appears counts as changed);
/// - by Reload, always.
/// A file that cannot be read makes the map evaluate opaque black and adds one host log line
/// per attempt. Reloading sends no notification; callers notify as they need.
class ZENHOST_API HdrSourceMap : public OneBlockTexmap {
public:
    explicit HdrSourceMap(const HdrSourceMapClass& mapClass);
    ~HdrSourceMap() override;

    /// Reads the named file again. True when an image is shown afterwards.
    bool Reload();
    /// False while the map evaluates black for want of an image.
    bool HasImage() const { return image.load(std::memory_order_acquire) != nullptr; }
    /// True when the last attempt to read the named file failed: the file and the reason
    /// (not found, damaged, unsupported compression, ...). False with no file named.
    bool LoadProblem(std::wstring& file, std::string& reason);

    void GetClassName(MSTR& s, bool = true) const override { s = mapClass.className; }
    Class_ID ClassID() override { return mapClass.desc->ClassID(); }
    RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;
    RefTargetHandle Clone(RemapDir& remap) override;
    /// Reports the file-name parameter as one asset (nothing when it is empty).
    void EnumAuxFiles(AssetEnumCallback& cb, DWORD flags = FILE_ENUM_ALL) override;

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
    /// EvalColor for rows of samples at time t (see EnvironmentRows.h).
    std::unique_ptr<EnvironmentRowSource> RowSource(TimeValue t);

    /// Images that image maps of this process hold: shown, or replaced and waiting until no
    /// sample can read them.
    static int HeldImageCount();

protected:
    void SetReference(int i, ReferenceTarget* target) override;

private:
    struct HeldImage;

    std::wstring CurrentFileName();
    /// Loads when the name or the file's stamp differ from the last attempt.
    void LoadIfStale();
    /// Reads `fileName` and publishes the result; loadMutex held.
    void LoadFile(const std::wstring& fileName);
    void Publish(const HeldImage* next);
    /// The whole placement at time t.
    void ReadPlacement(IParamBlock2& pb, TimeValue t, ImagePlacement& p, Interval& valid);
    /// The placement at time t: the published one while the block holds the values it was read
    /// at, else the block's values read into `atTime`.
    const ImagePlacement& PlacementAt(IParamBlock2& pb, TimeValue t, ImagePlacement& atTime);
    /// Publishes the placement when no parameter is animated, else none (samples then read the
    /// block); loadMutex held.
    void RefreshPlacement();

    const HdrSourceMapClass& mapClass;
    std::atomic<const HeldImage*> image{nullptr};
    std::atomic<const ImagePlacement*> placement{nullptr};
    HostParamBlock* hostBlock = nullptr;  // the block, when the host made it: its version
    // The writing side; the mutex orders reloads and placement changes from any thread.
    std::mutex loadMutex;
    bool attempted = false;
    std::wstring attemptedName;
    std::string attemptError;  // empty when the attempt succeeded
    HdrFileStamp attemptedStamp;
    RetiredList retired;
};

/// The first image map that `shown` draws on whose file could not be read: below `shown` in
/// the reference graph, or below a map that holds `shown` (the master of an output map holds
/// it). Its file and the reason; false when every image map found shows its image.
ZENHOST_API bool FindUnreadImage(ReferenceTarget* shown, std::wstring& file, std::string& reason);

}  // namespace standalone
