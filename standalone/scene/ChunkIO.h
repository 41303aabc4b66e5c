#pragma once
// The host's chunked scene data: a chunk is a 16-bit id, a 32-bit length (header included)
// and its data, which may hold further chunks. Little-endian throughout.

#include "scene/ZenhostApi.h"
#include <ioapi.h>

#include <cstdint>
#include <vector>

namespace standalone {

/// ISave over a byte buffer.
class ZENHOST_API ChunkWriter : public ISave {
public:
    void BeginChunk(USHORT id) override;
    void EndChunk() override;
    IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;
    const std::vector<uint8_t>& Bytes() const { return bytes; }

private:
    std::vector<uint8_t> bytes;
    std::vector<size_t> open;  // header offsets of the open chunks
};

/// ILoad over a byte range. It never reads outside the chunk that is open: a length that does
/// not fit its parent ends the level (OpenChunk answers IO_END).
class ZENHOST_API ChunkReader : public ILoad {
public:
    ChunkReader(const uint8_t* data, size_t size);
    IOResult OpenChunk() override;
    USHORT CurChunkID() override;
    ULONG CurChunkLength() override;
    IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
    IOResult CloseChunk() override;

private:
    struct Level {
        size_t begin;   // first data byte
        size_t end;     // one past the last byte
        size_t cursor;  // next byte to read or next child header
        USHORT id;
    };
    const uint8_t* data;
    std::vector<Level> levels;  // levels[0] is the whole range
};

constexpr size_t kChunkHeaderBytes = 6;

}  // namespace standalone
