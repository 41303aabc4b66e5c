// Scene persistence of the map: its slot exposures and its lighting history.

#include "history/HistoryChunks.h"

#include "shading/Zenithra.h"

#include <array>
#include <cstring>

namespace {

// Long strings and previews are read in pieces of this many bytes, so that a damaged count
// costs only what the chunk really holds.
constexpr ULONG kReadPiece = 64 * 1024;
constexpr uint32_t kMaxSourceParams = 4096;
constexpr uint32_t kMaxSavedExposures = 256;

class ChunkOut {
public:
    explicit ChunkOut(ISave* s) : isave(s) {}
    void Bytes(const void* data, size_t n) {
        ULONG written = 0;
        if (n > 0) {
            isave->Write(data, ULONG(n), &written);
        }
    }
    void U32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        Bytes(b, 4);
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void U16(uint16_t v) {
        uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        Bytes(b, 2);
    }
    void U8(uint8_t v) { Bytes(&v, 1); }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        U32(bits);
    }
    void Str(const MSTR& s) {
        U32(uint32_t(s.size()));
        std::vector<uint8_t> b;
        b.reserve(s.size() * 2);
        for (char16_t c : s) {
            b.push_back(uint8_t(c));
            b.push_back(uint8_t(c >> 8));
        }
        Bytes(b.data(), b.size());
    }

private:
    ISave* isave;
};

/// Reads little-endian fields; a field whose bytes are not all there reports false and leaves
/// its target alone.
class ChunkIn {
public:
    explicit ChunkIn(ILoad* l) : iload(l) {}
    bool Bytes(void* data, ULONG n) {
        ULONG got = 0;
        return n == 0 || (iload->Read(data, n, &got) == IO_OK && got == n);
    }
    bool U32(uint32_t& v) {
        uint8_t b[4];
        if (!Bytes(b, 4)) {
            return false;
        }
        v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool I32(int32_t& v) {
        uint32_t u;
        if (!U32(u)) {
            return false;
        }
        v = int32_t(u);
        return true;
    }
    bool U16(uint16_t& v) {
        uint8_t b[2];
        if (!Bytes(b, 2)) {
            return false;
        }
        v = uint16_t(b[0] | b[1] << 8);
        return true;
    }
    bool Flag(bool& v) {
        uint8_t b;
        if (!Bytes(&b, 1)) {
            return false;
        }
        v = b != 0;
        return true;
    }
    bool F32(float& v) {
        uint32_t bits;
        if (!U32(bits)) {
            return false;
        }
        std::memcpy(&v, &bits, 4);
        return true;
    }
    /// Up to `count` bytes, in pieces; the bytes that were there when the chunk ends early.
    bool Blob(uint32_t count, std::vector<uint8_t>& out) {
        out.clear();
        while (out.size() < count) {
            ULONG want = ULONG(std::min<size_t>(kReadPiece, count - out.size()));
            size_t at = out.size();
            out.resize(at + want);
            ULONG got = 0;
            IOResult r = iload->Read(out.data() + at, want, &got);
            out.resize(at + std::min(got, want));
            if (r != IO_OK || got != want) {
                return false;
            }
        }
        return true;
    }
    /// A string as read: the whole units that were there.
    void Str(MSTR& s) {
        uint32_t count = 0;
        if (!U32(count) || count == 0) {
            return;
        }
        std::vector<uint8_t> b;
        Blob(count > UINT32_MAX / 2 ? UINT32_MAX : count * 2, b);
        s.resize(b.size() / 2);
        for (size_t i = 0; i < s.size(); ++i) {
            s[i] = char16_t(b[2 * i] | b[2 * i + 1] << 8);
        }
    }

private:
    ILoad* iload;
};

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
    out.U32(e.cameraTM.GetFlags());
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
        e.cameraTM.SetFlags(flags);
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
    uint32_t count = 0;
    if (in.U32(count) && count < kMaxSavedExposures + 1) {
        e.slotExposures.resize(count);
        for (float& f : e.slotExposures) {
            if (!in.F32(f)) {
                e.slotExposures.clear();
                break;
            }
        }
    }
    in.Str(e.savedAt);
    if (in.U32(count)) {
        in.Blob(count, e.previewJpeg);
    }
    return !e.entryId.empty() && !e.variantId.empty() && !e.hdrPath.empty() &&
           !e.sourceParams.empty();
}

IOResult Zenithra::Save(ISave* isave) {
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
}

IOResult Zenithra::Load(ILoad* iload) {
    history.clear();
    exposureCache.Clear();
    exposureCacheReady.store(false);
    exposureCachePending.store(false);
    while (iload->OpenChunk() == IO_OK) {
        USHORT id = iload->CurChunkID();
        if (id == kHistoryEntryChunk) {
            HistoryEntry entry;
            if (ReadHistoryEntry(iload, entry)) {
                history.push_back(std::move(entry));
            }
        } else if (id == kSlotExposuresChunk) {
            ChunkIn in(iload);
            uint32_t n = 0;
            std::vector<float> values;
            if (in.U32(n) && n >= 1 && n <= kMaxSavedExposures) {
                values.resize(n);
                for (float& f : values) {
                    if (!in.F32(f)) {
                        values.clear();
                        break;
                    }
                }
            }
            if (values.empty()) {
                values.push_back(0.0f);
            }
            exposureCache.Assign(values);  // held at the 16 slots a map can have
            exposureCacheReady.store(true);
            exposureCachePending.store(true);
        }
        iload->CloseChunk();
    }
    RefreshHistoryWindows(this, MSTR(), MSTR());
    return IO_OK;
}
