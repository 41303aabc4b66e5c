#pragma once
// Scene file chunks: the host's ISave and ILoad.

#include "host/MaxTypes.h"

class HOST_API ISave {
public:
    virtual ~ISave();
    virtual void BeginChunk(USHORT id) = 0;
    virtual void EndChunk() = 0;
    virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
};

class HOST_API ILoad {
public:
    virtual ~ILoad();
    /// Opens the next chunk at the current level: IO_OK, or IO_END when none is left (or the
    /// data is damaged).
    virtual IOResult OpenChunk() = 0;
    virtual USHORT CurChunkID() = 0;
    /// Bytes of the open chunk's data.
    virtual ULONG CurChunkLength() = 0;
    /// Reads from the open chunk. Never past its end: a short read returns IO_ERROR and sets
    /// `nread` to what was there.
    virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
    /// Closes the open chunk, skipping what was not read.
    virtual IOResult CloseChunk() = 0;
};
