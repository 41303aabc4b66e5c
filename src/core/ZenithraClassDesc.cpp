// The class descriptor of the Zenithra map.

#include "core/ZenithraClassDesc.h"

#include "core/ZenithraIds.h"
#include "shading/Zenithra.h"

#include "../../res/resource.h"

namespace {

HINSTANCE moduleInstance = nullptr;

class ZenithraClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return static_cast<Texmap*>(new Zenithra()); }
    const wchar_t* ClassName() override { return _M("Zenithra"); }
    const wchar_t* NonLocalizedClassName() override { return _M("Zenithra"); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return ZENITHRA_CLASS_ID; }
    const wchar_t* Category() override { return TEXMAP_CAT_ENV; }
    const wchar_t* InternalName() override { return _M("Zenithra"); }
    HINSTANCE HInstance() override { return moduleInstance; }
};

}  // namespace

ClassDesc2* GetZenithraDesc() {
    // Function-local, so that the block descriptor can register with it during static
    // initialisation whatever the order of the translation units.
    static ZenithraClassDesc desc;
    return &desc;
}

HINSTANCE GetModuleInstance() {
    return moduleInstance;
}
void SetModuleInstance(HINSTANCE instance) {
    moduleInstance = instance;
}

// --- The block "zenithraParams": the slot count and the per-slot tables. Entry i of every
// table belongs to slot i. Defined beside its owner so that it is always linked with it.

namespace {

ParamDef IntParam(ParamID id, const wchar_t* name, int def, float low, float high) {
    ParamDef p;
    p.id = id;
    p.int_name = name;
    p.type = TYPE_INT;
    p.local_name = IDS_CLASS_NAME;
    p.defInt = def;
    p.hasRange = true;
    p.rangeLow = low;
    p.rangeHigh = high;
    return p;
}

ParamDef FloatTab(ParamID id, const wchar_t* name, int flags, float def) {
    ParamDef p;
    p.id = id;
    p.int_name = name;
    p.type = TYPE_FLOAT_TAB;
    p.flags = flags | P_VARIABLE_SIZE;
    p.local_name = IDS_CLASS_NAME;
    p.defFloat = def;
    return p;
}

ParamDef Ranged(ParamDef p, float low, float high) {
    p.hasRange = true;
    p.rangeLow = low;
    p.rangeHigh = high;
    return p;
}

ParamDef ColourTab(ParamID id, const wchar_t* name) {
    ParamDef p;
    p.id = id;
    p.int_name = name;
    p.type = TYPE_POINT4_TAB;
    p.flags = P_ANIMATABLE | P_VARIABLE_SIZE;
    p.local_name = IDS_CLASS_NAME;
    p.defPoint4 = Point4(1, 1, 1, 1);
    return p;
}

}  // namespace

// Declaration order is the order of the block's parameter indices: 9 and 10 come before 6.
ParamBlockDesc2 zenithraParamBlockDesc(
    zenithra_params, _M("zenithraParams"), 0, GetZenithraDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
    ParamBlockDesc2::AutoUi{IDD_ZENITHRA_MAIN, IDS_CLASS_NAME, 0, 0, GetZenithraMainDlgProc()},
    {
        IntParam(pb_slotCount, _M("slotCount"), 1, 1, 16),
        FloatTab(pb_slotExposure, _M("slotExposure"), 0, 0.0f),
        FloatTab(pb_slotContrast, _M("slotContrast"), P_ANIMATABLE, 100.0f),
        FloatTab(pb_slotSaturation, _M("slotSaturation"), P_ANIMATABLE, 100.0f),
        FloatTab(pb_slotBrightPix, _M("slotBrightPix"), P_ANIMATABLE, 0.0f),
        FloatTab(pb_slotSunExposure, _M("slotSunExposure"), P_ANIMATABLE, 0.0f),
        Ranged(FloatTab(pb_slotSunSpotSize, _M("slotSunSpotSize"), P_ANIMATABLE, 0.0f), 0, 90),
        Ranged(FloatTab(pb_slotSunSpotHeight, _M("slotSunSpotHeight"), P_ANIMATABLE, 45.0f), 0, 90),
        ColourTab(pb_slotTint, _M("slotTint")),
        ColourTab(pb_slotSunTint, _M("slotSunTint")),
        Ranged(FloatTab(pb_slotHue, _M("slotHue"), 0, 0.0f), -1, 1),
    });
