#include "support/NamedParamMap.h"

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>
#include "core/HostObjects.h"
#include "platform/Platform.h"
#include "scene/StandaloneHost.h"

#include <stdexcept>
#include <string_view>

namespace testsupport {

TestBlockDesc::TestBlockDesc(int index, const std::vector<NamedParam>& params)
    : desc(BlockID(index), L"testParams", 0, nullptr, 0, p_end),
      defs(params.size()),
      zero3(params.size(), Point3(0, 0, 0)),
      zero4(params.size(), Point4(0, 0, 0, 0)) {
    for (size_t i = 0; i < params.size(); ++i) {
        ParamDef& d = defs[i];
        d.ID = ParamID(i);
        d.int_name = params[i].name;
        d.type = ParamType2(params[i].type);
        d.flags = P_ANIMATABLE;
        switch (int(base_type(d.type))) {
            case TYPE_INT:
            case TYPE_BOOL:
                d.def.i = int(params[i].defaultValue);
                break;
            case TYPE_POINT3:
            case TYPE_RGBA:
                d.def.p = &zero3[i];
                break;
            case TYPE_POINT4:
            case TYPE_FRGBA:
                d.def.p4 = &zero4[i];
                break;
            case TYPE_STRING:
            case TYPE_FILENAME:
                d.def.s = nullptr;
                break;
            default:
                d.def.f = params[i].defaultValue;
        }
    }
    // The definitions the descriptor made stay its own: they go back before it is destroyed.
    std::swap(desc.paramdefs, ownDefs);
    std::swap(desc.count, ownCount);
    desc.paramdefs = defs.data();
    desc.count = USHORT(defs.size());
}

TestBlockDesc::~TestBlockDesc() {
    desc.paramdefs = ownDefs;
    desc.count = ownCount;
}

NamedParamMap::NamedParamMap(const wchar_t* name,
                             const std::vector<std::vector<NamedParam>>& layout, Class_ID id)
    : className(name), classId(id), blocks(layout.size(), nullptr) {
    for (size_t b = 0; b < layout.size(); ++b) {
        if (!layout[b].empty()) {
            ReplaceBlock(int(b), layout[b]);
        }
    }
}

NamedParamMap::~NamedParamMap() {
    DeleteAllRefsFromMe();
}

void NamedParamMap::ReplaceBlock(int index, const std::vector<NamedParam>& params) {
    descs.push_back(std::make_unique<TestBlockDesc>(index, params));
    ReplaceReference(index, CreateParameterBlock2(&descs.back()->desc, this));
}

IParamBlock2* NamedParamMap::GetParamBlock(int i) {
    return i >= 0 && size_t(i) < blocks.size() ? blocks[size_t(i)] : nullptr;
}

void NamedParamMap::SetReference(int i, ReferenceTarget* target) {
    if (i >= 0 && size_t(i) < blocks.size()) {
        blocks[size_t(i)] = AsParamBlock(target);
    }
}

void NamedParamMap::EnumAuxFiles(AssetEnumCallback& cb, DWORD) {
    for (const MSTR& a : assets) {
        cb.RecordAsset(standalone::MakeAssetUser(a));
    }
    if (throwInEnumeration) {
        throw std::runtime_error("asset enumeration failed");
    }
}

ParamID NamedParamMap::IdOf(int blockIndex, const wchar_t* name) {
    IParamBlock2* block = GetParamBlock(blockIndex);
    for (int i = 0; block && i < block->NumParams(); ++i) {
        ParamID id = block->IndextoID(i);
        if (std::wstring_view(block->GetParamDef(id).int_name) == name) {
            return id;
        }
    }
    return -1;
}

}  // namespace testsupport
