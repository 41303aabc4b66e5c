#include "maps/BitmapMap.h"

#include "maps/HdrSourceMap.h"

namespace standalone {

namespace {

class BitmapMapClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override;
    const wchar_t* ClassName() override { return L"Bitmap"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kBitmapMapClassID; }
    const wchar_t* Category() override { return TEXMAP_CAT_ENV; }
    HINSTANCE HInstance() override { return nullptr; }
};

BitmapMapClassDesc& Desc() {
    static BitmapMapClassDesc desc;
    return desc;
}

ParamBlockDesc2 bitmapBlockDesc(
    0, L"bitmapParams", 0, &Desc(), P_AUTO_CONSTRUCT, 0, {},
    {MakeBlockParam(kBitmapFileName, L"fileName", TYPE_FILENAME, 0),
     MakeBlockParam(kBitmapUOffset, L"u_offset", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kBitmapVOffset, L"v_offset", TYPE_FLOAT, P_ANIMATABLE),
     MakeBlockParam(kBitmapUAngle, L"u_angle", TYPE_ANGLE, P_ANIMATABLE),
     MakeBlockParam(kBitmapVAngle, L"v_angle", TYPE_ANGLE, P_ANIMATABLE),
     MakeBlockParam(kBitmapWAngle, L"w_angle", TYPE_ANGLE, P_ANIMATABLE),
     MakeBlockParam(kBitmapOutputAmount, L"output_amount", TYPE_FLOAT, P_ANIMATABLE, 1.0f),
     MakeBlockParam(kBitmapGamma, L"gamma", TYPE_FLOAT, 0, 1.0f)});

void ReadMapping(IParamBlock2& pb, TimeValue t, ImagePlacement& p, Interval& valid) {
    float uAngleRadians = 0, vAngleRadians = 0, wAngleRadians = 0;
    pb.GetValue(kBitmapUAngle, t, uAngleRadians, valid);
    pb.GetValue(kBitmapVAngle, t, vAngleRadians, valid);
    pb.GetValue(kBitmapWAngle, t, wAngleRadians, valid);
    pb.GetValue(kBitmapUOffset, t, p.uShift, valid);
    pb.GetValue(kBitmapVOffset, t, p.vShift, valid);
    p.rotationDegrees = uAngleRadians * kDegreesPerRadian;
    SetTilt(p, vAngleRadians, wAngleRadians);
}

const HdrSourceMapClass& BitmapClass() {
    static const HdrSourceMapClass mapClass{
        &Desc(), L"Bitmap", kBitmapFileName, kBitmapOutputAmount, kBitmapGamma, &ReadMapping};
    return mapClass;
}

void* BitmapMapClassDesc::Create(BOOL) {
    return static_cast<Texmap*>(new HdrSourceMap(BitmapClass()));
}

}  // namespace

ClassDesc2* GetBitmapMapDesc() {
    return &Desc();
}

Texmap* CreateBitmapMap() {
    return static_cast<Texmap*>(Desc().Create(FALSE));
}

}  // namespace standalone
