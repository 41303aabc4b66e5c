#pragma once
// Zenithra: the environment map that wraps one HDR source map and publishes up to 16 adjusted
// output slots, each reachable through its own ZenithraProxy.

#include "core/ExposureCache.h"
#include "core/HostEdge.h"
#include "core/ZenithraIds.h"
#include "history/HistoryStore.h"
#include "shading/ColorAdjustment.h"
#include "source/MapRotation.h"

#include <iparamb2.h>
#include <GetCOREInterface.h>
#include <maxapi.h>
#include <imtl.h>

#include <atomic>
#include <memory>
#include <vector>

class ZenithraProxy;
class ZenithraTimeChangeCallback;

class Zenithra : public Texmap {
public:
    Zenithra();
    ~Zenithra() override;

    // --- Animatable / references ---------------------------------------------------------
    /// Refuses new evaluations, waits (at most about 2 s) for running ones, then destroys.
    void DeleteThis() override;
    void GetClassName(MSTR& s, bool /*localized*/ = true) const override {
        GuardEntry([&] { s = _M("Zenithra"); });
    }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return ZENITHRA_CLASS_ID; }
    int NumSubs() override;
    Animatable* SubAnim(int i) override;
    MSTR SubAnimName(int i, bool localized = true) override;
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int i) override { return i == 0 ? block : nullptr; }
    IParamBlock2* GetParamBlockByID(BlockID id) override;
    int NumRefs() override { return 2 + kMaxSlots; }
    ReferenceTarget* GetReference(int i) override;
    RefResult NotifyRefChanged(const Interval& changeInt, ReferenceTarget* hTarget, PartID& partID,
                               RefMessage message, BOOL propagate) override;
    ReferenceTarget* Clone(RemapDir& remap) override;
    /// The slot exposures and the lighting history; both always answer IO_OK.
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;

    // --- MtlBase / Texmap ----------------------------------------------------------------
    ULONG LocalRequirements(int) override { return MTLREQ_UV | MTLREQ_VIEW_DEP; }
    void LocalMappingsRequired(int, BitArray& mapreq, BitArray&) override { mapreq.Set(1); }
    void Update(TimeValue t, Interval& valid) override;
    void Reset() override;
    Interval Validity(TimeValue t) override;
    ParamDlg* CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) override;
    /// Slot 0's adjusted colour.
    AColor EvalColor(ShadeContext& sc) override { return EvalSlotColor(0, sc); }
    /// Luminance of slot 0's colour.
    float EvalMono(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext&) override { return {0, 0, 0}; }
    bool IsLocalOutputMeaningful(ShadeContext&) override { return true; }
    int LoadMapFiles(TimeValue t) override;
    void GetUVTransform(Matrix3& uvtrans) override { uvtrans.IdentityMatrix(); }
    int GetTextureTiling() override { return U_WRAP | V_WRAP; }

    // --- Sub-texmaps: 0 is the source map, 1..slot count the slots' proxies ----------------
    int NumSubTexmaps() override { return GetSlotCount() + 1; }
    Texmap* GetSubTexmap(int i) override;
    void SetSubTexmap(int i, Texmap* m) override;
    MSTR GetSubTexmapSlotName(int i, bool localized) override;

    // --- Slot values and the exposure cache ----------------------------------------------
    /// The block's "slotCount" at time 0, clamped to 1..16; 1 without a block.
    int GetSlotCount();
    /// Sizes the exposure cache to n entries (n < 0: the slot count), filling new entries from
    /// the block's exposure table unless the cache holds values the block may not.
    void SyncExposureCache(int n = -1);
    /// Writes the cache into the block's exposure table at time 0, creating no keys.
    void FlushExposureCache(int n = -1);
    /// Sets one slot's exposure in EV; ignored outside 0..15.
    void SetSlotExposure(int slot, float ev);
    /// The first n cached exposures (n clamped to 1..16), 0 where the cache is shorter.
    std::vector<float> GetSlotExposures(int n);
    /// Replaces the cached exposures with the first n values and flushes.
    void SetSlotExposures(const std::vector<float>& values, int n);

    // --- Evaluation ----------------------------------------------------------------------
    /// One slot's values at time t, growing short tables first (user-interface thread).
    AdjustmentParams BuildAdjustmentParams(int slot, TimeValue t);
    /// The adjusted colour of `slot` at the sample; safe on any number of render threads.
    AColor EvalSlotColor(int slot, ShadeContext& sc);
    /// What every sample of one slot at one time reads from the map: the slot's values as a
    /// shading sample reads them, and the source map's rotation where the slot's sun disc needs
    /// it.
    struct SlotShading {
        AdjustmentParams params;
        bool rotated = false;          ///< the source map has a rotation (read with a sun disc)
        float rotationDegrees = 0.0f;  ///< that rotation, when rotated
    };
    /// EvalSlotColor's reads of the block and of the source's rotation done once, for a caller
    /// that shades a whole image of the slot at time t itself (the command-line tool; a renderer
    /// samples through EvalSlotColor). Reads only; the map must stay unchanged while the image is
    /// shaded.
    SlotShading ReadSlotShading(int slot, TimeValue t);

    // --- Notification --------------------------------------------------------------------
    /// Tells every registered proxy's dependents.
    void NotifyProxies(PartID part, RefMessage message);
    /// Invalidates the map and tells its dependents and its proxies' dependents.
    void NotifyAll(PartID part, RefMessage message, bool sourceChanged);

    /// "<map name>:Slot <i + 1>", with "Zenithra" for an unnamed map.
    MSTR SlotName(int i);
    /// Creates the missing proxies of slots 0..min(n, 16) - 1 and names all of them.
    void EnsureSlotProxies(int n);

    // --- Slot operations (user-interface thread) -------------------------------------------
    /// Sets the slot count (clamped to 1..16) and rebuilds.
    void SetSlotCount(int n);
    /// Brings every table, the proxies, the rollups and the dependents in line with the count.
    void RebuildSlots();
    /// Appends a slot with the values slot `source` has now; false with 16 slots or a bad index.
    bool CopySlot(int source);
    /// Removes slot i (later slots move down); false for the only slot or a bad index.
    bool RemoveSlot(int i);
    /// Gives one float entry (parameters 1-5 and 8-10) a constant value, removing its animation.
    bool SlotParamReset(ParamID id, int slot, float value);

    // --- Editor hooks (act only on rollups that are open) ---------------------------------
    void DestroySlotRollups();
    void CreateSlotRollups(HWND mainRollup, IMtlParams* imp);
    void SyncSlotRollups();
    void UpdateMainRollup(HWND mainRollup);
    /// What the open slot rollups' spinners show, over the stored values: each open rollup's
    /// Exposure EV into `exposures[slot]` (slots below its size); the rollup of slot 0 also
    /// into `slot0` (all but brightPix and the two colours).
    void ReadSlotRollupSpinners(std::vector<float>& exposures, AdjustmentParams& slot0);
    /// Takes the main rollup down with the map (no window keeps pointing at it) and forgets
    /// the editor.
    void DestroyMainRollup();

    // --- Fields --------------------------------------------------------------------------
    IParamBlock2* block = nullptr;               // reference 0
    Texmap* sourceMap = nullptr;                 // reference 1
    ZenithraProxy* slotProxies[kMaxSlots] = {};  // references 2..17

    // Every sample writes the count; on a cache line of its own it does not take the fields
    // that all render threads read (the flag, the block, the source) away from them.
    alignas(64) std::atomic<int32_t> inFlightEvals{0};
    alignas(64) std::atomic<bool> tearingDown{false};

    Interval validity = NEVER;
    IMtlParams* editParams = nullptr;
    HWND mainRollupWnd = nullptr;
    std::vector<HWND> slotRollupWnds;
    std::vector<ZenithraProxy*> registeredProxies;
    ZenithraTimeChangeCallback* timeCallback = nullptr;

    HistoryStore history;
    ExposureCache exposureCache;
    std::atomic<bool> exposureCacheReady{false};
    std::atomic<bool> exposureCachePending{false};

