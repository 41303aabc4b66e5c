// The host's parameter blocks. Render threads read values while the user-interface thread
// writes them, so entries hold their values in atomics, and a table that is resized or a
// controller that is replaced is published as a new object. Old tables are kept until the block
// is destroyed; an old controller is freed once no read section can hold it (a reader finds
// and reads a track inside one), so a reader never follows a freed pointer. Writers serialise on
// one mutex.

#include "scene/HostParamBlock.h"

#include "scene/StandaloneHost.h"

#include "core/ChunkFields.h"
#include <iparamb2.h>
#include <ioapi.h>
#include <maxapi.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

/// Integer entries are held as floats; a loaded scene may hold any float there, so the
/// conversion saturates (NaN reads as 0).
int ToIntValue(float f) {
    if (!(f == f)) {
        return 0;
    }
    if (f >= 2147483520.0f) {
        return INT32_MAX;
    }
    return f <= -2147483648.0f ? INT32_MIN : int(f);
}

enum class ValueKind { Int, Float, Point3, Point4, String, Unsupported };

ValueKind KindOf(ParamType2 type) {
    switch (int(base_type(type))) {
        case TYPE_INT:
        case TYPE_BOOL:
            return ValueKind::Int;
        case TYPE_FLOAT:
        case TYPE_ANGLE:
        case TYPE_PCNT_FRAC:
        case TYPE_WORLD:
            return ValueKind::Float;
        case TYPE_POINT3:
        case TYPE_RGBA:
            return ValueKind::Point3;
        case TYPE_POINT4:
        case TYPE_FRGBA:
            return ValueKind::Point4;
        case TYPE_STRING:
        case TYPE_FILENAME:
            return ValueKind::String;
        default:
            return ValueKind::Unsupported;
    }
}

Value4 DefaultOf(const ParamDef& def) {
    switch (KindOf(def.type)) {
        case ValueKind::Int:
            return {float(def.def.i), 0, 0, 0};
        case ValueKind::Float:
            return {def.def.f, 0, 0, 0};
        case ValueKind::Point3:
            return def.def.p ? Value4{def.def.p->x, def.def.p->y, def.def.p->z, 0} : Value4{};
        case ValueKind::Point4:
            return def.def.p4 ? Value4{def.def.p4->x, def.def.p4->y, def.def.p4->z, def.def.p4->w}
                              : Value4{};
        default:
            return {};
    }
}

/// The text a string entry starts with.
const MCHAR* DefaultText(const ParamDef& def) {
    return KindOf(def.type) == ValueKind::String && def.def.s ? def.def.s : L"";
}

/// Entries of a parameter when the block is new or reset.
int InitialCount(const ParamDef& def) {
    return is_tab(def.type) ? std::max(0, int(def.tab_size)) : 1;
}

// A definition for ids the block does not have.
ParamDef unknownParamDef = {-1, L"", ParamType2(TYPE_FLOAT), 0, 0, {}, {}, {}, 0};

Value4 Lerp(const Value4& a, const Value4& b, float f) {
    Value4 r;
    for (int i = 0; i < 4; ++i) {
        r[i] = a[i] + (b[i] - a[i]) * f;
    }
    return r;
}

}  // namespace

// --- KeyTrack -------------------------------------------------------------------------------

Value4 KeyTrack::ValueAt(TimeValue t, Interval& valid) const {
    if (keys.empty()) {
        return {};
    }
    if (t <= keys.front().time) {
        valid &= Interval(TIME_NegInfinity, keys.front().time);
        return keys.front().value;
    }
    if (t >= keys.back().time) {
        valid &= Interval(keys.back().time, TIME_PosInfinity);
        return keys.back().value;
    }
    valid &= Interval(t, t);
    auto next = std::upper_bound(keys.begin(), keys.end(), t,
                                 [](TimeValue tv, const Key& k) { return tv < k.time; });
    auto prev = next - 1;
    float f = float(t - prev->time) / float(next->time - prev->time);
    return Lerp(prev->value, next->value, f);
}

// --- HostParamBlock -------------------------------------------------------------------------

