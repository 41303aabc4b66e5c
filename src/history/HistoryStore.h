#pragma once
// The lighting history: the looks saved on a map, how they are grouped (path, camera, variant),
// the operations that remove them, and the memory of each map's current look.

#include "shading/ColorAdjustment.h"
#include "source/SourceParamSnapshot.h"

#include <max.h>

#include <cstdint>
#include <vector>

class Zenithra;

/// One saved look at one frame; the records of one press of Save share a variant id.
struct HistoryEntry {
    MSTR entryId;
    MSTR variantId;
    MSTR hdrPath;  ///< as the source map reported it, not normalised
    int32_t frame = 0;
    uint32_t cameraHandle = 0;
    MSTR cameraName;
    Matrix3 cameraTM;
    bool hasCamera = false;
    int32_t slot = 0;
    float mapRotation = 0.0f;  ///< degrees
    bool hasMapRotation = false;
    std::vector<SourceParamSnapshot> sourceParams;
    AdjustmentParams adjust = kFallbackAdjustmentParams;
    std::vector<float> slotExposures;
    MSTR savedAt;
    std::vector<uint8_t> previewJpeg;

    bool operator==(const HistoryEntry&) const = default;
};

/// The title of every message box of the lighting history.
inline constexpr const MCHAR* kHistoryBoxTitle = _M("HDR Lighting History");

/// The map's looks in their meaningful order (rows, columns and the latest variant follow it).
using HistoryStore = std::vector<HistoryEntry>;

/// `variantId`, or `entryId` for records made before variants existed.
const MSTR& VariantKey(const HistoryEntry& entry);

/// The order of a variant's records, in the History window and when applied: by frame, then by
/// entry id (so that of two records at one frame the later one comes last).
bool FrameThenId(const HistoryEntry& a, const HistoryEntry& b);

/// "YYYYMMDD_HHMMSS_mmm_tttttttt": local time, milliseconds and the tick count in hex.
MSTR MakeLookId();

/// Names match case-insensitively when either is set; two unnamed cameras match by handle.
bool SameCamera(const MSTR& name, uint32_t handle, const HistoryEntry& entry);

// --- Removal (user-interface thread); the remaining entries keep their order ----------------

/// Removes the variant of the store entry that has `entry`'s id, then notifies dependents.
void DeleteVariant(Zenithra* map, const HistoryEntry& entry);
/// Removes every look of one HDR file (by path key).
void DeleteHdrLooks(Zenithra* map, const MSTR& path);
/// Removes the looks of the source map's current file.
void ClearCurrentHdrLooks(Zenithra* map);
/// Removes, from every HDR, the looks seen through the active viewport's camera.
void ClearCurrentCameraLooks(Zenithra* map);
void ClearAllLooks(Zenithra* map);

// --- The current look of each map ------------------------------------------------------------

struct CurrentLook {
    MSTR path;
    MSTR pathKey;
    MSTR variantId;
};

/// One process-wide table from map to the look last saved or applied on it.
namespace CurrentLookRegistry {
void Put(const Zenithra* map, const MSTR& path, const MSTR& variantId);
/// A copy; all three strings empty when the map has none.
CurrentLook Get(const Zenithra* map);
void Erase(const Zenithra* map);
}  // namespace CurrentLookRegistry

// --- Open History windows --------------------------------------------------------------------

/// Remembers (path, variant) as the map's current look when `path` is set, then rebuilds every
/// open History window of the map.
void RefreshHistoryWindows(Zenithra* map, const MSTR& path, const MSTR& variantId);

/// The window side of RefreshHistoryWindows: every open History window of the map (found among
/// the top-level windows) rebuilds and, when `path` is set, selects that look. The native build
/// has no windows.
void RebuildOpenHistoryWindows(Zenithra* map, const MSTR& path, const MSTR& variantId);
/// Closes the map's open History windows as the map goes, so that none outlives it.
void CloseHistoryWindows(const Zenithra* map);
