#include "maps/ProceduralSky.h"

#include "maps/EnvironmentRows.h"
#include "maps/OneBlockTexmap.h"
#include "render/EnvironmentSample.h"
#include "scene/StandaloneHost.h"

#include <iparamm2.h>

#include <algorithm>
#include <cmath>

namespace standalone {

namespace {

constexpr float kDegToRad = 0.017453292f;
// The sun's apparent radius, about half a degree across as in real skies.
constexpr float kSunCosRadius = 0.99996192f;  // cos(0.25 degrees)

class ProceduralSky;

class ProceduralSkyClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override;
    const MCHAR* ClassName() override { return L"Procedural Sky"; }
    const MCHAR* NonLocalizedClassName() override { return L"Procedural Sky"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kProceduralSkyClassID; }
    const MCHAR* Category() override { return TEXMAP_CAT_ENV; }
};

ProceduralSkyClassDesc& Desc() {
    static ProceduralSkyClassDesc desc;
    return desc;
}

// clang-format off
ParamBlockDesc2 skyBlockDesc(
    0, L"skyParams", 0, &Desc(), P_AUTO_CONSTRUCT,
    // The owner's reference number of the block.
    0,
    kSkySunElevation, L"sunElevation", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 30.0f,
        p_end,
    kSkySunAzimuth, L"sunAzimuth", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 0.0f,
        p_end,
    kSkySunIntensity, L"sunIntensity", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 5000.0f,
        p_end,
    kSkyIntensity, L"skyIntensity", TYPE_FLOAT, P_ANIMATABLE, 0,
        p_default, 1.0f,
        p_end,
    p_end);
// clang-format on

class ProceduralSky : public OneBlockTexmap {
public:
    ProceduralSky() { Desc().MakeAutoParamBlocks(this); }
    ~ProceduralSky() override { DeleteAllRefsFromMe(); }

    void GetClassName(MSTR& s, bool = true) const override { s = L"Procedural Sky"; }
    Class_ID ClassID() override { return kProceduralSkyClassID; }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
    RefTargetHandle Clone(RemapDir& remap) override {
        auto* copy = new ProceduralSky();
        copy->ReplaceReference(0, remap.CloneRef(block));
        BaseClone(this, copy, remap);
        return copy;
    }

    void Update(TimeValue t, Interval& valid) override {
        if (block) {
            block->GetValidity(t, valid);
        }
    }
    void Reset() override { Desc().Reset(this); }
    Interval Validity(TimeValue t) override {
        Interval v = FOREVER;
        Update(t, v);
        return v;
    }
    ParamDlg* CreateParamDlg(HWND hw, IMtlParams* imp) override {
        return Desc().CreateParamDlgs(hw, imp, this);
    }
    Point3 EvalNormalPerturb(ShadeContext&) override { return {0, 0, 0}; }

    AColor EvalColor(ShadeContext& sc) override {
        return SkyColor(ReadSky(sc.CurTime()), sc.VectorTo(sc.V(), REF_WORLD));
    }

    // The sky's parameters at time t, with the sun's direction.
    struct Sky {
        float sunIntensity = 5000, skyIntensity = 1;
        Point3 sun;
    };
    Sky ReadSky(TimeValue t) {
        Sky sky;
        float elevation = 30, azimuth = 0;
        if (block) {
            Interval valid = FOREVER;
            block->GetValue(kSkySunElevation, t, elevation, valid);
            block->GetValue(kSkySunAzimuth, t, azimuth, valid);
            block->GetValue(kSkySunIntensity, t, sky.sunIntensity, valid);
            block->GetValue(kSkyIntensity, t, sky.skyIntensity, valid);
        }
        float el = elevation * kDegToRad, az = azimuth * kDegToRad;
        sky.sun = Point3(std::cos(el) * std::sin(az), -std::cos(el) * std::cos(az), std::sin(el));
        return sky;
    }

    // The colour seen along a world direction.
    static AColor SkyColor(const Sky& sky, Point3 d) {
        float len = d.Length();
        d = len > 1e-6f ? d * (1.0f / len) : Point3(0, -1, 0);
        AColor c;
        if (d.z >= 0) {
            float f = std::sqrt(d.z);
            c = AColor(0.9f + (0.25f - 0.9f) * f, 0.85f + (0.45f - 0.85f) * f,
                       0.8f + (0.9f - 0.8f) * f, 1);
        } else {
            c = AColor(0.3f, 0.27f, 0.24f, 1);
        }
        c.r *= sky.skyIntensity;
        c.g *= sky.skyIntensity;
        c.b *= sky.skyIntensity;
        float cosAngle = d.x * sky.sun.x + d.y * sky.sun.y + d.z * sky.sun.z;
        if (cosAngle >= kSunCosRadius) {
            c.r += sky.sunIntensity;
            c.g += sky.sunIntensity * 0.95f;
            c.b += sky.sunIntensity * 0.85f;
        } else if (cosAngle > 0) {
            // A warm glow around the sun.
            float glow = 2.0f * std::pow(cosAngle, 64.0f);
            c.r += glow;
            c.g += glow * 0.8f;
            c.b += glow * 0.5f;
        }
        return c;
    }
};

// The sky at one time.
class SkyRows final : public EnvironmentRowSource {
public:
    SkyRows(const ProceduralSky::Sky& sky, TimeValue t) : sky(sky), time(t) {}
    void ColorsOfRow(const Point3* directions, int count, float* rgb) const override {
        for (int i = 0; i < count; ++i, rgb += 3) {
            EnvironmentSample sample(directions[i], time);
            AColor c = ProceduralSky::SkyColor(sky, sample.VectorTo(sample.V(), REF_WORLD));
            rgb[0] = c.r;
            rgb[1] = c.g;
            rgb[2] = c.b;
        }
    }

private:
    ProceduralSky::Sky sky;
    TimeValue time;
};

void* ProceduralSkyClassDesc::Create(BOOL) {
    return static_cast<Texmap*>(new ProceduralSky());
}

}  // namespace

ClassDesc2* GetProceduralSkyDesc() {
    return &Desc();
}

Texmap* CreateProceduralSky() {
    return static_cast<Texmap*>(Desc().Create(FALSE));
}

std::unique_ptr<EnvironmentRowSource> ProceduralSkyRows(Texmap& map, TimeValue t) {
    if (map.ClassID() != kProceduralSkyClassID) {
        return nullptr;
    }
    return std::make_unique<SkyRows>(static_cast<ProceduralSky&>(map).ReadSky(t), t);
}

}  // namespace standalone
