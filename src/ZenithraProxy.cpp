// The output proxy map of one slot.

#include "ZenithraProxy.h"

#include "core/ChunkFields.h"
#include "core/ZenithraClassDesc.h"
#include "diag/DiagLog.h"
#include "platform/Platform.h"
#include "shading/ColorAdjustment.h"
#include "shading/MapReaders.h"
#include "shading/Zenithra.h"

#include <ioapi.h>

#include <algorithm>
#include <memory>

namespace {
constexpr USHORT kSlotIndexChunk = 0x100;
}  // namespace

ZenithraProxy::~ZenithraProxy() {
    SetMaster(nullptr);
}

void ZenithraProxy::DeleteThis() {
    delete this;
}

void ZenithraProxy::SetMaster(Zenithra* newMaster) {
    Zenithra* current = master.load();
    if (newMaster == current) {
        return;
    }
    if (current) {
        auto& list = current->registeredProxies;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    master.store(newMaster);
    if (newMaster) {
        auto& list = newMaster->registeredProxies;
        if (std::find(list.begin(), list.end(), this) == list.end()) {
            list.push_back(this);
        }
    }
}

AColor ZenithraProxy::EvalWithMaster(ShadeContext& sc) {
    AColor c(0, 0, 0, 1);
    bool unlinked = false;
    {
        MapReaders::Announcement reading(master);
        if (Zenithra* m = reading.Map()) {
            c = m->EvalSlotColor(slotIndex.load(std::memory_order_relaxed), sc);
        } else {
            // A loop of maps and proxies is cut off in black, like a map being destroyed.
            unlinked = !reading.TooDeep();
        }
    }
    if (unlinked) {
        ZENITHRA_LOG("ZenithraProxy::EvalColor")
            << _M("Proxy::EvalColor: m_master is NULL, slot=") << slotIndex.load();
    }
    return c;
}

AColor ZenithraProxy::EvalColor(ShadeContext& sc) {
    return EvalWithMaster(sc);
}

float ZenithraProxy::EvalMono(ShadeContext& sc) {
    // Without a master the colour is black (and the line is logged), so its luminance is 0.
    return MonoLuminance(EvalWithMaster(sc));
}

void ZenithraProxy::Update(TimeValue t, Interval& valid) {
    if (Zenithra* m = master.load()) {
        m->Update(t, valid);
    } else {
        valid = NEVER;
    }
}

Interval ZenithraProxy::Validity(TimeValue t) {
    Interval valid = FOREVER;
    if (Zenithra* m = master.load()) {
        m->Update(t, valid);
        return valid;
    }
    return NEVER;
}

ParamDlg* ZenithraProxy::CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) {
    Zenithra* m = master.load();
    return m ? m->CreateParamDlg(hwMtlEdit, imp) : nullptr;
}

int ZenithraProxy::LoadMapFiles(TimeValue t) {
    // A source that is a proxy of the same map would come back here for ever.
    MapReaders::Announcement reading(master);
    Zenithra* m = reading.Map();
    if (m && m->sourceMap) {
        m->sourceMap->LoadMapFiles(t);
    }
    return 1;
}

ReferenceTarget* ZenithraProxy::Clone(RemapDir& remap) {
    return GuardEntry<ReferenceTarget*>(nullptr, [&]() -> ReferenceTarget* {
        struct DeleteUnfinished {
            void operator()(ZenithraProxy* proxy) const { proxy->DeleteThis(); }
        };
        std::unique_ptr<ZenithraProxy, DeleteUnfinished> copy(new ZenithraProxy());
        copy->slotIndex.store(slotIndex.load());
        copy->SetMaster(master.load());
        BaseClone(this, copy.get(), remap);
        ZENITHRA_LOG("ZenithraProxy::Clone")
            << _M("Proxy::Clone slot=") << slotIndex.load() << _M(" master=")
            << (master.load() ? _M("OK") : _M("NULL"));
        return copy.release();
    });
}

IOResult ZenithraProxy::Save(ISave* isave) {
    isave->BeginChunk(kSlotIndexChunk);
    ChunkOut(isave).I32(slotIndex.load());
    isave->EndChunk();
    return IO_OK;
}

IOResult ZenithraProxy::Load(ILoad* iload) {
    while (iload->OpenChunk() == IO_OK) {
        if (iload->CurChunkID() == kSlotIndexChunk) {
            int32_t index = 0;
            if (ChunkIn(iload).I32(index)) {
                slotIndex.store(index);
            }
        }
        iload->CloseChunk();
    }
    return IO_OK;
}
