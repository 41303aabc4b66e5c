#pragma once
// The references and sub-animatables of a standalone map whose whole state is one parameter
// block: reference 0 and sub-anim 0 ("Parameters").

#include <imtl.h>
#include <iparamb2.h>

#include "core/HostObjects.h"

namespace standalone {

class OneBlockTexmap : public Texmap {
public:
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int i) override { return i == 0 ? block : nullptr; }
    int NumSubs() override { return 1; }
    Animatable* SubAnim(int i) override { return i == 0 ? block : nullptr; }
    MSTR SubAnimName(int i, bool = true) override { return i == 0 ? L"Parameters" : MSTR(); }
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override { return i == 0 ? block : nullptr; }
    IParamBlock2* GetParamBlockByID(BlockID id) override {
        return block && block->ID() == id ? block : nullptr;
    }

protected:
    void SetReference(int i, RefTargetHandle target) override {
        if (i == 0) {
            block = AsParamBlock(target);
        }
    }

    IParamBlock2* block = nullptr;
};

}  // namespace standalone
