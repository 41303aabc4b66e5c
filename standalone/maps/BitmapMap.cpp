#include "maps/BitmapMap.h"

#include "maps/HdrSourceMap.h"

namespace standalone {

namespace {

class BitmapMapClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override;
    const MCHAR* ClassName() override { return L"Bitmap"; }
    const MCHAR* NonLocalizedClassName() override { return L"Bitmap"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kBitmapMapClassID; }
    const MCHAR* Category() override { return TEXMAP_CAT_ENV; }
};

BitmapMapClassDesc& Desc() {
    static BitmapMapClassDesc desc;
    return desc;
}

// clang-format off
ParamBlockDesc2 bitmapBlockDesc(
    0, L"bitmapParams", 0, &Desc(), P_AUTO_CONSTRUCT,
    // The owner's reference number of the block.
    0,
    kBitmapFileName, L"fileName", TYPE_FILENAME, 0, 0,
        p_end,
    kBitmapUOffset, L"u_offset", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kBitmapVOffset, L"v_offset", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kBitmapUAngle, L"u_angle", TYPE_ANGLE, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kBitmapVAngle, L"v_angle", TYPE_ANGLE, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kBitmapWAngle, L"w_angle", TYPE_ANGLE, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kBitmapOutputAmount, L"output_amount", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 1.0f,
        p_end,
    kBitmapGamma, L"gamma", TYPE_FLOAT, 0, 0,
        p_default, 1.0f,
        p_end,
    p_end);
// clang-format on

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
