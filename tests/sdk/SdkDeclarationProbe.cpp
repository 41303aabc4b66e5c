// Compile-time checks of the host SDK declarations the plug-in uses, written
// from the published "3ds Max C++ API Reference" (2025): types, signatures and
// values. It compiles against the stand-in SDK in both builds and, unchanged,
// against the real SDK, where it is the first thing to build: each failing
// check names the declaration that differs.

#include <AssetEnumCallback.h>
#include <AssetManagement/AssetUser.h>
#include <GetCOREInterface.h>
#include <Util/IniUtil.h>
#include <custcont.h>
#include <imtl.h>
#include <imtledit.h>
#include <ioapi.h>
#include <iparamb2.h>
#include <iparamm2.h>
#include <max.h>
#include <maxapi.h>
#include <maxscript/maxscript.h>
#include <plugapi.h>

#include <type_traits>

namespace {

// `&Class::name` has (or, for an overload set, includes) a member of function
// type F.
template <class F, class Class>
constexpr bool Has(F Class::*) {
    return true;
}
#define SDK_MEMBER(Class, name, ...) \
    static_assert(Has<__VA_ARGS__, Class>(&Class::name), #Class "::" #name ": " #__VA_ARGS__)

// `name` is a free function of type F (one of an overload set).
template <class F>
constexpr bool HasFunction(F*) {
    return true;
}
#define SDK_FUNCTION(name, ...) \
    static_assert(HasFunction<__VA_ARGS__>(&name), #name ": " #__VA_ARGS__)

#define SDK_SAME(a, b) static_assert(std::is_same_v<a, b>, #a " is " #b)
#define SDK_VALUE(name, value) static_assert((name) == (value), #name " is " #value)

using MaxSDK::AssetManagement::AssetUser;

// --- strbasic.h, strclass.h
// -------------------------------------------------------------------

SDK_SAME(MCHAR, wchar_t);
SDK_SAME(std::remove_cvref_t<decltype(*_M("text"))>, wchar_t);
SDK_SAME(MSTR, WStr);
SDK_SAME(LPCMSTR, const wchar_t*);
static_assert(std::is_constructible_v<WStr, const wchar_t*>, "WStr(const wchar_t*)");
static_assert(std::is_convertible_v<const WStr&, const wchar_t*>,
              "WStr converts to const wchar_t*");
SDK_MEMBER(WStr, data, const wchar_t*() const);
SDK_MEMBER(WStr, Length, int() const);
SDK_MEMBER(WStr, length, int() const);
SDK_MEMBER(WStr, isNull, bool() const);
SDK_MEMBER(WStr, first, int(wchar_t) const);
SDK_MEMBER(WStr, last, int(wchar_t) const);
SDK_MEMBER(WStr, Resize, void(int));
SDK_MEMBER(WStr, operator+=, WStr&(const WStr&));
SDK_MEMBER(WStr, operator+, WStr(const WStr&) const);
SDK_MEMBER(WStr, operator==, bool(const WStr&) const);
SDK_MEMBER(WStr, operator[], wchar_t(int) const);
SDK_MEMBER(WStr, remove, WStr&(int, int));
SDK_FUNCTION(operator==, bool(const WStr&, const wchar_t*));
SDK_FUNCTION(operator!=, bool(const WStr&, const wchar_t*));

// --- maxtypes.h, interval.h, geometry
// ---------------------------------------------------------

SDK_SAME(TimeValue, int);
SDK_SAME(SClass_ID, ULONG);
SDK_SAME(BlockID, short);
SDK_SAME(ParamID, short);
SDK_VALUE(IO_OK, 0);
static_assert(Class_ID(1, 2).PartA() == 1 && Class_ID(1, 2).PartB() == 2, "Class_ID parts");
SDK_MEMBER(Class_ID, operator==, bool(const Class_ID&) const);
static_assert(std::is_constructible_v<Interface_ID, ULONG, ULONG>, "Interface_ID(ulong, ulong)");
static_assert(std::is_constructible_v<Interval, TimeValue, TimeValue>, "Interval(s, e)");
SDK_MEMBER(Interval, InInterval, int(const TimeValue) const);
SDK_MEMBER(Interval, operator&=, Interval&(const Interval));
SDK_MEMBER(Interval, operator==, int(const Interval&) const);
SDK_SAME(decltype(FOREVER), Interval);
SDK_SAME(decltype(NEVER), Interval);
static_assert(std::is_constructible_v<Point3, float, float, float>, "Point3(x, y, z)");
static_assert(std::is_constructible_v<Point4, float, float, float, float>, "Point4(x, y, z, w)");
static_assert(std::is_constructible_v<AColor, float, float, float, float>, "AColor(r, g, b, a)");
static_assert(std::is_constructible_v<AColor, float, float, float>, "AColor alpha default");
SDK_SAME(decltype(Point3::x), float);
SDK_SAME(decltype(Point4::w), float);
SDK_SAME(decltype(AColor::a), float);
SDK_MEMBER(Matrix3, IdentityMatrix, void());
SDK_MEMBER(Matrix3, GetRow, Point3(int) const);
SDK_MEMBER(Matrix3, SetRow, void(int, Point3));
SDK_MEMBER(Matrix3, GetIdentFlags, uint32_t() const);
SDK_MEMBER(Matrix3, SetIdentFlags, void(uint32_t));
SDK_MEMBER(BitArray, Set, void(int));

// --- plugapi.h: super classes, version, class descriptors
// -------------------------------------

SDK_VALUE(TEXMAP_CLASS_ID, 0xC10);
SDK_VALUE(PARAMETER_BLOCK2_CLASS_ID, 0x82);
SDK_VALUE(REF_TARGET_CLASS_ID, 0x200);
SDK_VALUE(VERSION_3DSMAX, 0x69784200);

struct ProbeClassDesc final : ClassDesc2 {
    int IsPublic() override;
    void* Create(BOOL loading = FALSE) override;
    const MCHAR* ClassName() override;
    const MCHAR* NonLocalizedClassName() override;
    const MCHAR* InternalName() override;
    SClass_ID SuperClassID() override;
    Class_ID ClassID() override;
    const MCHAR* Category() override;
    HINSTANCE HInstance() override;
};
SDK_MEMBER(ClassDesc2, MakeAutoParamBlocks, void(ReferenceMaker*));
SDK_MEMBER(ClassDesc2, Reset, void(ReferenceTarget*, BOOL, BOOL));
SDK_MEMBER(ClassDesc2, CreateParamDlgs, IAutoMParamDlg*(HWND, IMtlParams*, ReferenceTarget*));
static_assert(std::is_base_of_v<ParamDlg, IAutoMParamDlg>, "IAutoMParamDlg is a ParamDlg");

// --- Animatable.h, ref.h
// ------------------------------------------------------------------------

SDK_SAME(PartID, ULONG_PTR);
SDK_SAME(RefMessage, unsigned int);
SDK_SAME(RefTargetHandle, ReferenceTarget*);
SDK_VALUE(PART_ALL, 0x800037FF);
SDK_VALUE(REFMSG_TARGET_DELETED, 0x20);
SDK_VALUE(REFMSG_CHANGE, 0x50);
SDK_VALUE(REFMSG_SUBANIM_STRUCTURE_CHANGED, 0x102);
SDK_VALUE(NOTIFY_ALL, 0xFFFFFFF0);
SDK_VALUE(REF_SUCCEED, 1);
SDK_MEMBER(ReferenceMaker, ReplaceReference, RefResult(int, RefTargetHandle, BOOL));
SDK_MEMBER(ReferenceMaker, DeleteAllRefsFromMe, RefResult());
SDK_MEMBER(ReferenceTarget, NotifyDependents,
           RefResult(const Interval&, PartID, RefMessage, SClass_ID, BOOL, RefTargetHandle));
static_assert(
    requires(ReferenceTarget & t) { t.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE); },
    "NotifyDependents: sclass, propagate and hTarg have defaults");
static_assert(
    requires(ReferenceMaker & m, ReferenceTarget* t) { m.ReplaceReference(0, t); },
    "ReplaceReference: delOld has a default");
SDK_MEMBER(RemapDir, CloneRef, RefTargetHandle(RefTargetHandle));
SDK_MEMBER(ReferenceTarget, BaseClone, void(ReferenceTarget*, ReferenceTarget*, RemapDir&));
SDK_FUNCTION(Animating, BOOL());
SDK_FUNCTION(AnimateOn, void());
SDK_FUNCTION(AnimateOff, void());
static_assert(std::is_default_constructible_v<AnimateSuspend>, "AnimateSuspend()");
SDK_VALUE(FILE_ENUM_ALL, 0x7);
static_assert(!std::is_destructible_v<Animatable>, "Animatable dies through DeleteThis");

// --- imtl.h: maps, shading, the material editor
// -------------------------------------------------

SDK_VALUE(REF_WORLD, 1);
SDK_VALUE(U_WRAP, 1);
static_assert(MTLREQ_UV != 0 && MTLREQ_VIEW_DEP != 0 && (MTLREQ_UV & MTLREQ_VIEW_DEP) == 0,
              "MTLREQ_UV and MTLREQ_VIEW_DEP are distinct requirement bits");
SDK_VALUE(V_WRAP, 2);
SDK_VALUE(ROLLUP_CAT_STANDARD, 4000);
static_assert(std::is_convertible_v<decltype(TEXMAP_CAT_ENV), const MCHAR*>, "TEXMAP_CAT_ENV");
SDK_MEMBER(ShadeContext, CurTime, TimeValue());
SDK_MEMBER(ShadeContext, V, Point3());
SDK_MEMBER(ShadeContext, UVW, Point3(int));
SDK_MEMBER(ShadeContext, VectorTo, Point3(const Point3&, int));
static_assert(
    requires(ShadeContext & sc) { sc.UVW(); }, "ShadeContext::UVW: channel default");
SDK_MEMBER(IMtlParams, AddRollupPage,
           HWND(HINSTANCE, const MCHAR*, DLGPROC, const MCHAR*, LPARAM, DWORD, int));
SDK_MEMBER(IMtlParams, DeleteRollupPage, void(HWND));
SDK_MEMBER(MtlBase, GetName, MSTR&());
SDK_MEMBER(MtlBase, SetName, void(MSTR));
static_assert(std::is_base_of_v<ISubMap, MtlBase>, "MtlBase is an ISubMap");

// A map overrides with the documented signatures.
struct ProbeTexmap final : Texmap {
    void DeleteThis() override;
    void GetClassName(MSTR& s, bool localized = true) const override;
    Class_ID ClassID() override;
    SClass_ID SuperClassID() override;
    int NumSubs() override;
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i, bool localized = true) override;
    void EnumAuxFiles(AssetEnumCallback& assetEnum, DWORD flags = FILE_ENUM_ALL) override;
    int NumParamBlocks() override;
    IParamBlock2* GetParamBlock(int i) override;
    IParamBlock2* GetParamBlockByID(BlockID id) override;
    int NumRefs() override;
    RefTargetHandle GetReference(int i) override;
    void SetReference(int i, RefTargetHandle rtarg) override;
    RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
    RefTargetHandle Clone(RemapDir& remap) override;
    ULONG LocalRequirements(int subMtlNum) override;
    void LocalMappingsRequired(int subMtlNum, BitArray& mapreq, BitArray& bumpreq) override;
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;
    AColor EvalColor(ShadeContext& sc) override;
    float EvalMono(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;
    bool IsOutputMeaningful(ShadeContext& sc) override;
    bool IsLocalOutputMeaningful(ShadeContext& sc) override;
    int LoadMapFiles(TimeValue t) override;
    void GetUVTransform(Matrix3& uvtrans) override;
    int GetTextureTiling() override;
    int NumSubTexmaps() override;
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i, bool localized) override;
};

// --- paramtype.h, iparamb2.h, iparamm2.h, control.h
// --------------------------------------------

SDK_VALUE(TYPE_FLOAT, 0);
SDK_VALUE(TYPE_INT, 1);
SDK_VALUE(TYPE_POINT3, 3);
SDK_VALUE(TYPE_ANGLE, 5);
SDK_VALUE(TYPE_STRING, 8);
SDK_VALUE(TYPE_FILENAME, 9);
SDK_VALUE(TYPE_TEXMAP, 15);
SDK_VALUE(TYPE_POINT4, 22);
SDK_VALUE(TYPE_FRGBA, 23);
SDK_VALUE(TYPE_TAB, 0x800);
SDK_VALUE(TYPE_FLOAT_TAB, TYPE_FLOAT + TYPE_TAB);
SDK_VALUE(TYPE_POINT4_TAB, TYPE_POINT4 + TYPE_TAB);
SDK_VALUE(base_type(TYPE_POINT4_TAB), TYPE_POINT4);
static_assert(is_tab(TYPE_FLOAT_TAB) && !is_tab(TYPE_FLOAT), "is_tab");
SDK_VALUE(P_ANIMATABLE, 0x1);
SDK_VALUE(P_VARIABLE_SIZE, 0x1000);
SDK_VALUE(P_AUTO_CONSTRUCT, 0x2);
SDK_VALUE(P_AUTO_UI, 0x4);
SDK_SAME(decltype(ParamDef::ID), ParamID);
SDK_SAME(decltype(ParamDef::int_name), const MCHAR*);
SDK_SAME(decltype(ParamDef::type), ParamType2);
SDK_SAME(decltype(ParamDef::flags), ULONGLONG);
SDK_SAME(decltype(ParamDef::local_name), StringResID);
SDK_SAME(decltype(ParamDef::def), PB2Value);
SDK_SAME(decltype(ParamDef::range_low), PB2Value);
SDK_SAME(decltype(ParamDef::range_high), PB2Value);
SDK_SAME(decltype(ParamDef::tab_size), short);
SDK_SAME(decltype(PB2Value::i), int);
SDK_SAME(decltype(PB2Value::f), float);
SDK_SAME(decltype(PB2Value::p4), Point4*);
static_assert(
    std::is_constructible_v<ParamBlockDesc2, BlockID, const MCHAR*, StringResID, ClassDesc2*,
                            USHORT, int, int, int, int, int, ParamMap2UserDlgProc*, int>,
    "ParamBlockDesc2(BlockID, const MCHAR*, StringResID, ClassDesc2*, USHORT, "
    "...)");
static_assert(p_end != p_default && p_end != p_range, "p_ tags are distinct");
SDK_MEMBER(ParamBlockDesc2, Count, USHORT());
SDK_SAME(decltype(ParamBlockDesc2::paramdefs), ParamDef*);
SDK_MEMBER(IParamBlock2, NumParams, int());
SDK_MEMBER(IParamBlock2, GetParamDef, ParamDef&(ParamID));
SDK_MEMBER(IParamBlock2, ID, BlockID());
SDK_MEMBER(IParamBlock2, GetOwner, ReferenceMaker*());
SDK_MEMBER(IParamBlock2, GetDesc, ParamBlockDesc2*());
SDK_MEMBER(IParamBlock2, IDtoIndex, int(ParamID));
SDK_MEMBER(IParamBlock2, IndextoID, ParamID(int));
SDK_MEMBER(IParamBlock2, GetValue, BOOL(ParamID, TimeValue, float&, Interval&, int));
SDK_MEMBER(IParamBlock2, GetValue, BOOL(ParamID, TimeValue, int&, Interval&, int));
SDK_MEMBER(IParamBlock2, GetValue, BOOL(ParamID, TimeValue, Point3&, Interval&, int));
SDK_MEMBER(IParamBlock2, GetValue, BOOL(ParamID, TimeValue, Point4&, Interval&, int));
SDK_MEMBER(IParamBlock2, GetValue, BOOL(ParamID, TimeValue, const MCHAR*&, Interval&, int));
SDK_MEMBER(IParamBlock2, GetValue, BOOL(ParamID, TimeValue, AssetUser&, Interval&, int));
SDK_MEMBER(IParamBlock2, SetValue, BOOL(ParamID, TimeValue, float, int));
SDK_MEMBER(IParamBlock2, SetValue, BOOL(ParamID, TimeValue, int, int));
SDK_MEMBER(IParamBlock2, SetValue, BOOL(ParamID, TimeValue, const Point3&, int));
SDK_MEMBER(IParamBlock2, SetValue, BOOL(ParamID, TimeValue, const Point4&, int));
SDK_MEMBER(IParamBlock2, SetValue, BOOL(ParamID, TimeValue, const MCHAR*, int));
static_assert(
    requires(IParamBlock2 & pb, float& v, Interval& iv) { pb.GetValue(0, 0, v, iv); },
    "IParamBlock2::GetValue: tabIndex default");
static_assert(
    requires(IParamBlock2 & pb) { pb.SetValue(0, 0, 1.0f); },
    "IParamBlock2::SetValue: tabIndex default");
SDK_MEMBER(IParamBlock2, Count, int(ParamID));
SDK_MEMBER(IParamBlock2, SetCount, void(ParamID, int));
SDK_MEMBER(IParamBlock2, GetControllerByID, Control*(ParamID, int));
SDK_MEMBER(IParamBlock2, RemoveController, void(int, int));
SDK_MEMBER(IParamBlock2, RemoveControllerByIndex, void(int, int));
SDK_MEMBER(IParamBlock2, GetValidity, void(TimeValue, Interval&));
SDK_FUNCTION(CreateParameterBlock2, IParamBlock2*(ParamBlockDesc2*, ReferenceMaker*));
static_assert(std::is_base_of_v<ReferenceTarget, IParamBlock2>, "IParamBlock2 is a target");
static_assert(std::is_base_of_v<ReferenceTarget, Control>, "Control is a target");
SDK_MEMBER(IParamMap2, GetParamBlock, IParamBlock2*());

struct ProbeDlgProc final : ParamMap2UserDlgProc {
    INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                    LPARAM lParam) override;
    void DeleteThis() override;
};
static_assert(std::is_abstract_v<ParamMap2UserDlgProc>, "ParamMap2UserDlgProc::DeleteThis is pure");