HostParamBlock::HostParamBlock(ParamBlockDesc2* desc) : desc(desc) {
    params.reserve(desc->Count());
    for (int i = 0; i < desc->Count(); ++i) {
        const ParamDef& def = desc->paramdefs[i];
        Param p;
        p.def = def;
        p.kind = int(KindOf(def.type));
        p.isTable = is_tab(def.type);
        params.push_back(std::move(p));
        if (def.ID >= 0) {
            if (size_t(def.ID) >= indexOfId.size()) {
                indexOfId.resize(size_t(def.ID) + 1, -1);
            }
            indexOfId[size_t(def.ID)] = int(params.size()) - 1;
        }
    }
    for (Param& p : params) {
        int n = InitialCount(p.def);
        p.entries.store(NewEntries(p, n, nullptr), std::memory_order_release);
        ResetStrings(p, n);
    }
}

void HostParamBlock::GetClassName(MSTR& s, bool) const {
    s = L"ParamBlock2";
}

void HostParamBlock::ResetStrings(Param& p, int n) {
    // Every parameter keeps a text per entry, empty unless it is a string: the saved form has
    // one for each.
    p.strings.clear();
    for (int i = 0; i < n; ++i) {
        p.strings.push_back(std::make_unique<MSTR>(DefaultText(p.def)));
    }
}

HostParamBlock::~HostParamBlock() {
    for (Param& p : params) {
        const EntryArray* array = p.entries.load(std::memory_order_acquire);
        for (int i = 0; i < array->count; ++i) {
            delete array->entries[size_t(i)].track.load(std::memory_order_acquire);
        }
    }
}

void HostParamBlock::RetireTrack(const KeyTrack* old) {
    if (old && old->handedOut) {
        handedOutTracks.emplace_back(const_cast<KeyTrack*>(old));
    } else {
        retiredTracks.Retire(old);
    }
}

void HostParamBlock::RetireTracks(const EntryArray* array, int from) {
    for (int i = std::max(from, 0); i < array->count; ++i) {
        RetireTrack(array->entries[size_t(i)].track.load(std::memory_order_acquire));
    }
}

HostParamBlock::EntryArray* HostParamBlock::NewEntries(Param& p, int n, const EntryArray* from) {
    auto array = std::make_unique<EntryArray>();
    array->count = n;
    array->entries = std::make_unique<Entry[]>(size_t(std::max(n, 1)));
    Value4 def = DefaultOf(p.def);
    for (int i = 0; i < n; ++i) {
        Entry& e = array->entries[size_t(i)];
        if (from && i < from->count) {
            const Entry& old = from->entries[size_t(i)];
            for (int c = 0; c < 4; ++c) {
                e.value[c].store(old.value[c].load(std::memory_order_relaxed),
                                 std::memory_order_relaxed);
            }
            e.track.store(old.track.load(std::memory_order_acquire), std::memory_order_release);
        } else {
            for (int c = 0; c < 4; ++c) {
                e.value[c].store(def[c], std::memory_order_relaxed);
            }
        }
    }
    EntryArray* raw = array.get();
    retiredArrays.push_back(std::move(array));
    return raw;
}

inline const HostParamBlock::Param* HostParamBlock::Find(ParamID id) const {
    if (id < 0 || size_t(id) >= indexOfId.size() || indexOfId[size_t(id)] < 0) {
        return nullptr;
    }
    return &params[size_t(indexOfId[size_t(id)])];
}

HostParamBlock::Param* HostParamBlock::Find(ParamID id) {
    return const_cast<Param*>(std::as_const(*this).Find(id));
}

// Render threads read several entries per shading sample, so a read does no more than find the
// entry and load the components it returns.
inline const HostParamBlock::Entry* HostParamBlock::ReadableEntry(ParamID id, int kind,
                                                                  int tabIndex) const {
    const Param* p = Find(id);
    if (!p || p->kind != kind) {
        return nullptr;
    }
    const EntryArray* array = p->entries.load(std::memory_order_acquire);
    int index = p->isTable ? tabIndex : 0;
    if (index < 0 || index >= array->count) {
        return nullptr;
    }
    return &array->entries[size_t(index)];
}

