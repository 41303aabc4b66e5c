// Class descriptors' host-side services: names, automatic blocks, automatic rollups and reset.

#include <iparamb2.h>
#include <iparamm2.h>

#include "scene/HostLog.h"
#include "scene/HostParamDlg.h"

#include "platform/Platform.h"

#include <iterator>

const MCHAR* ClassDesc::InternalName() {
    return ClassName();
}

HINSTANCE ClassDesc::HInstance() {
    return nullptr;
}

void ClassDesc::MakeAutoParamBlocks(ReferenceMaker*) {}

ClassDesc2::ClassDesc2() = default;
ClassDesc2::~ClassDesc2() = default;

int ClassDesc2::NumParamBlockDescs() {
    return descCount;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) {
    return i >= 0 && i < descCount ? descs[i] : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) {
    for (int i = 0; i < descCount; ++i) {
        if (descs[i]->ID == id) {
            return descs[i];
        }
    }
    return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) {
    if (!pbd) {
        return;
    }
    for (int i = 0; i < descCount; ++i) {
        if (descs[i] == pbd) {
            return;
        }
    }
    if (descCount >= int(std::size(descs))) {
        standalone::HostLog("class descriptor: too many parameter blocks, \"" +
                            platform::WideToUtf8(pbd->int_name ? pbd->int_name : L"") +
                            "\" ignored");
        return;
    }
    descs[descCount++] = pbd;
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
    if (!owner) {
        return;
    }
    for (int i = 0; i < descCount; ++i) {
        ParamBlockDesc2* d = descs[i];
        if (d->flags & P_AUTO_CONSTRUCT) {
            if (IParamBlock2* block = CreateParameterBlock2(d, owner)) {
                owner->ReplaceReference(d->ref_no, block);
            }
        }
    }
}

IAutoMParamDlg* ClassDesc2::CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj) {
    ParamBlockDesc2* autoUi = nullptr;
    for (int i = 0; i < descCount && !autoUi; ++i) {
        if (descs[i]->flags & P_AUTO_UI) {
            autoUi = descs[i];
        }
    }
    if (!autoUi || !obj) {
        return nullptr;
    }
    return CreateHostParamDlg(this, autoUi, hwMtlEdit, imp, obj);
}

void ClassDesc2::Reset(ReferenceTarget* obj, BOOL updateUI, BOOL callSetHandlers) {
    if (!obj) {
        return;
    }
    for (int i = 0; i < descCount; ++i) {
        if (IParamBlock2* block = obj->GetParamBlockByID(descs[i]->ID)) {
            block->ResetAll(updateUI, callSetHandlers);
        }
    }
}
