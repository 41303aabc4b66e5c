#include "maps/VRayBitmapMap.h"

#include "maps/HdrSourceMap.h"

namespace standalone {

namespace {

class VRayBitmapMapClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override;
    const char16_t* ClassName() override { return u"VRayBitmap"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kVRayBitmapMapClassID; }
    const char16_t* Category() override { return TEXMAP_CAT_ENV; }
    HINSTANCE HInstance() override { return nullptr; }
};

VRayBitmapMapClassDesc& Desc() {
    static VRayBitmapMapClassDesc desc;
    return desc;
}

ParamBlockDesc2 vrayBitmapBlockDesc(
    0, u"vrayBitmapParams", 0, &Desc(), P_AUTO_CONSTRUCT, 0, {},
    {MakeBlockParam(kVRayHdriMapName, u"HDRIMapName", TYPE_FILENAME, 0),
     MakeBlockParam(kVRayMappingType, u"mapping_type", TYPE_INT, 0, 0.0f, 1),
     MakeBlockParam(kVRayMappingChannel, u"mapping_channel", TYPE_INT, 0, 0.0f, 1),
     MakeBlockParam(kVRayHorizontalRotation, u"horizontal_rotation", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kVRayVerticalRotation, u"vertical_rotation", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kVRayURotation, u"u_rotation", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kVRayHorizontalFlip, u"horizontal_flip", TYPE_BOOL, 0),
     MakeBlockParam(kVRayMultiplier, u"multiplier", TYPE_FLOAT, P_ANIMATABLE, 1.0f),
     MakeBlockParam(kVRayGamma, u"gamma", TYPE_FLOAT, 0, 1.0f)});

const HdrSourceMapClass& VRayBitmapClass() {
    static const HdrSourceMapClass mapClass{&Desc(), u"VRayBitmap", kVRayHdriMapName,
                                            kVRayMultiplier, kVRayGamma};
    return mapClass;
}

class VRayBitmapMap : public HdrSourceMap {
public:
    VRayBitmapMap() : HdrSourceMap(VRayBitmapClass()) {}

protected:
    void ImagePosition(ShadeContext& sc, TimeValue t, IParamBlock2& pb, float& u,
                       float& v) override {
        Interval valid = FOREVER;
        int mappingType = 1, flip = 0;
        pb.GetValue(kVRayMappingType, t, mappingType, valid);
        if (mappingType == 0) {
            int channel = 1;
            float uRotationDegrees = 0;
            pb.GetValue(kVRayMappingChannel, t, channel, valid);
            pb.GetValue(kVRayURotation, t, uRotationDegrees, valid);
            Point3 uvw = sc.UVW(channel);
            u = uvw.x + uRotationDegrees / 360.0f;
            v = uvw.y;
        } else {
            float rotationDegrees = 0;
            pb.GetValue(kVRayHorizontalRotation, t, rotationDegrees, valid);
            LatLongPosition(sc.VectorTo(sc.V(), REF_WORLD), rotationDegrees, u, v);
        }
        pb.GetValue(kVRayHorizontalFlip, t, flip, valid);
        if (flip) {
            u = 1.0f - u;
        }
    }
};

void* VRayBitmapMapClassDesc::Create(BOOL) {
    return static_cast<Texmap*>(new VRayBitmapMap());
}

}  // namespace

ClassDesc2* GetVRayBitmapMapDesc() {
    return &Desc();
}

Texmap* CreateVRayBitmapMap() {
    return static_cast<Texmap*>(Desc().Create(FALSE));
}

}  // namespace standalone