bool HostParamBlock::Write(ParamID id, TimeValue t, int tabIndex, int kind, const Value4& v) {
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        Param* p = Find(id);
        if (!p || p->kind != kind) {
            return false;
        }
        EntryArray* array = p->entries.load(std::memory_order_acquire);
        int index = p->isTable ? tabIndex : 0;
        if (index < 0 || index >= array->count) {
            return false;
        }
        // Ranges bound the user interface's controls, not the stored value, as in the host.
        const Value4& value = v;
        Entry& e = array->entries[size_t(index)];
        const KeyTrack* track = e.track.load(std::memory_order_acquire);
        bool animatable = (p->def.flags & P_ANIMATABLE) != 0 && kind != int(ValueKind::Int);
        if (animatable && (Animating() || track)) {
            auto next = std::make_unique<KeyTrack>();
            if (track) {
                next->keys = track->keys;
            } else {
                Value4 current;
                for (int c = 0; c < 4; ++c) {
                    current[c] = e.value[c].load(std::memory_order_relaxed);
                }
                if (t != 0) {
                    next->keys.push_back({0, current});
                }
            }
            if (Animating()) {
                auto it = std::lower_bound(
                    next->keys.begin(), next->keys.end(), t,
                    [](const KeyTrack::Key& k, TimeValue tv) { return k.time < tv; });
                if (it != next->keys.end() && it->time == t) {
                    it->value = value;
                } else {
                    next->keys.insert(it, {t, value});
                }
            } else {
                // Animate mode off on an animated entry moves the whole curve, as the host does.
                Interval ignored = FOREVER;
                Value4 at = track->ValueAt(t, ignored);
                for (KeyTrack::Key& k : next->keys) {
                    for (int c = 0; c < 4; ++c) {
                        k.value[c] += value[c] - at[c];
                    }
                }
            }
            e.track.store(next.release(), std::memory_order_release);
            RetireTrack(track);
        } else {
            for (int c = 0; c < 4; ++c) {
                e.value[c].store(value[c], std::memory_order_relaxed);
            }
        }
        Changed();
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    return true;
}

// A track is found and read again inside a read section: the entry found before may belong to
// a table replaced since, whose track pointers are not kept current.
bool HostParamBlock::KeyedValue(ParamID id, int kind, int tabIndex, TimeValue t, Interval& valid,
                                Value4& out) const {
    standalone::ReadSection reading;
    const Entry* e = ReadableEntry(id, kind, tabIndex);
    const KeyTrack* track = e ? e->track.load(std::memory_order_acquire) : nullptr;
    if (!track) {
        return false;
    }
    out = track->ValueAt(t, valid);
    return true;
}

template <int components>
inline bool HostParamBlock::ReadValue(ParamID id, int kind, TimeValue t, Interval& valid,
                                      int tabIndex, Value4& out) const {
    const Entry* e = ReadableEntry(id, kind, tabIndex);
    if (!e) {
        return false;
    }
    if (e->track.load(std::memory_order_relaxed) && KeyedValue(id, kind, tabIndex, t, valid, out)) {
        return true;
    }
    for (size_t i = 0; i < components; ++i) {
        out[i] = e->value[i].load(std::memory_order_relaxed);
    }
    return true;
}

BOOL HostParamBlock::GetValue(ParamID id, TimeValue t, int& v, Interval& valid, int tabIndex) {
    Value4 r;
    if (!ReadValue<1>(id, int(ValueKind::Int), t, valid, tabIndex, r)) {
        return false;
    }
    v = ToIntValue(r[0]);
    return true;
}

BOOL HostParamBlock::GetValue(ParamID id, TimeValue t, float& v, Interval& valid, int tabIndex) {
    Value4 r;
    if (!ReadValue<1>(id, int(ValueKind::Float), t, valid, tabIndex, r)) {
        return false;
    }
    v = r[0];
    return true;
}

BOOL HostParamBlock::GetValue(ParamID id, TimeValue t, Point4& v, Interval& valid, int tabIndex) {
    Value4 r;
    if (!ReadValue<4>(id, int(ValueKind::Point4), t, valid, tabIndex, r)) {
        return false;
    }
    v = Point4(r[0], r[1], r[2], r[3]);
    return true;
}

BOOL HostParamBlock::GetValue(ParamID id, TimeValue t, Point3& v, Interval& valid, int tabIndex) {
    Value4 r;
    if (!ReadValue<3>(id, int(ValueKind::Point3), t, valid, tabIndex, r)) {
        return false;
    }
    v = Point3(r[0], r[1], r[2]);
    return true;
}

