#pragma once
// Parameter blocks: the host's store of a plug-in's parameters, with tables ("tabs"), animation
// controllers per entry and validity. Render threads read blocks while the user-interface
// thread writes them; the host's blocks are safe for that (readers never see freed entries).

#include "host/AssetManagement.h"
#include "host/Reference.h"

#include <initializer_list>
#include <vector>

using ParamID = short;
using ParamType2 = int;

constexpr ParamType2 TYPE_FLOAT = 0;
constexpr ParamType2 TYPE_INT = 1;
constexpr ParamType2 TYPE_RGBA = 2;
constexpr ParamType2 TYPE_POINT3 = 3;
constexpr ParamType2 TYPE_BOOL = 4;
constexpr ParamType2 TYPE_ANGLE = 5;
constexpr ParamType2 TYPE_PCNT_FRAC = 6;
constexpr ParamType2 TYPE_WORLD = 7;
constexpr ParamType2 TYPE_STRING = 8;
constexpr ParamType2 TYPE_FILENAME = 9;
constexpr ParamType2 TYPE_TEXMAP = 11;
constexpr ParamType2 TYPE_POINT4 = 22;
constexpr ParamType2 TYPE_FRGBA = 17;
/// A table of any base type: base type | TYPE_TAB.
constexpr ParamType2 TYPE_TAB = 0x800;
constexpr ParamType2 TYPE_FLOAT_TAB = TYPE_FLOAT | TYPE_TAB;
constexpr ParamType2 TYPE_INT_TAB = TYPE_INT | TYPE_TAB;
constexpr ParamType2 TYPE_POINT4_TAB = TYPE_POINT4 | TYPE_TAB;  // 0x816
constexpr ParamType2 BaseType(ParamType2 t) {
    return t & ~TYPE_TAB;
}
constexpr bool IsTabType(ParamType2 t) {
    return (t & TYPE_TAB) != 0;
}

// Parameter flags.
constexpr int P_ANIMATABLE = 0x1;
constexpr int P_TRANSIENT = 0x2;
constexpr int P_VARIABLE_SIZE = 0x1000;

// Block descriptor flags.
constexpr int P_AUTO_CONSTRUCT = 0x2;
constexpr int P_AUTO_UI = 0x4;

/// One parameter of a block descriptor.
struct ParamDef {
    ParamID id = -1;
    const wchar_t* int_name = L"";  ///< the internal (script) name
    ParamType2 type = TYPE_FLOAT;
    int tabSize = 0;     ///< initial entries of a table
    int flags = 0;       ///< P_ANIMATABLE, P_VARIABLE_SIZE, ...
    int local_name = 0;  ///< string resource of the localised name
    // Default: ints use defInt, floats defFloat, colours and point4 defPoint4.
    int defInt = 0;
    float defFloat = 0.0f;
    Point4 defPoint4{};
    bool hasRange = false;
    float rangeLow = 0.0f;
    float rangeHigh = 0.0f;
};

/// An animation controller of one block entry. The host's keyed controllers interpolate
/// linearly between keys and hold the first and last key's value outside them.
class HOST_API Control {
public:
    virtual ~Control();
    virtual int NumKeys() const = 0;
    virtual TimeValue GetKeyTime(int i) const = 0;
};

class ClassDesc2;
class ParamBlockDesc2;

