#pragma once
// A texture map for tests whose class name and parameter blocks the test chooses, so that rules
// which go by names and types can be checked against any layout.

#include <iparamb2.h>
#include "support/TestTexmap.h"

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

struct NamedParam {
    const wchar_t* name;
    int type;                   ///< a ParamType or ParamType2 value
    float defaultValue = 0.0f;  ///< ints and floats
};

/// A block descriptor built at run time: the definitions belong to it, not to the host.
class TestBlockDesc {
public:
    TestBlockDesc(int index, const std::vector<NamedParam>& params);
    ~TestBlockDesc();
    TestBlockDesc(const TestBlockDesc&) = delete;
    TestBlockDesc& operator=(const TestBlockDesc&) = delete;

    ParamBlockDesc2 desc;

private:
    std::vector<ParamDef> defs;
    std::vector<Point3> zero3;
    std::vector<Point4> zero4;
    ParamDef* ownDefs = nullptr;  // what the descriptor's constructor made
    USHORT ownCount = 0;
};

/// A map with one block per list in `blocks` (a null list leaves that block index empty).
class NamedParamMap : public TestTexmap {
public:
    NamedParamMap(const wchar_t* className, const std::vector<std::vector<NamedParam>>& blocks,
                  Class_ID classId = Class_ID(0x7E570100, 0x1));
    ~NamedParamMap() override;

    void GetClassName(MSTR& s, bool = true) const override { s = className; }
    Class_ID ClassID() override { return classId; }
    int NumRefs() override { return int(blocks.size()); }
    ReferenceTarget* GetReference(int i) override { return GetParamBlock(i); }
    int NumParamBlocks() override { return int(blocks.size()); }
    IParamBlock2* GetParamBlock(int i) override;
    void EnumAuxFiles(AssetEnumCallback& cb, DWORD flags) override;

    /// Assets reported by EnumAuxFiles, in order.
    std::vector<MSTR> assets;
    /// Makes EnumAuxFiles throw after reporting its assets.
    bool throwInEnumeration = false;
    /// Block `index` by its parameter's internal name.
    ParamID IdOf(int blockIndex, const wchar_t* name);
    /// Replaces block `index` by a new one with other parameters (a new descriptor).
    void ReplaceBlock(int index, const std::vector<NamedParam>& params);

protected:
    void SetReference(int i, ReferenceTarget* target) override;

private:
    MSTR className;
    Class_ID classId;
    std::vector<std::unique_ptr<TestBlockDesc>> descs;
    std::vector<IParamBlock2*> blocks;
};

}  // namespace testsupport