BOOL HostParamBlock::GetValue(ParamID id, TimeValue, const MCHAR*& v, Interval&, int tabIndex) {
    std::lock_guard<std::mutex> lock(writeMutex);
    const Param* p = Find(id);
    if (!p || KindOf(p->def.type) != ValueKind::String) {
        return false;
    }
    int index = is_tab(p->def.type) ? tabIndex : 0;
    if (index < 0 || size_t(index) >= p->strings.size()) {
        return false;
    }
    v = p->strings[size_t(index)]->data();
    return true;
}

BOOL HostParamBlock::GetValue(ParamID id, TimeValue t, MaxSDK::AssetManagement::AssetUser& v,
                              Interval& valid, int tabIndex) {
    const Param* p = Find(id);
    if (!p || int(base_type(p->def.type)) != TYPE_FILENAME) {
        return false;
    }
    const MCHAR* name = nullptr;
    if (!GetValue(id, t, name, valid, tabIndex)) {
        return false;
    }
    v = standalone::MakeAssetUser(MSTR(name));
    return true;
}

BOOL HostParamBlock::SetValue(ParamID id, TimeValue t, int v, int tabIndex) {
    return Write(id, t, tabIndex, int(ValueKind::Int), {float(v), 0, 0, 0});
}

BOOL HostParamBlock::SetValue(ParamID id, TimeValue t, float v, int tabIndex) {
    return Write(id, t, tabIndex, int(ValueKind::Float), {v, 0, 0, 0});
}

BOOL HostParamBlock::SetValue(ParamID id, TimeValue t, const Point4& v, int tabIndex) {
    return Write(id, t, tabIndex, int(ValueKind::Point4), {v.x, v.y, v.z, v.w});
}

BOOL HostParamBlock::SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex) {
    return Write(id, t, tabIndex, int(ValueKind::Point3), {v.x, v.y, v.z, 0});
}

BOOL HostParamBlock::SetValue(ParamID id, TimeValue, const MCHAR* v, int tabIndex) {
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        Param* p = Find(id);
        if (!p || KindOf(p->def.type) != ValueKind::String) {
            return false;
        }
        int index = is_tab(p->def.type) ? tabIndex : 0;
        if (index < 0 || size_t(index) >= p->strings.size()) {
            return false;
        }
        *p->strings[size_t(index)] = v;
        Changed();
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    return true;
}

int HostParamBlock::Count(ParamID id) {
    const Param* p = Find(id);
    if (!p || !is_tab(p->def.type)) {
        return 0;
    }
    return p->entries.load(std::memory_order_acquire)->count;
}

