// The class descriptor of the output proxy map. Not public: proxies are made by their masters,
// by cloning and by scene loading.

#include "ZenithraProxy.h"
#include "core/ZenithraClassDesc.h"

namespace {

class ZenithraProxyClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return FALSE; }
    void* Create(BOOL) override { return static_cast<Texmap*>(new ZenithraProxy()); }
    const wchar_t* ClassName() override { return _M("ZenithraProxy"); }
    const wchar_t* NonLocalizedClassName() override { return _M("ZenithraProxy"); }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return ZENITHRA_PROXY_CLASS_ID; }
    const wchar_t* Category() override { return TEXMAP_CAT_ENV; }
    const wchar_t* InternalName() override { return _M("ZenithraProxy"); }
    HINSTANCE HInstance() override { return GetModuleInstance(); }
};

}  // namespace

ClassDesc2* GetZenithraProxyDesc() {
    static ZenithraProxyClassDesc desc;
    return &desc;
}
