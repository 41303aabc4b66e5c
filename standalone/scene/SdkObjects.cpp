// What the host's object classes do unless a plug-in overrides it, and the destructors of the
// host's interfaces.

#include <AssetEnumCallback.h>
#include <GetCOREInterface.h>
#include <custcont.h>
#include <ifnpub.h>
#include <imtl.h>
#include <inode.h>
#include <ioapi.h>
#include <iparamm2.h>
#include <maxapi.h>
#include <plugapi.h>
#include <ref.h>

// --- Animatable ------------------------------------------------------------------------------

Animatable::Animatable() = default;
Animatable::~Animatable() = default;

void Animatable::DeleteThis() {
    delete this;
}

void Animatable::GetClassName(MSTR& s, bool) const {
    s = MSTR();
}

Class_ID Animatable::ClassID() {
    return Class_ID();
}

int Animatable::NumSubs() {
    return 0;
}

Animatable* Animatable::SubAnim(int) {
    return nullptr;
}

MSTR Animatable::SubAnimName(int, bool) {
    return MSTR();
}

void Animatable::EnumAuxFiles(AssetEnumCallback&, DWORD) {}

int Animatable::NumParamBlocks() {
    return 0;
}

IParamBlock2* Animatable::GetParamBlock(int) {
    return nullptr;
}

IParamBlock2* Animatable::GetParamBlockByID(BlockID) {
    return nullptr;
}

int Animatable::NumKeys() {
    return 0;
}

TimeValue Animatable::GetKeyTime(int) {
    return 0;
}

// --- Materials and maps ----------------------------------------------------------------------

int ISubMap::NumSubTexmaps() {
    return 0;
}

Texmap* ISubMap::GetSubTexmap(int) {
    return nullptr;
}

void ISubMap::SetSubTexmap(int, Texmap*) {}

MSTR ISubMap::GetSubTexmapSlotName(int, bool) {
    return MSTR();
}

MtlBase::MtlBase() = default;

MSTR& MtlBase::GetName() {
    return name;
}

void MtlBase::SetName(MSTR s) {
    name = std::move(s);
}

ULONG MtlBase::LocalRequirements(int) {
    return 0;
}

void MtlBase::LocalMappingsRequired(int, BitArray&, BitArray&) {}

ReferenceTarget* MtlBase::GetRefTarget() {
    return this;
}

void MtlBase::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
    ReferenceTarget::BaseClone(from, to, remap);
    auto* source = dynamic_cast<MtlBase*>(from);
    auto* copy = dynamic_cast<MtlBase*>(to);
    if (source && copy) {
        copy->SetName(source->GetName());
    }
}

Texmap::Texmap() = default;

SClass_ID Texmap::SuperClassID() {
    return TEXMAP_CLASS_ID;
}

float Texmap::EvalMono(ShadeContext& sc) {
    AColor c = EvalColor(sc);
    return (c.r + c.g + c.b) / 3.0f;
}

bool Texmap::IsOutputMeaningful(ShadeContext&) {
    return false;
}

bool Texmap::IsLocalOutputMeaningful(ShadeContext&) {
    return false;
}

int Texmap::LoadMapFiles(TimeValue) {
    return 1;
}

void Texmap::GetUVTransform(Matrix3& uvtrans) {
    uvtrans.IdentityMatrix();
}

int Texmap::GetTextureTiling() {
    return U_WRAP | V_WRAP;
}

// --- Interfaces ------------------------------------------------------------------------------

ShadeContext::~ShadeContext() = default;
ParamDlg::~ParamDlg() = default;
IMtlParams::~IMtlParams() = default;
ISubMap::~ISubMap() = default;
IParamMap2::~IParamMap2() = default;
ParamMap2UserDlgProc::~ParamMap2UserDlgProc() = default;
INode::~INode() = default;
ViewExp::~ViewExp() = default;
Interface::~Interface() = default;
TimeChangeCallback::~TimeChangeCallback() = default;
FPInterface::~FPInterface() = default;
ICustomControl::~ICustomControl() = default;
DADMgr::~DADMgr() = default;
AssetEnumCallback::~AssetEnumCallback() = default;
ISave::~ISave() = default;
ILoad::~ILoad() = default;
ClassDesc::~ClassDesc() = default;
RemapDir::~RemapDir() = default;
