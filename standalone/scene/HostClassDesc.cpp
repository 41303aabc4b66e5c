// Class descriptors' host-side services: automatic blocks, automatic rollups and reset.

#include <iparamb2.h>

#include "scene/HostParamDlg.h"

#include <algorithm>

ClassDesc2::~ClassDesc2() = default;

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) {
    if (pbd && std::find(blockDescs.begin(), blockDescs.end(), pbd) == blockDescs.end()) {
        blockDescs.push_back(pbd);
    }
}

void ClassDesc2::RemoveParamBlockDesc(ParamBlockDesc2* pbd) {
    blockDescs.erase(std::remove(blockDescs.begin(), blockDescs.end(), pbd), blockDescs.end());
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) const {
    return i >= 0 && size_t(i) < blockDescs.size() ? blockDescs[size_t(i)] : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) const {
    for (ParamBlockDesc2* d : blockDescs) {
        if (d->ID == id) {
            return d;
        }
    }
    return nullptr;
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
    if (!owner) {
        return;
    }
    for (ParamBlockDesc2* d : blockDescs) {
        if (d->flags & P_AUTO_CONSTRUCT) {
            if (IParamBlock2* block = CreateParameterBlock2(d, owner)) {
                owner->ReplaceReference(d->ref_no, block);
            }
        }
    }
}

ParamDlg* ClassDesc2::CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj) {
    ParamBlockDesc2* autoUi = nullptr;
    for (ParamBlockDesc2* d : blockDescs) {
        if (d->flags & P_AUTO_UI) {
            autoUi = d;
            break;
        }
    }
    if (!autoUi || !obj) {
        return nullptr;
    }
    return CreateHostParamDlg(this, autoUi, hwMtlEdit, imp, obj);
}

void ClassDesc2::Reset(ReferenceTarget* obj, bool, bool) {
    if (!obj) {
        return;
    }
    for (ParamBlockDesc2* d : blockDescs) {
        if (IParamBlock2* block = obj->GetParamBlockByID(d->ID)) {
            block->ResetAll();
        }
    }
}
