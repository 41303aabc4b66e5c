#pragma once
// Little-endian fields of the plug-in's own scene chunks: integers, floats, flags, strings as a
// 32-bit count of UTF-16 units followed by the units (in both builds), and byte blobs.

#include "core/HostStrings.h"
#include "platform/Platform.h"

#include <ioapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// Long strings and blobs are read in pieces of this many bytes, so that a damaged count costs
// only what the chunk really holds.
constexpr ULONG kReadPiece = 64 * 1024;

class ChunkOut {
public:
    explicit ChunkOut(ISave* s) : isave(s) {}
    void Bytes(const void* data, size_t n) {
        ULONG written = 0;
        if (n > 0) {
            isave->WriteVoid(data, ULONG(n), &written);
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
        const std::string units = platform::WideToUtf16Bytes(MstrView(s));
        U32(uint32_t(units.size() / 2));
        Bytes(units.data(), units.size());
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
        return n == 0 || (iload->ReadVoid(data, n, &got) == IO_OK && got == n);
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
            IOResult r = iload->ReadVoid(out.data() + at, want, &got);
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
        s = MakeMstr(platform::Utf16BytesToWide(
            std::string_view(reinterpret_cast<const char*>(b.data()), b.size())));
    }

private:
    ILoad* iload;
};

// One field by its type, for code that writes and reads fields one at a time.
inline void PutField(ISave* s, uint32_t v) {
    ChunkOut(s).U32(v);
}
inline void PutField(ISave* s, int32_t v) {
    ChunkOut(s).I32(v);
}
inline void PutField(ISave* s, int16_t v) {
    ChunkOut(s).U16(uint16_t(v));
}
inline void PutField(ISave* s, float v) {
    ChunkOut(s).F32(v);
}
inline bool GetField(ILoad* l, uint32_t& v) {
    return ChunkIn(l).U32(v);
}
inline bool GetField(ILoad* l, int32_t& v) {
    return ChunkIn(l).I32(v);
}
inline bool GetField(ILoad* l, int16_t& v) {
    uint16_t u = 0;
    if (!ChunkIn(l).U16(u)) {
        return false;
    }
    v = int16_t(u);
    return true;
}
inline bool GetField(ILoad* l, float& v) {
    return ChunkIn(l).F32(v);
}
