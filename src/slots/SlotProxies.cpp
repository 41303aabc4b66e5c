// Creating and naming the slots' proxies.

#include "ZenithraProxy.h"
#include "core/ZenithraClassDesc.h"
#include "shading/Zenithra.h"

void Zenithra::EnsureSlotProxies(int n) {
    for (int i = 0; i < n && i < kMaxSlots; ++i) {
        if (!slotProxies[i]) {
            auto* proxy = static_cast<ZenithraProxy*>(
                static_cast<Texmap*>(GetZenithraProxyDesc()->Create(FALSE)));
            if (proxy) {
                proxy->SetName(SlotName(i));
                ReplaceReference(i + 2, proxy);
            }
        }
        if (slotProxies[i]) {
            slotProxies[i]->SetName(SlotName(i));
        }
    }
}