// --- ioapi.h
// ------------------------------------------------------------------------------------

SDK_MEMBER(ISave, BeginChunk, void(USHORT));
SDK_MEMBER(ISave, EndChunk, void());
SDK_MEMBER(ISave, WriteVoid, IOResult(const void*, ULONG, ULONG*));
SDK_MEMBER(ILoad, OpenChunk, IOResult());
SDK_MEMBER(ILoad, CurChunkID, USHORT());
SDK_MEMBER(ILoad, CurChunkLength, ULONGLONG());
SDK_MEMBER(ILoad, CloseChunk, IOResult());
SDK_MEMBER(ILoad, ReadVoid, IOResult(const void*, ULONG, ULONG*));

// --- maxapi.h, inode.h, GetCOREInterface.h, imtledit.h
// -----------------------------------------

SDK_FUNCTION(GetCOREInterface, Interface*());
SDK_FUNCTION(GetCOREInterface, FPInterface*(Interface_ID));
SDK_FUNCTION(GetTicksPerFrame, int());
SDK_MEMBER(Interface, GetTime, TimeValue());
SDK_MEMBER(Interface, RegisterTimeChangeCallback, void(TimeChangeCallback*));
SDK_MEMBER(Interface, UnRegisterTimeChangeCallback, void(TimeChangeCallback*));
SDK_MEMBER(Interface, GetMAXHWnd, HWND() const);
SDK_MEMBER(Interface, PutMtlToMtlEditor, void(MtlBase*, int));
SDK_MEMBER(Interface, GetActiveViewExp, ViewExp&());
SDK_MEMBER(Interface, GetINodeByHandle, INode*(ULONG));
SDK_MEMBER(Interface, GetINodeByName, INode*(const MCHAR*));
SDK_MEMBER(Interface, ClearNodeSelection, void(BOOL));
SDK_MEMBER(Interface, SelectNode, void(INode*, int));
SDK_MEMBER(ViewExp, IsAlive, bool());
SDK_MEMBER(ViewExp, GetViewCamera, INode*());
SDK_MEMBER(ViewExp, SetViewCamera, void(INode*));
SDK_MEMBER(INode, GetHandle, ULONG());
SDK_MEMBER(INode, GetName, const MCHAR*());
SDK_MEMBER(INode, GetNodeTM, Matrix3(TimeValue, Interval*));
SDK_MEMBER(IMtlEditInterface, GetTopMtlSlot, MtlBase*(int));
SDK_MEMBER(IMtlEditInterface, GetActiveMtlSlot, int());
SDK_MEMBER(IMtlEditInterface, SetActiveMtlSlot, void(int, BOOL));
static_assert(std::is_base_of_v<FPInterface, IMtlEditInterface>, "IMtlEditInterface is published");
SDK_SAME(std::remove_cvref_t<decltype(MTLEDIT_INTERFACE)>, Interface_ID);

