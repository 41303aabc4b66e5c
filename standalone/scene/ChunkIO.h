#pragma once
// The host's chunked scene data: a chunk is a 16-bit id, a 32-bit length (header included)
// and its data, which may hold further chunks. Little-endian throughout.

#include <ioapi.h>

#include "scene/ZenhostApi.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standalone {

/// ISave over a byte buffer.
class ZENHOST_API ChunkWriter : public ISave {
public:
    void BeginChunk(USHORT id) override;
    void EndChunk() override;
    /// The string as UTF-16 units and a terminating 0 unit, in both builds.
    IOResult WriteWString(const wchar_t* str) override;
    const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
    IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;

    std::vector<uint8_t> bytes;
    std::vector<size_t> open;  // header offsets of the open chunks
};

/// ILoad over a byte range. It never reads outside the chunk that is open: a length that does
/// not fit its parent ends the level (OpenChunk answers IO_END).
class ZENHOST_API ChunkReader : public ILoad {
public:
    ChunkReader(const uint8_t* data, size_t size);
    ~ChunkReader() override;
    IOResult OpenChunk() override;
    USHORT CurChunkID() override;
    ULONGLONG CurChunkLength() override;
    IOResult CloseChunk() override;
    /// Reads UTF-16 units up to a 0 unit or the end of the open chunk. The text stays the
    /// reader's, valid while it lives. IO_ERROR when the chunk ends before the terminator (the
    /// text then holds what was there).
    IOResult ReadWStringChunk(wchar_t** buf) override;

private:
    IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;

    struct Level {
        size_t begin;   // first data byte
        size_t end;     // one past the last byte
        size_t cursor;  // next byte to read or next child header
        USHORT id;
    };
    const uint8_t* data;
    std::vector<Level> levels;                         // levels[0] is the whole range
    std::vector<std::unique_ptr<std::wstring>> texts;  // what ReadWStringChunk handed out
};

constexpr size_t kChunkHeaderBytes = 6;

}  // namespace standalone
