#include "maps/VRayBitmapMap.h"

#include "maps/HdrSourceMap.h"

namespace standalone {

namespace {

class VRayBitmapMapClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override;
    const wchar_t* ClassName() override { return L"VRayBitmap"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kVRayBitmapMapClassID; }
    const wchar_t* Category() override { return TEXMAP_CAT_ENV; }
    HINSTANCE HInstance() override { return nullptr; }
};

VRayBitmapMapClassDesc& Desc() {
    static VRayBitmapMapClassDesc desc;
    return desc;
}

ParamBlockDesc2 vrayBitmapBlockDesc(
    0, L"vrayBitmapParams", 0, &Desc(), P_AUTO_CONSTRUCT, 0, {},
    {MakeBlockParam(kVRayHdriMapName, L"HDRIMapName", TYPE_FILENAME, 0),
     MakeBlockParam(kVRayMappingType, L"mapping_type", TYPE_INT, 0, 0.0f, 1),
     MakeBlockParam(kVRayMappingChannel, L"mapping_channel", TYPE_INT, 0, 0.0f, 1),
     MakeBlockParam(kVRayHorizontalRotation, L"horizontal_rotation", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kVRayVerticalRotation, L"vertical_rotation", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kVRayURotation, L"u_rotation", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kVRayHorizontalFlip, L"horizontal_flip", TYPE_BOOL, 0),
     MakeBlockParam(kVRayMultiplier, L"multiplier", TYPE_FLOAT, P_ANIMATABLE, 1.0f),
     MakeBlockParam(kVRayGamma, L"gamma", TYPE_FLOAT, 0, 1.0f)});

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