void HostParamBlock::SetCount(ParamID id, int n) {
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        Param* p = Find(id);
        if (!p || !is_tab(p->def.type) || n < 0) {
            return;
        }
        EntryArray* old = p->entries.load(std::memory_order_acquire);
        if (old->count == n) {
            return;
        }
        p->entries.store(NewEntries(*p, n, old), std::memory_order_release);
        RetireTracks(old, n);
        p->strings.resize(size_t(n));
        for (auto& text : p->strings) {
            if (!text) {
                text = std::make_unique<MSTR>(DefaultText(p->def));
            }
        }
        Changed();
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

int HostParamBlock::IDtoIndex(ParamID id) {
    if (id < 0 || size_t(id) >= indexOfId.size()) {
        return -1;
    }
    return indexOfId[size_t(id)];
}

ParamID HostParamBlock::IndextoID(int i) {
    if (i < 0 || size_t(i) >= params.size()) {
        return -1;
    }
    return params[size_t(i)].def.ID;
}

ParamDef& HostParamBlock::GetParamDef(ParamID id) {
    Param* p = Find(id);
    return p ? p->def : unknownParamDef;
}

Control* HostParamBlock::TrackControl(Param& p, int tabIndex) {
    std::lock_guard<std::mutex> lock(writeMutex);
    EntryArray* array = p.entries.load(std::memory_order_acquire);
    int index = is_tab(p.def.type) ? tabIndex : 0;
    if (index < 0 || index >= array->count) {
        return nullptr;
    }
    auto* track =
        const_cast<KeyTrack*>(array->entries[size_t(index)].track.load(std::memory_order_acquire));
    if (track) {
        track->handedOut = true;
    }
    return track;
}

Control* HostParamBlock::GetControllerByID(ParamID id, int tabIndex) {
    Param* p = Find(id);
    return p ? TrackControl(*p, tabIndex) : nullptr;
}

Control* HostParamBlock::GetControllerByIndex(int index, int tabIndex) {
    if (index < 0 || size_t(index) >= params.size()) {
        return nullptr;
    }
    return TrackControl(params[size_t(index)], tabIndex);
}

void HostParamBlock::RemoveController(int j, int tabIndex) {
    RemoveControllerByIndex(j, tabIndex);
}

void HostParamBlock::RemoveControllerByIndex(int index, int tabIndex) {
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        if (index < 0 || size_t(index) >= params.size()) {
            return;
        }
        Param& p = params[size_t(index)];
        EntryArray* array = p.entries.load(std::memory_order_acquire);
        int i = is_tab(p.def.type) ? tabIndex : 0;
        if (i < 0 || i >= array->count) {
            return;
        }
        Entry& e = array->entries[size_t(i)];
        const KeyTrack* track = e.track.load(std::memory_order_acquire);
        if (!track) {
            return;
        }
        Interval ignored = FOREVER;
        Value4 v = track->ValueAt(standalone::CoreTime(), ignored);
        for (int c = 0; c < 4; ++c) {
            e.value[c].store(v[c], std::memory_order_relaxed);
        }
        e.track.store(nullptr, std::memory_order_release);
        RetireTrack(track);
        Changed();
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

void HostParamBlock::GetValidity(TimeValue t, Interval& valid) {
    standalone::ReadSection reading;
    for (const Param& p : params) {
        const EntryArray* array = p.entries.load(std::memory_order_acquire);
        for (int i = 0; i < array->count; ++i) {
            if (const KeyTrack* track =
                    array->entries[size_t(i)].track.load(std::memory_order_acquire)) {
                track->ValueAt(t, valid);
            }
        }
    }
}

void HostParamBlock::ResetAll(BOOL, BOOL) {
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        for (Param& p : params) {
            int n = InitialCount(p.def);
            const EntryArray* old = p.entries.exchange(NewEntries(p, n, nullptr));
            RetireTracks(old, 0);
            ResetStrings(p, n);
        }
        Changed();
    }
    NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
}

RefResult HostParamBlock::NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                                           BOOL) {
    return REF_SUCCEED;
}

RefTargetHandle HostParamBlock::Clone(RemapDir&) {
    auto* copy = new HostParamBlock(desc);
    std::lock_guard<std::mutex> lock(writeMutex);
    for (size_t i = 0; i < params.size(); ++i) {
        Param& from = params[i];
        Param& to = copy->params[i];
        EntryArray* source = from.entries.load(std::memory_order_acquire);
        to.entries.store(copy->NewEntries(to, source->count, nullptr), std::memory_order_release);
        EntryArray* target = to.entries.load(std::memory_order_acquire);
        for (int e = 0; e < source->count; ++e) {
            for (int c = 0; c < 4; ++c) {
                target->entries[size_t(e)].value[c].store(
                    source->entries[size_t(e)].value[c].load(std::memory_order_relaxed),
                    std::memory_order_relaxed);
            }
            if (const KeyTrack* track =
                    source->entries[size_t(e)].track.load(std::memory_order_acquire)) {
                auto trackCopy = std::make_unique<KeyTrack>();
                trackCopy->keys = track->keys;
                target->entries[size_t(e)].track.store(trackCopy.release(),
                                                       std::memory_order_release);
            }
        }
        to.strings.clear();
        for (const auto& text : from.strings) {
            to.strings.push_back(std::make_unique<MSTR>(*text));
        }
    }
    return copy;
}

// Saved form: one chunk per parameter holding its id, entry count, then per entry four floats,
// the key count and the keys (time + four floats), then the strings (count + UTF-16 units).
namespace {
constexpr USHORT kParamChunk = 0x0010;

// Every field little-endian, through the one field writer and reader.
template <typename T>
void Put(ISave* isave, T v) {
    PutField(isave, v);
}

template <typename T>
bool Get(ILoad* iload, T& v) {
    return GetField(iload, v);
}
}  // namespace