class HOST_API IParamBlock2 : public ReferenceTarget {
public:
    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }

    virtual BlockID ID() const = 0;
    virtual ParamBlockDesc2* GetDesc() const = 0;
    /// The object the block belongs to: the maker that holds it as its block; null for none.
    virtual ReferenceMaker* GetOwner() = 0;
    virtual int NumParams() const = 0;

    // Values. Integer types (TYPE_INT, TYPE_BOOL) read and write as int; TYPE_FLOAT, TYPE_ANGLE
    // (radians), TYPE_PCNT_FRAC and TYPE_WORLD as float; TYPE_POINT3 and TYPE_RGBA as Point3;
    // TYPE_POINT4 and TYPE_FRGBA as Point4; TYPE_STRING and TYPE_FILENAME as MSTR. Any other
    // pairing fails. `tabIndex` selects the entry of a table (ignored otherwise). Reading an entry
    // past the table's count fails and leaves the value alone. `valid` is narrowed by the entry's
    // controller. Writes at a time while animate mode is on create or move a key.
    virtual bool GetValue(ParamID id, TimeValue t, int& v, Interval& valid, int tabIndex = 0) = 0;
    virtual bool GetValue(ParamID id, TimeValue t, float& v, Interval& valid, int tabIndex = 0) = 0;
    virtual bool GetValue(ParamID id, TimeValue t, Point4& v, Interval& valid,
                          int tabIndex = 0) = 0;
    virtual bool GetValue(ParamID id, TimeValue t, Point3& v, Interval& valid,
                          int tabIndex = 0) = 0;
    virtual bool GetValue(ParamID id, TimeValue t, MSTR& v, Interval& valid, int tabIndex = 0) = 0;
    /// A TYPE_FILENAME parameter as an asset.
    virtual bool GetValue(ParamID id, TimeValue t, MaxSDK::AssetManagement::AssetUser& v,
                          Interval& valid, int tabIndex = 0) = 0;
    virtual bool SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) = 0;
    virtual bool SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) = 0;
    virtual bool SetValue(ParamID id, TimeValue t, const Point4& v, int tabIndex = 0) = 0;
    virtual bool SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) = 0;
    virtual bool SetValue(ParamID id, TimeValue t, const MSTR& v, int tabIndex = 0) = 0;

    /// Entries of a table; 0 for a parameter that is not a table.
    virtual int Count(ParamID id) const = 0;
    /// Resizes a table; new entries take the parameter's default.
    virtual void SetCount(ParamID id, int n) = 0;

    virtual int IDtoIndex(ParamID id) const = 0;     ///< -1 when there is no such parameter
    virtual ParamID IndextoID(int index) const = 0;  ///< -1 when out of range
    virtual const ParamDef* GetParamDef(ParamID id) const = 0;
    virtual Control* GetControllerByID(ParamID id, int tabIndex = 0) = 0;
    virtual Control* GetControllerByIndex(int index, int tabIndex = 0) = 0;
    /// Replaces the entry's controller by its value at the current time.
    virtual void RemoveController(int index, int tabIndex) = 0;
    /// Narrows `valid` to the interval over which the block's values stay as they are at t.
    virtual void GetValidity(TimeValue t, Interval& valid) = 0;
    /// Every entry back to its default, controllers removed, tables at their declared sizes.
    virtual void ResetAll() = 0;
};

/// Describes one block of a plug-in class. Construction registers the descriptor with its owner
/// class descriptor, which then builds the block for every new object (P_AUTO_CONSTRUCT).
class HOST_API ParamBlockDesc2 {
public:
    struct AutoUi {
        int dialogTemplate = 0;
        int titleResource = 0;
        int flagMask = 0;
        int rollupFlags = 0;
        class ParamMap2UserDlgProc* dlgProc = nullptr;
    };

    ParamBlockDesc2(BlockID id, const wchar_t* int_name, int local_name, ClassDesc2* owner,
                    int flags, int refNo, AutoUi ui, std::initializer_list<ParamDef> params);
    ~ParamBlockDesc2();

    BlockID ID;
    MSTR int_name;
    int local_name;
    ClassDesc2* cd;
    int flags;
    int ref_no;  ///< the owner's reference that holds the block
    AutoUi ui;
    std::vector<ParamDef> paramdefs;

    int Count() const { return int(paramdefs.size()); }
    int IDtoIndex(ParamID id) const;
    const ParamDef* GetParamDef(ParamID id) const;
};

/// Creates a block from its descriptor for `owner` (the host's CreateParameterBlock2).
HOST_API IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* owner);

/// The target as a parameter block; null for null or any other kind of object (damaged scene
/// data can offer anything as a reference).
inline IParamBlock2* AsParamBlock(ReferenceTarget* target) {
    return target && target->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID
               ? static_cast<IParamBlock2*>(target)
               : nullptr;
}
