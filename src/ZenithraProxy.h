#pragma once
// ZenithraProxy: a small texture map that stands for one output slot of a Zenithra map. It owns
// nothing; its master holds it as one of references 2..17 and links it back.

#include "core/HostEdge.h"
#include "core/ZenithraIds.h"

#include <imtl.h>

#include <atomic>

class Zenithra;

class ZenithraProxy : public Texmap {
public:
    ZenithraProxy() = default;
    /// Unregisters from the master.
    ~ZenithraProxy() override;

    void DeleteThis() override;
    void GetClassName(MSTR& s, bool /*localized*/ = true) const override {
        GuardEntry([&] { s = _M("ZenithraProxy"); });
    }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return ZENITHRA_PROXY_CLASS_ID; }
    MSTR SubAnimName(int, bool = true) override { return MSTR(); }
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
    RefResult NotifyRefChanged(const Interval&, ReferenceTarget*, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
    ReferenceTarget* Clone(RemapDir& remap) override;

    ULONG LocalRequirements(int) override { return MTLREQ_UV | MTLREQ_VIEW_DEP; }
    void LocalMappingsRequired(int, BitArray& mapreq, BitArray&) override { mapreq.Set(1); }
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override {}
    Interval Validity(TimeValue t) override;
    /// Shows and edits the master.
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;
    /// The master's colour of this proxy's slot; opaque black and a log line without a master.
    AColor EvalColor(ShadeContext& sc) override;
    float EvalMono(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext&) override { return {0, 0, 0}; }
    bool IsLocalOutputMeaningful(ShadeContext&) override { return true; }
    void GetUVTransform(Matrix3& uvtrans) override { uvtrans.IdentityMatrix(); }
    int GetTextureTiling() override { return U_WRAP | V_WRAP; }
    int LoadMapFiles(TimeValue t) override;

    /// Makes newMaster the master, keeping both masters' registeredProxies right.
    void SetMaster(Zenithra* newMaster);

    std::atomic<Zenithra*> master{nullptr};  // not a reference
    std::atomic<int32_t> slotIndex{0};

private:
    AColor EvalWithMaster(ShadeContext& sc);
};