IOResult HostParamBlock::Save(ISave* isave) {
    standalone::ReadSection reading;
    for (const Param& p : params) {
        const EntryArray* array = p.entries.load(std::memory_order_acquire);
        isave->BeginChunk(kParamChunk);
        Put(isave, int16_t(p.def.ID));
        Put(isave, int32_t(array->count));
        for (int i = 0; i < array->count; ++i) {
            const Entry& e = array->entries[size_t(i)];
            for (int c = 0; c < 4; ++c) {
                Put(isave, e.value[c].load(std::memory_order_relaxed));
            }
            const KeyTrack* track = e.track.load(std::memory_order_acquire);
            Put(isave, int32_t(track ? track->keys.size() : 0));
            if (track) {
                for (const KeyTrack::Key& k : track->keys) {
                    Put(isave, int32_t(k.time));
                    for (int c = 0; c < 4; ++c) {
                        Put(isave, k.value[c]);
                    }
                }
            }
        }
        Put(isave, int32_t(p.strings.size()));
        for (const auto& text : p.strings) {
            ChunkOut(isave).Str(*text);
        }
        isave->EndChunk();
    }
    return IO_OK;
}

IOResult HostParamBlock::Load(ILoad* iload) {
    std::lock_guard<std::mutex> lock(writeMutex);
    while (iload->OpenChunk() == IO_OK) {
        int16_t id = -1;
        int32_t count = 0;
        Param* p = nullptr;
        if (iload->CurChunkID() == kParamChunk && Get(iload, id) && Get(iload, count) &&
            (p = Find(id)) != nullptr && count >= 0 &&
            ULONG(count) <= iload->CurChunkLength() / 20) {
            if (!is_tab(p->def.type)) {
                count = std::min(count, 1);
            }
            EntryArray* array = NewEntries(*p, is_tab(p->def.type) ? count : 1, nullptr);
            bool ok = true;
            for (int i = 0; ok && i < count; ++i) {
                Entry& e = array->entries[size_t(i)];
                for (int c = 0; ok && c < 4; ++c) {
                    float f = 0;
                    ok = Get(iload, f);
                    e.value[c].store(f, std::memory_order_relaxed);
                }
                int32_t keys = 0;
                ok = ok && Get(iload, keys) && keys >= 0 &&
                     ULONG(keys) <= iload->CurChunkLength() / 20;
                if (ok && keys > 0) {
                    auto track = std::make_unique<KeyTrack>();
                    for (int k = 0; ok && k < keys; ++k) {
                        KeyTrack::Key key;
                        int32_t time = 0;
                        ok = Get(iload, time);
                        key.time = time;
                        for (int c = 0; ok && c < 4; ++c) {
                            ok = Get(iload, key.value[c]);
                        }
                        if (ok && (track->keys.empty() || track->keys.back().time < key.time)) {
                            track->keys.push_back(key);
                        }
                    }
                    e.track.store(track.release(), std::memory_order_release);
                }
            }
            if (ok) {
                RetireTracks(p->entries.exchange(array), 0);
                // Texts the file does not hold load empty, as they were saved.
                p->strings.clear();
                for (int i = 0; i < array->count; ++i) {
                    p->strings.push_back(std::make_unique<MSTR>());
                }
                int32_t strings = 0;
                if (Get(iload, strings)) {
                    for (int32_t s = 0; s < strings && size_t(s) < p->strings.size(); ++s) {
                        // A count past what the chunk holds ends the strings.
                        uint32_t units = 0;
                        if (!Get(iload, units) || units > iload->CurChunkLength() / 2) {
                            break;
                        }
                        std::vector<uint8_t> bytes;
                        if (!ChunkIn(iload).Blob(units * 2, bytes)) {
                            break;
                        }
                        *p->strings[size_t(s)] =
                            platform::Utf16BytesToWide(
                                std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                 bytes.size()))
                                .c_str();
                    }
                }
            } else {
                // Never published: no reader has seen its tracks.
                for (int i = 0; i < array->count; ++i) {
                    delete array->entries[size_t(i)].track.load(std::memory_order_relaxed);
                }
            }
        }
        iload->CloseChunk();
    }
    Changed();
    return IO_OK;
}

ReferenceMaker* HostParamBlock::GetOwner() {
    // A block is held by its owner alone, whether the owner built it, cloned it or loaded it.
    std::vector<ReferenceMaker*> makers = standalone::DependentsOf(this);
    return makers.empty() ? nullptr : makers.front();
}

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker*) {
    return pdesc ? new HostParamBlock(pdesc) : nullptr;
}
