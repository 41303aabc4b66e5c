#pragma once
// Scene file chunks: the host's ISave and ILoad.

#include "maxtypes.h"

class CoreExport ISave {
public:
    virtual ~ISave();
    virtual void BeginChunk(USHORT id) = 0;
    virtual void EndChunk() = 0;
    /// Writes untyped bytes into the open chunk.
    IOResult WriteVoid(const void* buf, ULONG nbytes, ULONG* nwrit) {
        return Write(buf, nbytes, nwrit);
    }
    /// Writes a string as UTF-16 with its terminator.
    virtual IOResult WriteWString(const wchar_t* str) = 0;

private:
    virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
};

class CoreExport ILoad {
public:
    virtual ~ILoad();
    /// Opens the next chunk at the current level: IO_OK, or IO_END when none is left.
    virtual IOResult OpenChunk() = 0;
    virtual USHORT CurChunkID() = 0;
    /// Bytes of the open chunk's data.
    virtual ULONGLONG CurChunkLength() = 0;
    /// Closes the open chunk, skipping what was not read.
    virtual IOResult CloseChunk() = 0;
    /// Reads untyped bytes from the open chunk, never past its end: a short read returns
    /// IO_ERROR and sets `nread` to what was there.
    IOResult ReadVoid(const void* buf, ULONG nbytes, ULONG* nwrit) {
        return Read(const_cast<void*>(buf), nbytes, nwrit);
    }
    /// Reads a string written by WriteWString; the buffer belongs to the loader.
    virtual IOResult ReadWStringChunk(wchar_t** buf) = 0;

private:
    virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
};
