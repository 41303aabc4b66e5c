#pragma once
// The standalone host's parameter block (see HostParamBlock.cpp for the threading rules).

#include <iparamb2.h>

#include "scene/Retirement.h"
#include "scene/ZenhostApi.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

using Value4 = std::array<float, 4>;

/// A keyed controller: linear interpolation between keys, held constant outside them.
/// Immutable once published to readers; an edit publishes a new track.
class KeyTrack : public Control {
public:
    KeyTrack() = default;
    /// The block frees its tracks directly: they are no objects of the scene.
    ~KeyTrack() override = default;

    struct Key {
        TimeValue time = 0;
        Value4 value{};
    };
    std::vector<Key> keys;  // sorted by time, no two at one time
    // Set when GetControllerBy* hands the track out; such a track, once replaced, is kept until
    // the block goes, as callers may hold it. Guarded by the block's write mutex.
    bool handedOut = false;

    SClass_ID SuperClassID() override { return CTRL_FLOAT_CLASS_ID; }
    int NumKeys() override { return int(keys.size()); }
    /// 0 for an index that is no key.
    TimeValue GetKeyTime(int index) override {
        return index >= 0 && size_t(index) < keys.size() ? keys[size_t(index)].time : 0;
    }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage,
                               BOOL) override {
        return REF_SUCCEED;
    }
    /// The value at t; narrows `valid` to where it holds.
    Value4 ValueAt(TimeValue t, Interval& valid) const;
};

class ZENHOST_API HostParamBlock : public IParamBlock2 {
public:
    explicit HostParamBlock(ParamBlockDesc2* desc);
    ~HostParamBlock() override;

    SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
    void GetClassName(MSTR& s, bool localized = true) const override;
    Class_ID ClassID() override { return Class_ID(PARAMETER_BLOCK2_CLASS_ID, 0); }

    BlockID ID() override { return desc->ID; }
    ParamBlockDesc2* GetDesc() override { return desc; }
    ReferenceMaker* GetOwner() override;
    int NumParams() override { return int(params.size()); }
    ParamDef& GetParamDef(ParamID id) override;
    int IDtoIndex(ParamID id) override;
    ParamID IndextoID(int i) override;

    BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, const Point4& v, int tabIndex = 0) override;
    BOOL SetValue(ParamID id, TimeValue t, const MCHAR* v, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, Point4& v, Interval& ivalid, int tabIndex = 0) override;
    /// The pointer stays valid until the entry changes (a write, a reset, a load, or a resize
    /// that drops the entry).
    BOOL GetValue(ParamID id, TimeValue t, const MCHAR*& v, Interval& ivalid,
                  int tabIndex = 0) override;
    BOOL GetValue(ParamID id, TimeValue t, MaxSDK::AssetManagement::AssetUser& v, Interval& ivalid,
                  int tabIndex = 0) override;

    int Count(ParamID id) override;
    void SetCount(ParamID id, int n) override;
    Control* GetControllerByID(ParamID id, int tabIndex = 0) override;
    Control* GetControllerByIndex(int index, int tabIndex = 0) override;
    void RemoveController(int j, int tabIndex) override;
    void RemoveControllerByIndex(int index, int tabIndex = 0) override;
    void GetValidity(TimeValue t, Interval& valid) override;
    void ResetAll(BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE) override;

    RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    /// Moves on with every change of a value, a table's size or a controller: two equal
    /// readings mean that nothing changed in between.
    uint64_t Version() const { return version.load(std::memory_order_acquire); }

private:
    struct Entry {
        std::atomic<float> value[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        std::atomic<const KeyTrack*> track{nullptr};
    };
    struct EntryArray {
        int count = 0;
        std::unique_ptr<Entry[]> entries;
    };
    struct Param {
        // What every read needs comes first; kind and isTable are fixed at construction.
        std::atomic<EntryArray*> entries{nullptr};
        int kind = 0;  // the value kind that reads and writes of this parameter use
        bool isTable = false;
        ParamDef def;
        // One text per entry (empty unless the parameter is a string), each kept in place while
        // its entry lives so that a text read stays valid until the entry changes; guarded by
        // writeMutex.
        std::vector<std::unique_ptr<MSTR>> strings;
        Param() = default;
        Param(Param&& o) noexcept
            : entries(o.entries.load()),
              kind(o.kind),
              isTable(o.isTable),
              def(o.def),
              strings(std::move(o.strings)) {}
    };

    const Param* Find(ParamID id) const;
    Param* Find(ParamID id);
    EntryArray* NewEntries(Param& p, int n, const EntryArray* from);
    /// The entry a read of `kind` at `tabIndex` finds; null when the read fails.
    const Entry* ReadableEntry(ParamID id, int kind, int tabIndex) const;
    bool Write(ParamID id, TimeValue t, int tabIndex, int kind, const Value4& v);
    /// The keyed value of an entry that has a track, read inside a read section; false when the
    /// track went meanwhile.
    bool KeyedValue(ParamID id, int kind, int tabIndex, TimeValue t, Interval& valid,
                    Value4& out) const;
    /// The first `components` values of a read of `kind`: keyed at `t` when the entry has a
    /// track, else its constant. False when the read fails.
    template <int components>
    bool ReadValue(ParamID id, int kind, TimeValue t, Interval& valid, int tabIndex,
                   Value4& out) const;
    Control* TrackControl(Param& p, int tabIndex);
    /// Sets every text of `p` to the parameter's default for `n` entries; writeMutex held.
    void ResetStrings(Param& p, int n);
    /// A track no entry of the current tables holds any more; writeMutex held.
    void RetireTrack(const KeyTrack* old);
    /// The tracks of `array` from entry `from` on; writeMutex held.
    void RetireTracks(const EntryArray* array, int from);
    /// Marks a change for Version(); writeMutex held, after the change.
    void Changed() { version.fetch_add(1, std::memory_order_release); }

    ParamBlockDesc2* desc;
    std::vector<Param> params;
    std::vector<int> indexOfId;
    mutable std::mutex writeMutex;
    std::atomic<uint64_t> version{0};
    // Every table ever published to readers, freed with the block (they are small and resized
    // rarely). The current tables' entries own their tracks; replaced tracks are freed once no
    // reader can hold them, or with the block when they were handed out.
    std::vector<std::unique_ptr<EntryArray>> retiredArrays;
    standalone::RetiredList retiredTracks;
    std::vector<std::unique_ptr<KeyTrack>> handedOutTracks;
};
