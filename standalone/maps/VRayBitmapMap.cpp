#include "maps/VRayBitmapMap.h"

#include "maps/HdrSourceMap.h"

namespace standalone {

namespace {

class VRayBitmapMapClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override;
    const MCHAR* ClassName() override { return L"VRayBitmap"; }
    const MCHAR* NonLocalizedClassName() override { return L"VRayBitmap"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kVRayBitmapMapClassID; }
    const MCHAR* Category() override { return TEXMAP_CAT_ENV; }
};

VRayBitmapMapClassDesc& Desc() {
    static VRayBitmapMapClassDesc desc;
    return desc;
}

// clang-format off
ParamBlockDesc2 vrayBitmapBlockDesc(
    0, L"vrayBitmapParams", 0, &Desc(), P_AUTO_CONSTRUCT,
    // The owner's reference number of the block.
    0,
    kVRayHdriMapName, L"HDRIMapName", TYPE_FILENAME, 0, 0,
        p_end,
    kVRayMappingType, L"mapping_type", TYPE_INT, 0, 0,
        p_default, 1,
        p_end,
    kVRayMappingChannel, L"mapping_channel", TYPE_INT, 0, 0,
        p_default, 1,
        p_end,
    kVRayHorizontalRotation, L"horizontal_rotation", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kVRayVerticalRotation, L"vertical_rotation", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kVRayURotation, L"u_rotation", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kVRayHorizontalFlip, L"horizontal_flip", TYPE_BOOL, 0, 0,
        p_default, 0,
        p_end,
    kVRayMultiplier, L"multiplier", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 1.0f,
        p_end,
    kVRayGamma, L"gamma", TYPE_FLOAT, 0, 0,
        p_default, 1.0f,
        p_end,
    p_end);
// clang-format on

void ReadMapping(IParamBlock2& pb, TimeValue t, ImagePlacement& p, Interval& valid) {
    int mappingType = 1, flip = 0;
    pb.GetValue(kVRayMappingType, t, mappingType, valid);
    pb.GetValue(kVRayHorizontalFlip, t, flip, valid);
    p.flipU = flip != 0;
    if (mappingType == 0) {
        float uRotationDegrees = 0;
        p.mapChannel = true;
        pb.GetValue(kVRayMappingChannel, t, p.channel, valid);
        pb.GetValue(kVRayURotation, t, uRotationDegrees, valid);
        p.uShift = uRotationDegrees / 360.0f;
    } else {
        float verticalDegrees = 0;
        pb.GetValue(kVRayHorizontalRotation, t, p.rotationDegrees, valid);
        pb.GetValue(kVRayVerticalRotation, t, verticalDegrees, valid);
        SetTilt(p, verticalDegrees / kDegreesPerRadian, 0);
    }
}

const HdrSourceMapClass& VRayBitmapClass() {
    static const HdrSourceMapClass mapClass{&Desc(),         L"VRayBitmap", kVRayHdriMapName,
                                            kVRayMultiplier, kVRayGamma,    &ReadMapping};
    return mapClass;
}

void* VRayBitmapMapClassDesc::Create(BOOL) {
    return static_cast<Texmap*>(new HdrSourceMap(VRayBitmapClass()));
}

}  // namespace

ClassDesc2* GetVRayBitmapMapDesc() {
    return &Desc();
}

Texmap* CreateVRayBitmapMap() {
    return static_cast<Texmap*>(Desc().Create(FALSE));
}

}  // namespace standalone