struct ProbeTimeChange final : TimeChangeCallback {
    void TimeChanged(TimeValue t) override;
};

// --- custcont.h
// ----------------------------------------------------------------------------------

SDK_VALUE(CC_SPINNER_CHANGE, 1624);
SDK_VALUE(CC_SPINNER_BUTTONUP, 1626);
SDK_VALUE(CC_COLOR_CHANGE, 1627);
SDK_VALUE(CBT_PUSH, 0);
SDK_VALUE(EDITTYPE_FLOAT, 1);
SDK_FUNCTION(GetICustButton, ICustButton*(HWND));
SDK_FUNCTION(ReleaseICustButton, void(ICustButton*));
SDK_FUNCTION(GetISpinner, ISpinnerControl*(HWND));
SDK_FUNCTION(ReleaseISpinner, void(ISpinnerControl*));
SDK_FUNCTION(GetIColorSwatch, IColorSwatch*(HWND));
SDK_FUNCTION(ReleaseIColorSwatch, void(IColorSwatch*));
SDK_MEMBER(ICustButton, SetText, void(const MCHAR*));
SDK_MEMBER(ICustButton, SetType, void(CustButType));
SDK_MEMBER(ICustButton, SetDADMgr, void(DADMgr*));
SDK_MEMBER(ISpinnerControl, GetFVal, float());
SDK_MEMBER(ISpinnerControl, SetValue, void(float, int));
SDK_MEMBER(ISpinnerControl, SetLimits, void(float, float, int));
SDK_MEMBER(ISpinnerControl, SetScale, void(float));
SDK_MEMBER(ISpinnerControl, SetResetValue, void(float));
SDK_MEMBER(ISpinnerControl, LinkToEdit, void(HWND, EditSpinnerType));
SDK_MEMBER(IColorSwatch, GetColor, COLORREF());
SDK_MEMBER(IColorSwatch, SetColor, COLORREF(COLORREF, int));

