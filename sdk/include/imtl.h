#pragma once
// Materials' and maps' common base (MtlBase), texture maps (Texmap with ISubMap), the material
// editor's parameter interface and what a map learns of one shading sample.

#include "acolor.h"
#include "bitarray.h"
#include "matrix3.h"
#include "ref.h"

class IMtlParams;
class Texmap;

/// The material editor's category of environment maps.
#define TEXMAP_CAT_ENV _M("Environment")

// What a map needs from the renderer.
#define MTLREQ_UV (1 << 3)
#define MTLREQ_VIEW_DEP (1 << 15)

// Texture tiling.
#define U_WRAP (1 << 0)
#define V_WRAP (1 << 1)

/// The rollup category of ordinary pages.
#define ROLLUP_CAT_STANDARD 4000

/// Coordinate systems of ShadeContext::VectorTo.
enum RefFrame { REF_CAMERA = 0, REF_WORLD, REF_OBJECT };

/// What a texture map learns of one shading sample.
class CoreExport ShadeContext {
public:
    virtual ~ShadeContext();
    /// The sample's time.
    virtual TimeValue CurTime() = 0;
    /// The view direction of the sample, in camera space.
    virtual Point3 V() = 0;
    /// Texture coordinates of a map channel.
    virtual Point3 UVW(int channel = 0) = 0;
    /// A direction in camera space turned into `to_space` (REF_WORLD: world space, Z up).
    virtual Point3 VectorTo(const Point3& p, int to_space) = 0;
};

/// A dialog the host shows for a map while it is edited in the material editor.
class CoreExport ParamDlg {
public:
    virtual ~ParamDlg();
    virtual void DeleteThis() = 0;
};

/// The material editor's parameter interface: the panel of rollup pages that shows the map
/// being edited.
class CoreExport IMtlParams {
public:
    virtual ~IMtlParams();
    /// Adds a page built from the dialog template `dlgTemplate` (MAKEINTRESOURCE of its id) of
    /// `hInst`, titled `title`; `dlgProc` receives `param` with WM_INITDIALOG. Returns the page's
    /// dialog window, null on failure.
    virtual HWND AddRollupPage(HINSTANCE hInst, const MCHAR* dlgTemplate, DLGPROC dlgProc,
                               const MCHAR* title, LPARAM param = 0, DWORD flags = 0,
                               int category = ROLLUP_CAT_STANDARD) = 0;
    /// Removes and destroys a page; a window that is no page of this panel is ignored.
    virtual void DeleteRollupPage(HWND hRollup) = 0;
};

/// The sub-maps of a material or map.
class CoreExport ISubMap {
public:
    virtual ~ISubMap();
    virtual int NumSubTexmaps();
    virtual Texmap* GetSubTexmap(int i);
    virtual void SetSubTexmap(int i, Texmap* m);
    virtual MSTR GetSubTexmapSlotName(int i, bool localized);
    virtual ReferenceTarget* GetRefTarget() = 0;
};

class CoreExport MtlBase : public ReferenceTarget, public ISubMap {
public:
    MtlBase();
    MSTR& GetName();
    virtual void SetName(MSTR s);

    virtual ULONG LocalRequirements(int subMtlNum);
    virtual void LocalMappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq);
    /// Brings the object up to date at t and narrows `valid` to the interval it holds for.
    virtual void Update(TimeValue t, Interval& valid) = 0;
    virtual void Reset() = 0;
    virtual Interval Validity(TimeValue t) = 0;
    virtual ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) = 0;
    ReferenceTarget* GetRefTarget() override;

    /// Copies the MtlBase part (the name) into a clone.
    void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) override;

private:
    MSTR name;
};

class CoreExport Texmap : public MtlBase {
public:
    Texmap();
    SClass_ID SuperClassID() override;

    virtual AColor EvalColor(ShadeContext& sc) = 0;
    virtual float EvalMono(ShadeContext& sc);
    virtual Point3 EvalNormalPerturb(ShadeContext& sc) = 0;
    virtual bool IsOutputMeaningful(ShadeContext& sc);
    virtual bool IsLocalOutputMeaningful(ShadeContext& sc);
    virtual int LoadMapFiles(TimeValue t);
    virtual void GetUVTransform(Matrix3& uvtrans);
    virtual int GetTextureTiling();
};
