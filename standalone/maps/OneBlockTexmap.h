#pragma once
// The references and sub-animatables of a standalone map whose whole state is one parameter
// block: reference 0 and sub-anim 0 ("Parameters").

#include <iparamb2.h>

namespace standalone {

/// A parameter definition of such a map's block.
inline ParamDef MakeBlockParam(ParamID id, const wchar_t* name, ParamType2 type, int flags,
                               float defFloat = 0.0f, int defInt = 0) {
    ParamDef p;
    p.id = id;
    p.int_name = name;
    p.type = type;
    p.flags = flags;
    p.defFloat = defFloat;
    p.defInt = defInt;
    return p;
}

class OneBlockTexmap : public Texmap {
public:
    int NumRefs() override { return 1; }
    ReferenceTarget* GetReference(int i) override { return i == 0 ? block : nullptr; }
    int NumSubs() override { return 1; }
    Animatable* SubAnim(int i) override { return i == 0 ? block : nullptr; }
    MSTR SubAnimName(int i) override { return i == 0 ? L"Parameters" : MSTR(); }
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override { return i == 0 ? block : nullptr; }
    IParamBlock2* GetParamBlockByID(BlockID id) override {
        return block && block->ID() == id ? block : nullptr;
    }

protected:
    void SetReference(int i, ReferenceTarget* target) override {
        if (i == 0) {
            block = AsParamBlock(target);
        }
    }

    IParamBlock2* block = nullptr;
};

}  // namespace standalone