struct ProbeDADMgr final : DADMgr {
    SClass_ID GetDragType(HWND hwnd, POINT p) override;
    BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                  BOOL isNew = FALSE) override;
    ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) override;
    void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type,
              DADMgr* srcMgr = nullptr, BOOL bSrcClone = FALSE) override;
};
static_assert(std::is_abstract_v<DADMgr>, "DADMgr's methods are pure");

// --- Assets, scripts, settings
// --------------------------------------------------------------------

SDK_MEMBER(AssetUser, GetFileName, const MSTR&() const);
SDK_MEMBER(AssetUser, GetFullFilePath, bool(MSTR&) const);
struct ProbeAssetCallback final : AssetEnumCallback {
    void RecordAsset(const AssetUser& asset) override;
};
SDK_VALUE(int(MAXScript::ScriptSource::Dynamic), 3);
SDK_FUNCTION(ExecuteMAXScriptScript,
             BOOL(const MCHAR*, MAXScript::ScriptSource, BOOL, FPValue*, BOOL));
SDK_FUNCTION(MaxSDK::Util::GetPrivateProfileIntW, DWORD(LPCMSTR, LPCMSTR, INT, LPCMSTR));
SDK_FUNCTION(MaxSDK::Util::WritePrivateProfileStringW, BOOL(LPCMSTR, LPCMSTR, LPCMSTR, LPCMSTR));

}  // namespace
