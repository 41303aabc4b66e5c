// Block descriptors: the layout a plug-in passes to ParamBlockDesc2's constructor, read into an
// array of parameter definitions that the descriptor owns.

#include <iparamb2.h>

#include "scene/HostLog.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <string>
#include <vector>

namespace {

bool IsIntType(ParamType2 type) {
    const int base = int(base_type(type));
    return base == TYPE_INT || base == TYPE_BOOL || base == TYPE_TIMEVALUE ||
           base == TYPE_RADIOBTN_INDEX || base == TYPE_INDEX;
}

bool IsFloatType(ParamType2 type) {
    const int base = int(base_type(type));
    return base == TYPE_FLOAT || base == TYPE_ANGLE || base == TYPE_PCNT_FRAC ||
           base == TYPE_WORLD || base == TYPE_COLOR_CHANNEL;
}

bool IsPoint3Type(ParamType2 type) {
    const int base = int(base_type(type));
    return base == TYPE_POINT3 || base == TYPE_RGBA || base == TYPE_HSV;
}

bool IsStringType(ParamType2 type) {
    const int base = int(base_type(type));
    return base == TYPE_STRING || base == TYPE_FILENAME;
}

/// The default given after p_default, read as the parameter's type passes it. False when the
/// type has no default the host understands (the layout cannot be read past it).
bool ReadDefault(ParamDef& def, va_list& args) {
    const int base = int(base_type(def.type));
    if (IsIntType(def.type)) {
        def.def.i = va_arg(args, int);
    } else if (IsFloatType(def.type)) {
        def.def.f = float(va_arg(args, double));
    } else if (IsPoint3Type(def.type)) {
        def.def.p = new Point3(va_arg(args, Point3));
    } else if (base == TYPE_POINT4) {
        def.def.p4 = new Point4(va_arg(args, Point4));
    } else if (base == TYPE_FRGBA) {
        AColor c = va_arg(args, AColor);
        def.def.p4 = new Point4(c.r, c.g, c.b, c.a);
    } else if (IsStringType(def.type)) {
        const MCHAR* text = va_arg(args, const MCHAR*);
        if (text) {
            std::wstring copy(text);
            def.def.s = new MCHAR[copy.size() + 1];
            std::wmemcpy(def.def.s, copy.c_str(), copy.size() + 1);
        }
    } else {
        return false;
    }
    return true;
}

/// The limits given after p_range: ints for integer types, floats for the others with numbers.
bool ReadRange(ParamDef& def, va_list& args) {
    if (IsIntType(def.type)) {
        def.range_low.i = va_arg(args, int);
        def.range_high.i = va_arg(args, int);
    } else if (IsFloatType(def.type) || IsPoint3Type(def.type) ||
               int(base_type(def.type)) == TYPE_POINT4 || int(base_type(def.type)) == TYPE_FRGBA) {
        def.range_low.f = float(va_arg(args, double));
        def.range_high.f = float(va_arg(args, double));
    } else {
        return false;
    }
    return true;
}

void FreeValues(ParamDef& def) {
    if (IsPoint3Type(def.type)) {
        delete def.def.p;
    } else if (int(base_type(def.type)) == TYPE_POINT4 || int(base_type(def.type)) == TYPE_FRGBA) {
        delete def.def.p4;
    } else if (IsStringType(def.type)) {
        delete[] def.def.s;
    }
}

void LogLayoutStop(const MCHAR* blockName, const ParamDef& def, int tag) {
    standalone::HostLog("parameter block \"" + platform::WideToUtf8(blockName ? blockName : L"") +
                        "\": parameter \"" +
                        platform::WideToUtf8(def.int_name ? def.int_name : L"") +
                        "\" has an option the host does not read (" + std::to_string(tag) +
                        "); the rest of the block's layout is ignored");
}

ParamDef emptyParamDef = {-1, L"", ParamType2(TYPE_FLOAT), 0, 0, {}, {}, {}, 0};

}  // namespace

ParamBlockDesc2::ParamBlockDesc2(BlockID ID, const MCHAR* int_name, StringResID local_name,
                                 ClassDesc2* cd, USHORT flags, ...)
    : cd(cd), int_name(int_name), local_name(local_name), ID(ID), flags(flags) {
    va_list args;
    va_start(args, flags);
    if (flags & P_AUTO_CONSTRUCT) {
        ref_no = va_arg(args, int);
    }
    if (flags & P_AUTO_UI) {
        dlg_template = va_arg(args, int);
        title = va_arg(args, int);
        test_flags = va_arg(args, int);
        rollup_flags = va_arg(args, int);
        dlgProc = va_arg(args, ParamMap2UserDlgProc*);
    }
    // Each parameter: its fixed fields, then tagged options up to p_end. A tag whose arguments
    // the host does not know ends the reading: what follows cannot be told apart safely.
    std::vector<ParamDef> defs;
    for (bool readable = true; readable;) {
        int id = va_arg(args, int);
        if (id == p_end) {
            break;
        }
        ParamDef def = {};
        def.ID = ParamID(id);
        def.int_name = va_arg(args, const MCHAR*);
        def.type = ParamType2(va_arg(args, int));
        if (is_tab(def.type)) {
            def.tab_size = short(va_arg(args, int));
        }
        def.flags = ULONGLONG(unsigned(va_arg(args, int)));
        def.local_name = va_arg(args, int);
        for (int tag = va_arg(args, int); tag != p_end; tag = va_arg(args, int)) {
            bool known = (tag == p_default || tag == p_ms_default) ? ReadDefault(def, args)
                         : tag == p_range                          ? ReadRange(def, args)
                                                                   : false;
            if (!known) {
                LogLayoutStop(int_name, def, tag);
                readable = false;
                break;
            }
        }
        defs.push_back(def);
    }
    va_end(args);
    count = USHORT(defs.size());
    paramdefs = new ParamDef[defs.size() > 0 ? defs.size() : 1]();
    std::copy(defs.begin(), defs.end(), paramdefs);
    if (cd) {
        cd->AddParamBlockDesc(this);
    }
}

// The class descriptor may already be gone when a descriptor of static storage is destroyed, so
// the descriptor frees only what it owns.
ParamBlockDesc2::~ParamBlockDesc2() {
    for (USHORT i = 0; i < count; ++i) {
        FreeValues(paramdefs[i]);
    }
    delete[] paramdefs;
}

int ParamBlockDesc2::IDtoIndex(ParamID id) {
    for (USHORT i = 0; i < count; ++i) {
        if (paramdefs[i].ID == id) {
            return int(i);
        }
    }
    return -1;
}

ParamDef& ParamBlockDesc2::GetParamDef(ParamID id) {
    int i = IDtoIndex(id);
    return i < 0 ? emptyParamDef : paramdefs[i];
}
