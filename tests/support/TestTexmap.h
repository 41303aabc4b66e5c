#pragma once
// The overrides every texture map double of the tests shares: it answers every message, is
// always valid, has no dialog and shows mid grey; and a remap directory for clones.

#include <imtl.h>
#include "support/PrintMstr.h"

namespace testsupport {

class TestTexmap : public Texmap {
public:
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
    void Update(TimeValue, Interval&) override {}
    void Reset() override {}
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }
    AColor EvalColor(ShadeContext&) override { return AColor(0.5f, 0.5f, 0.5f, 1.0f); }
    Point3 EvalNormalPerturb(ShadeContext&) override { return {0, 0, 0}; }
};

/// The host's remap directory for one clone operation, deleted with the scope.
class ScopedRemapDir {
public:
    ScopedRemapDir() = default;
    ~ScopedRemapDir() { dir->DeleteThis(); }
    ScopedRemapDir(const ScopedRemapDir&) = delete;
    ScopedRemapDir& operator=(const ScopedRemapDir&) = delete;
    operator RemapDir&() { return *dir; }
    RemapDir* operator->() { return dir; }

private:
    RemapDir* dir = NewRemapDir();
};

}  // namespace testsupport
