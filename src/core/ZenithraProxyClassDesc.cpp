// The class descriptor of the output proxy map. Not public: proxies are made by their masters,
// by cloning and by scene loading.

#include "ZenithraProxy.h"
#include "core/ZenithraClassDesc.h"

namespace {

class ZenithraProxyClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return FALSE; }
    void* Create(BOOL) override { return static_cast<Texmap*>(new ZenithraProxy()); }
    const MCHAR* ClassName() override { return _M("ZenithraProxy"); }
    const MCHAR* NonLocalizedClassName() override { return _M("ZenithraProxy"); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return ZENITHRA_PROXY_CLASS_ID; }
    const MCHAR* Category() override { return TEXMAP_CAT_ENV; }
    const MCHAR* InternalName() override { return _M("ZenithraProxy"); }
    HINSTANCE HInstance() override { return GetModuleInstance(); }
};

}  // namespace

ClassDesc2* GetZenithraProxyDesc() {
    static ZenithraProxyClassDesc desc;
    return &desc;
}
