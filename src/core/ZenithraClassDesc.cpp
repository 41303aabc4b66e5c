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
    const MCHAR* ClassName() override { return _M("Zenithra"); }
    const MCHAR* NonLocalizedClassName() override { return _M("Zenithra"); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return ZENITHRA_CLASS_ID; }
    const MCHAR* Category() override { return TEXMAP_CAT_ENV; }
    const MCHAR* InternalName() override { return _M("Zenithra"); }
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

// clang-format off
// --- The block "zenithraParams": the slot count and the per-slot tables. Entry i of every
// table belongs to slot i; every table starts empty and a new map gives each one entry. Defined
// beside its owner so that it is always linked with it.

// Declaration order is the order of the block's parameter indices: 9 and 10 come before 6.
ParamBlockDesc2 zenithraParamBlockDesc(
    zenithra_params, _M("zenithraParams"), 0, GetZenithraDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI,
    // The automatic construction's reference number, then the automatic rollup.
    0, IDD_ZENITHRA_MAIN, IDS_CLASS_NAME, 0, 0, GetZenithraMainDlgProc(),
    // Parameters.
    pb_slotCount, _M("slotCount"), TYPE_INT, 0, IDS_CLASS_NAME,
        p_default, 1,
        p_range, 1, kMaxSlots,
        p_end,
    pb_slotExposure, _M("slotExposure"), TYPE_FLOAT_TAB, 0, P_VARIABLE_SIZE, IDS_CLASS_NAME,
        p_default, 0.0f,
        p_end,
    pb_slotContrast, _M("slotContrast"), TYPE_FLOAT_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, 100.0f,
        p_end,
    pb_slotSaturation, _M("slotSaturation"), TYPE_FLOAT_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, 100.0f,
        p_end,
    pb_slotBrightPix, _M("slotBrightPix"), TYPE_FLOAT_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, 0.0f,
        p_end,
    pb_slotSunExposure, _M("slotSunExposure"), TYPE_FLOAT_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, 0.0f,
        p_end,
    pb_slotSunSpotSize, _M("slotSunSpotSize"), TYPE_FLOAT_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, 0.0f,
        p_range, 0.0f, 90.0f,
        p_end,
    pb_slotSunSpotHeight, _M("slotSunSpotHeight"), TYPE_FLOAT_TAB, 0,
        P_ANIMATABLE | P_VARIABLE_SIZE, IDS_CLASS_NAME,
        p_default, 45.0f,
        p_range, 0.0f, 90.0f,
        p_end,
    pb_slotTint, _M("slotTint"), TYPE_POINT4_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, Point4(1, 1, 1, 1),
        p_end,
    pb_slotSunTint, _M("slotSunTint"), TYPE_POINT4_TAB, 0, P_ANIMATABLE | P_VARIABLE_SIZE,
        IDS_CLASS_NAME,
        p_default, Point4(1, 1, 1, 1),
        p_end,
    pb_slotHue, _M("slotHue"), TYPE_FLOAT_TAB, 0, P_VARIABLE_SIZE, IDS_CLASS_NAME,
        p_default, 0.0f,
        p_range, -1.0f, 1.0f,
        p_end,
    p_end);
// clang-format on

// Read from the block's definition once, as the library loads (the block descriptor above is
// constructed first); evaluation reads it on every sample.
const uint64_t kAnimatableSlotParams = [] {
    uint64_t bits = 0;
    for (int i = 0; i < zenithraParamBlockDesc.Count(); ++i) {
        const ParamDef& def = zenithraParamBlockDesc.paramdefs[i];
        if ((def.flags & P_ANIMATABLE) != 0 && def.ID < 64) {
            bits |= uint64_t(1) << def.ID;
        }
    }
    return bits;
}();

TimeValue CurrentTime() {
    Interface* core = GetCOREInterface();
    return core ? core->GetTime() : 0;
}
