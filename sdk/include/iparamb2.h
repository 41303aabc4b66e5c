#pragma once
// Parameter blocks: the host's store of a plug-in's parameters, with tables, animation
// controllers per entry and validity, and their descriptors. Render threads may read the
// host's blocks while the user-interface thread writes them.

#include "AssetManagement/AssetUser.h"
#include "acolor.h"
#include "control.h"
#include "paramtype.h"
#include "plugapi.h"
#include "point3.h"
#include "point4.h"
#include "ref.h"

class IMtlParams;
class IAutoMParamDlg;
class ParamBlockDesc2;
class ParamMap2UserDlgProc;

/// A string-table resource id.
typedef int StringResID;

// Parameter flags.
#define P_ANIMATABLE 0x00000001
#define P_TRANSIENT 0x00000002
#define P_VARIABLE_SIZE 0x00001000

// Block descriptor flags.
#define P_CLASS_PARAMS 0x0001
#define P_AUTO_CONSTRUCT 0x0002
#define P_AUTO_UI 0x0004

/// Tags of the descriptor's constructor: after a parameter's fixed fields come tagged options,
/// ended by p_end; a last p_end ends the block.
enum ParamTags {
    p_default = -(1 << 30),
    p_ms_default,
    p_range,
    p_ui,
    p_validator,
    p_accessor,
    p_dim,
    p_class_id,
    p_sclass_id,
    p_enabled,
    p_enum,
    p_end,
};

/// One value of a descriptor: a default or a limit.
struct PB2Value {
    union {
        int i;
        float f;
        Point3* p;
        Point4* p4;
        TimeValue t;
        MCHAR* s;
    };
    BYTE flags;
};

/// One parameter of a block descriptor.
struct ParamDef {
    ParamID ID;
    const MCHAR* int_name;  ///< the internal (script) name
    ParamType2 type;
    ULONGLONG flags;  ///< P_ANIMATABLE, P_VARIABLE_SIZE, ...
    StringResID local_name;
    PB2Value def;
    PB2Value range_low;
    PB2Value range_high;
    short tab_size;  ///< initial entries of a table
};

class CoreExport IParamBlock2 : public ReferenceTarget {
public:
    virtual int NumParams() = 0;
    /// The definition of `id`; check IDtoIndex(id) first, as an unknown id has none.
    virtual ParamDef& GetParamDef(ParamID id) = 0;
    virtual BlockID ID() = 0;
    /// The object the block belongs to.
    virtual ReferenceMaker* GetOwner() = 0;
    virtual ParamBlockDesc2* GetDesc() = 0;
    /// -1 when there is no such parameter.
    virtual int IDtoIndex(ParamID id) = 0;
    /// -1 when out of range.
    virtual ParamID IndextoID(int i) = 0;

    // Values. TYPE_INT and TYPE_BOOL read and write as int; TYPE_FLOAT, TYPE_ANGLE (radians),
    // TYPE_PCNT_FRAC and TYPE_WORLD as float; TYPE_POINT3 and TYPE_RGBA as Point3; TYPE_POINT4
    // and TYPE_FRGBA as Point4; TYPE_STRING and TYPE_FILENAME as strings (the string read stays
    // valid until the entry changes); TYPE_FILENAME also as an asset. Any other pairing fails.
    // `tabIndex` selects the entry of a table. `ivalid` is narrowed by the entry's controller.
    // Writes at a time while animate mode is on create or move a key.
    virtual BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Point4& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const MCHAR* v, int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Point4& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, const MCHAR*& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, MaxSDK::AssetManagement::AssetUser& v,
                          Interval& ivalid, int tabIndex = 0) = 0;

    /// Entries of a table; 0 for a parameter that is not one.
    virtual int Count(ParamID id) = 0;
    /// Resizes a table; new entries take the parameter's default.
    virtual void SetCount(ParamID id, int n) = 0;

    virtual Control* GetControllerByID(ParamID id, int tabIndex = 0) = 0;
    virtual Control* GetControllerByIndex(int index, int tabIndex = 0) = 0;
    /// Replaces the entry's controller by its value at the current time.
    virtual void RemoveController(int j, int tabIndex) = 0;
    virtual void RemoveControllerByIndex(int index, int tabIndex = 0) = 0;
    /// Narrows `valid` to the interval over which the block's values stay as they are at t.
    virtual void GetValidity(TimeValue t, Interval& valid) = 0;
    /// Every entry back to its default, controllers removed, tables at their declared sizes.
    virtual void ResetAll(BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE) = 0;
};

/// Describes one block of a plug-in class. The constructor registers the descriptor with its
/// class descriptor, which then builds the block for every new object (P_AUTO_CONSTRUCT).
///
/// After `flags` come: with P_AUTO_CONSTRUCT the owner's reference number of the block; with
/// P_AUTO_UI the dialog template, the title's string, the test flags, the rollup flags and the
/// ParamMap2UserDlgProc. Then each parameter: id, internal name, type, the table size for a
/// table type, flags, local name, tagged options (p_default, p_range) and p_end; a last p_end.
class CoreExport ParamBlockDesc2 {
public:
    ParamBlockDesc2(BlockID ID, const MCHAR* int_name, StringResID local_name, ClassDesc2* cd,
                    USHORT flags, ...);
    ~ParamBlockDesc2();
    ParamBlockDesc2(const ParamBlockDesc2&) = delete;
    ParamBlockDesc2& operator=(const ParamBlockDesc2&) = delete;

    USHORT Count() { return count; }
    int IDtoIndex(ParamID id);
    ParamID IndextoID(int i) { return i >= 0 && i < count ? paramdefs[i].ID : ParamID(-1); }
    ParamDef& GetParamDef(ParamID id);

    ParamDef* paramdefs = nullptr;
    ClassDesc2* cd = nullptr;
    const MCHAR* int_name = nullptr;
    StringResID local_name = 0;
    BlockID ID = -1;
    USHORT count = 0;
    ULONG flags = 0;
    int ref_no = 0;
    int dlg_template = 0;
    StringResID title = 0;
    int test_flags = 0;
    int rollup_flags = 0;
    ParamMap2UserDlgProc* dlgProc = nullptr;
};

/// Creates a block from its descriptor for `iowner`.
PB2Export IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner);

/// A class descriptor with parameter blocks.
class CoreExport ClassDesc2 : public ClassDesc {
public:
    ClassDesc2();
    ~ClassDesc2() override;
    int NumParamBlockDescs();
    ParamBlockDesc2* GetParamBlockDesc(int i);
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id);
    void AddParamBlockDesc(ParamBlockDesc2* pbd);
    /// Builds every P_AUTO_CONSTRUCT block for `owner` and makes each the owner's reference
    /// given by its descriptor.
    void MakeAutoParamBlocks(ReferenceMaker* owner) override;
    /// Builds the automatic rollups (P_AUTO_UI) of `obj` in the material editor.
    IAutoMParamDlg* CreateParamDlgs(HWND hwMtlEdit, IMtlParams* imp, ReferenceTarget* obj);
    /// Puts every block of `obj` back to its defaults.
    void Reset(ReferenceTarget* obj, BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE);

private:
    ParamBlockDesc2* descs[8] = {};
    int descCount = 0;
};
