#include "support/NamedParamMap.h"

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>
#include "platform/Platform.h"

#include <stdexcept>

namespace testsupport {

namespace {
std::unique_ptr<ParamBlockDesc2> MakeDesc(int index, const std::vector<NamedParam>& params) {
    auto desc = std::make_unique<ParamBlockDesc2>(BlockID(index), L"testParams", 0, nullptr, 0,
                                                  index, ParamBlockDesc2::AutoUi{},
                                                  std::initializer_list<ParamDef>{});
    ParamID id = 0;
    for (const NamedParam& p : params) {
        desc->paramdefs.push_back({.id = id++,
                                   .int_name = p.name,
                                   .type = p.type,
                                   .flags = P_ANIMATABLE,
                                   .defInt = int(p.defaultValue),
                                   .defFloat = p.defaultValue});
    }
    return desc;
}
}  // namespace

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
    descs.push_back(MakeDesc(index, params));
    ReplaceReference(index, CreateParameterBlock2(descs.back().get(), this));
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
        cb.RecordAsset(MaxSDK::AssetManagement::AssetUser(a));
    }
    if (throwInEnumeration) {
        throw std::runtime_error("asset enumeration failed");
    }
}

ParamID NamedParamMap::IdOf(int blockIndex, const wchar_t* name) {
    IParamBlock2* block = GetParamBlock(blockIndex);
    for (int i = 0; block && i < block->NumParams(); ++i) {
        ParamID id = block->IndextoID(i);
        if (MSTR(block->GetParamDef(id)->int_name) == name) {
            return id;
        }
    }
    return -1;
}

std::string Narrow(const std::wstring& text) {
    return platform::WideToUtf8(text);
}

}  // namespace testsupport
