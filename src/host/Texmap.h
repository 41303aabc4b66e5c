#pragma once
// Materials' and maps' common base (MtlBase) and texture maps (Texmap, with ISubMap).

#include "host/Reference.h"
#include "host/ShadeContext.h"

#include <cstdint>

class IMtlParams;

/// A dialog the host shows for a map while it is edited in the material editor.
class HOST_API ParamDlg {
public:
    virtual ~ParamDlg();
    virtual void DeleteThis() = 0;
};

/// The rollup category of ordinary pages.
constexpr int ROLLUP_CAT_STANDARD = 4000;

/// The material editor's parameter interface: the panel of rollup pages that shows the map
/// being edited.
class HOST_API IMtlParams {
public:
    virtual ~IMtlParams();
    /// Adds a page built from `dialogTemplate` of `hInst`, titled `title`; `dlgProc` receives
    /// `param` with WM_INITDIALOG. Returns the page's dialog window, null on failure.
    virtual HWND AddRollupPage(HINSTANCE hInst, int dialogTemplate, DLGPROC dlgProc,
                               const MSTR& title, LPARAM param = 0, DWORD flags = 0,
                               int category = ROLLUP_CAT_STANDARD) = 0;
    /// Removes and destroys a page; a window that is no page of this panel is ignored.
    virtual void DeleteRollupPage(HWND hRollup) = 0;
};

/// The set of map channels a map needs (bit i: channel i).
struct MapChannelSet {
    uint64_t bits = 0;
    void Set(int channel) { bits |= uint64_t(1) << channel; }
    bool Has(int channel) const { return (bits >> channel) & 1u; }
};

class HOST_API MtlBase : public ReferenceTarget {
public:
    const MSTR& GetName() const { return name; }
    void SetName(const MSTR& newName) { name = newName; }

    virtual ULONG LocalRequirements(int /*subMtlNum*/) { return 0; }
    virtual void LocalMappingsRequired(int /*subMtlNum*/, MapChannelSet& /*mapreq*/,
                                       MapChannelSet& /*bumpreq*/) {}
    /// Brings the object up to date at t and narrows `valid` to the interval it holds.
    virtual void Update(TimeValue t, Interval& valid) = 0;
    virtual void Reset() = 0;
    virtual Interval Validity(TimeValue t) = 0;
    virtual ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) = 0;

    /// Copies the MtlBase part (the name) into a clone.
    void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

private:
    MSTR name;
};

class HOST_API Texmap : public MtlBase {
public:
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }

    virtual AColor EvalColor(ShadeContext& sc) = 0;
    virtual float EvalMono(ShadeContext& sc);
    virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;
    virtual BOOL IsOutputMeaningful(ShadeContext&) { return FALSE; }
    virtual BOOL IsLocalOutputMeaningful(ShadeContext&) { return FALSE; }
    virtual int LoadMapFiles(TimeValue) { return 1; }
    virtual void GetUVTransform(Matrix3& uvtrans) { uvtrans.IdentityMatrix(); }
    virtual int GetTextureTiling() { return U_WRAP | V_WRAP; }

    // ISubMap
    virtual int NumSubTexmaps() { return 0; }
    virtual Texmap* GetSubTexmap(int) { return nullptr; }
    virtual void SetSubTexmap(int, Texmap*) {}
    virtual MSTR GetSubTexmapSlotName(int) { return MSTR(); }
    virtual ReferenceTarget* GetRefTarget() { return this; }
};

/// The target as a texture map; null for null or any other kind of object.
inline Texmap* AsTexmap(ReferenceTarget* target) {
    return target && target->SuperClassID() == TEXMAP_CLASS_ID ? static_cast<Texmap*>(target)
                                                               : nullptr;
}
