// Scene persistence of the map: its slot exposures and its lighting history.

#include "history/HistoryChunks.h"

#include "core/ChunkFields.h"
#include "core/HostEdge.h"
#include "shading/Zenithra.h"

#include <array>

namespace {

constexpr uint32_t kMaxSourceParams = 4096;
constexpr uint32_t kMaxSavedExposures = 256;

/// A count of at most kMaxSavedExposures and that many floats; empty when the count is larger
/// (its values are not read) or a value is missing.
std::vector<float> ReadExposures(ChunkIn& in) {
    uint32_t count = 0;
    std::vector<float> values;
    if (in.U32(count) && count <= kMaxSavedExposures) {
        values.resize(count);
        for (float& f : values) {
            if (!in.F32(f)) {
                return {};
            }
        }
    }
    return values;
}

bool ReadSourceParam(ChunkIn& in, SourceParamSnapshot& p) {
    return in.I32(p.paramBlockIndex) && in.U16(p.paramId) && in.I32(p.kind) && in.Flag(p.isAngle) &&
           in.F32(p.floatValue) && in.I32(p.intValue) && in.F32(p.point3Value.x) &&
           in.F32(p.point3Value.y) && in.F32(p.point3Value.z) && in.F32(p.point4Value.x) &&
           in.F32(p.point4Value.y) && in.F32(p.point4Value.z) && in.F32(p.point4Value.w);
}

void ReadSourceParams(ChunkIn& in, std::vector<SourceParamSnapshot>& params) {
    uint32_t count = 0;
    if (!in.U32(count) || count > kMaxSourceParams) {
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        SourceParamSnapshot p;
        if (!ReadSourceParam(in, p)) {
            params.clear();
            return;
        }
        in.Str(p.stringValue);
        if (p.paramBlockIndex >= 0 && p.kind >= SourceParamSnapshot::kFloat &&
            p.kind <= SourceParamSnapshot::kPoint4) {
            params.push_back(std::move(p));
        }
    }
}

}  // namespace

void WriteHistoryEntry(ISave* isave, const HistoryEntry& e) {
    ChunkOut out(isave);
    out.Str(e.entryId);
    out.Str(VariantKey(e));
    out.Str(e.hdrPath);
    out.I32(e.frame);
    out.U32(e.cameraHandle);
    out.Str(e.cameraName);
    for (int r = 0; r < 4; ++r) {
        Point3 row = e.cameraTM.GetRow(r);
        out.F32(row.x);
        out.F32(row.y);
        out.F32(row.z);
    }
    out.U32(e.cameraTM.GetIdentFlags());
    out.U8(e.hasCamera ? 1 : 0);
    out.I32(e.slot);
    out.F32(e.mapRotation);
    out.U8(e.hasMapRotation ? 1 : 0);
    out.U32(uint32_t(e.sourceParams.size()));
    for (const SourceParamSnapshot& p : e.sourceParams) {
        out.I32(p.paramBlockIndex);
        out.U16(p.paramId);
        out.I32(p.kind);
        out.U8(p.isAngle ? 1 : 0);
        out.F32(p.floatValue);
        out.I32(p.intValue);
        for (float f : {p.point3Value.x, p.point3Value.y, p.point3Value.z, p.point4Value.x,
                        p.point4Value.y, p.point4Value.z, p.point4Value.w}) {
            out.F32(f);
        }
        out.Str(p.stringValue);
    }
    for (float f : AdjustmentParamsToFloats(e.adjust)) {
        out.F32(f);
    }
    out.U32(uint32_t(e.slotExposures.size()));
    for (float f : e.slotExposures) {
        out.F32(f);
    }
    out.Str(e.savedAt);
    out.U32(uint32_t(e.previewJpeg.size()));
    out.Bytes(e.previewJpeg.data(), e.previewJpeg.size());
}

bool ReadHistoryEntry(ILoad* iload, HistoryEntry& e) {
    ChunkIn in(iload);
    e = HistoryEntry();
    in.Str(e.entryId);
    in.Str(e.variantId);
    in.Str(e.hdrPath);
    in.I32(e.frame);
    in.U32(e.cameraHandle);
    in.Str(e.cameraName);
    std::array<float, 12> rows{};
    uint32_t flags = 0;
    bool haveRows = true;
    for (float& f : rows) {
        haveRows = haveRows && in.F32(f);
    }
    if (haveRows && in.U32(flags)) {
        for (int r = 0; r < 4; ++r) {
            e.cameraTM.SetRow(r, Point3(rows[3 * r], rows[3 * r + 1], rows[3 * r + 2]));
        }
        e.cameraTM.SetIdentFlags(flags);
    }
    in.Flag(e.hasCamera);
    in.I32(e.slot);
    in.F32(e.mapRotation);
    in.Flag(e.hasMapRotation);
    ReadSourceParams(in, e.sourceParams);
    AdjustmentParamFloats floats = AdjustmentParamsToFloats(e.adjust);
    bool haveAdjust = true;
    for (float& f : floats) {
        haveAdjust = haveAdjust && in.F32(f);
    }
    if (haveAdjust) {
        e.adjust = AdjustmentParamsFromFloats(floats);
    }
    e.slotExposures = ReadExposures(in);
    in.Str(e.savedAt);
    uint32_t count = 0;
    if (in.U32(count)) {
        in.Blob(count, e.previewJpeg);
    }
    return !e.entryId.isNull() && !e.variantId.isNull() && !e.hdrPath.isNull() &&
           !e.sourceParams.empty();
}

IOResult Zenithra::Save(ISave* isave) {
    return GuardEntry<IOResult>(IO_OK, [&]() -> IOResult {
        ChunkOut out(isave);
        int n = GetSlotCount();
        isave->BeginChunk(kSlotExposuresChunk);
        out.U32(uint32_t(n));
        for (float ev : GetSlotExposures(n)) {
            out.F32(ev);
        }
        isave->EndChunk();
        FlushExposureCache(n);
        for (const HistoryEntry& entry : history) {
            isave->BeginChunk(kHistoryEntryChunk);
            WriteHistoryEntry(isave, entry);
            isave->EndChunk();
        }
        return IO_OK;
    });
}

IOResult Zenithra::Load(ILoad* iload) {
    GuardEntry([&] { LoadChunks(iload); });
    return IO_OK;
}

void Zenithra::LoadChunks(ILoad* iload) {
    HistoryStore loaded;
    std::vector<float> exposures;
    while (iload->OpenChunk() == IO_OK) {
        USHORT id = iload->CurChunkID();
        if (id == kHistoryEntryChunk) {
            HistoryEntry entry;
            if (ReadHistoryEntry(iload, entry)) {
                loaded.push_back(std::move(entry));
            }
        } else if (id == kSlotExposuresChunk) {
            ChunkIn in(iload);
            exposures = ReadExposures(in);
            if (exposures.empty()) {  // also a count of 0
                exposures.push_back(0.0f);
            }
        }
        iload->CloseChunk();
    }
    history = std::move(loaded);
    exposureCache.Clear();
    exposureCacheReady.store(false);
    exposureCachePending.store(false);
    if (!exposures.empty()) {
        exposureCache.Assign(exposures);  // held at the 16 slots a map can have
        exposureCacheReady.store(true);
        exposureCachePending.store(true);
    }
    RefreshHistoryWindows(this, MSTR(), MSTR());
}