protected:
    void SetReference(int i, ReferenceTarget* target) override;

private:
    /// One slot's values at t without writing anything: what BuildAdjustmentParams gives once
    /// the tables and the cache have the slot count's length. `slotCount` is GetSlotCount(),
    /// which the caller has read already. forShading leaves the values that ApplyAdjustment
    /// would not read at their fallbacks.
    AdjustmentParams ReadAdjustmentParams(int slot, int slotCount, TimeValue t, bool forShading);
    /// The destructor's work; a map parked by DeleteThis keeps its references.
    void Unlink(bool releaseReferences);
    /// Rebuilds the source map's rotation plan when its class or blocks changed
    /// (user-interface thread; render threads only read the published plan).
    void RefreshRotationPlan();
    /// Clone's work; throws where a copy cannot be made.
    Zenithra* CloneMap(RemapDir& remap);
    /// Load's work: the map takes what was read only once all of it was read.
    void LoadChunks(ILoad* iload);

    bool passingOnChange = false;  // NotifyRefChanged is passing a change on
    std::atomic<const RotationPlan*> rotationPlan{nullptr};
    std::vector<std::unique_ptr<RotationPlan>> retiredRotationPlans;  // freed with the map
};

/// Grows the block's slot tables (all but exposure) to at least n entries of default values.
void EnsureSlotTabs(IParamBlock2* block, int n);

/// The value of `values` that float table `id` of the slot block holds; null for the slot count
/// and the colour tables.
float* SlotValueField(AdjustmentParams& values, ParamID id);

/// Sets one slot table's count to n; entries added at the end get the table's default at time
/// t. Every operation that grows a slot table goes through here.
void SetSlotTabCount(IParamBlock2& block, ParamID id, int n, TimeValue t = 0);

/// Clamps a slot count to 1..16.
constexpr int ClampSlotCount(int n) {
    return n < 1 ? 1 : (n > kMaxSlots ? kMaxSlots : n);
}
