#include "scene/ChunkIO.h"

#include "platform/Platform.h"

#include <cstring>
#include <string_view>

namespace standalone {

namespace {
void PutLE(std::vector<uint8_t>& out, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}
uint32_t GetLE(const uint8_t* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
        v |= uint32_t(p[i]) << (8 * i);
    }
    return v;
}
}  // namespace

void ChunkWriter::BeginChunk(USHORT id) {
    open.push_back(bytes.size());
    PutLE(bytes, id, 2);
    PutLE(bytes, 0, 4);
}

void ChunkWriter::EndChunk() {
    if (open.empty()) {
        return;
    }
    size_t start = open.back();
    open.pop_back();
    uint32_t length = uint32_t(bytes.size() - start);
    for (int i = 0; i < 4; ++i) {
        bytes[start + 2 + size_t(i)] = uint8_t(length >> (8 * i));
    }
}

IOResult ChunkWriter::WriteWString(const wchar_t* str) {
    std::string units = platform::WideToUtf16Bytes(str ? str : L"");
    units.append(2, '\0');
    ULONG written = 0;
    return Write(units.data(), ULONG(units.size()), &written);
}

IOResult ChunkWriter::Write(const void* buf, ULONG nbytes, ULONG* nwrit) {
    const auto* p = static_cast<const uint8_t*>(buf);
    bytes.insert(bytes.end(), p, p + nbytes);
    if (nwrit) {
        *nwrit = nbytes;
    }
    return IO_OK;
}

ChunkReader::ChunkReader(const uint8_t* d, size_t size) : data(d) {
    levels.push_back({0, size, 0, 0});
}

ChunkReader::~ChunkReader() = default;

IOResult ChunkReader::OpenChunk() {
    Level& parent = levels.back();
    if (parent.end - parent.cursor < kChunkHeaderBytes) {
        return IO_END;
    }
    const uint8_t* header = data + parent.cursor;
    USHORT id = USHORT(GetLE(header, 2));
    uint32_t length = GetLE(header + 2, 4);
    if (length < kChunkHeaderBytes || length > parent.end - parent.cursor) {
        // Damaged: nothing after this point of the level can be trusted.
        parent.cursor = parent.end;
        return IO_END;
    }
    size_t begin = parent.cursor + kChunkHeaderBytes;
    levels.push_back({begin, parent.cursor + length, begin, id});
    return IO_OK;
}

USHORT ChunkReader::CurChunkID() {
    return levels.size() > 1 ? levels.back().id : 0;
}

ULONGLONG ChunkReader::CurChunkLength() {
    return levels.size() > 1 ? ULONGLONG(levels.back().end - levels.back().begin) : 0;
}

IOResult ChunkReader::ReadWStringChunk(wchar_t** buf) {
    Level& level = levels.back();
    std::string units;
    bool terminated = false;
    while (level.end - level.cursor >= 2) {
        const uint8_t* unit = data + level.cursor;
        level.cursor += 2;
        if (unit[0] == 0 && unit[1] == 0) {
            terminated = true;
            break;
        }
        units.append(reinterpret_cast<const char*>(unit), 2);
    }
    texts.push_back(std::make_unique<std::wstring>(platform::Utf16BytesToWide(units)));
    if (buf) {
        *buf = texts.back()->data();
    }
    return terminated ? IO_OK : IO_ERROR;
}

IOResult ChunkReader::Read(void* buf, ULONG nbytes, ULONG* nread) {
    Level& level = levels.back();
    size_t available = level.end - level.cursor;
    size_t n = nbytes <= available ? nbytes : available;
    if (n > 0) {
        std::memcpy(buf, data + level.cursor, n);
    }
    level.cursor += n;
    if (nread) {
        *nread = ULONG(n);
    }
    return n == nbytes ? IO_OK : IO_ERROR;
}

IOResult ChunkReader::CloseChunk() {
    if (levels.size() <= 1) {
        return IO_ERROR;
    }
    size_t end = levels.back().end;
    levels.pop_back();
    levels.back().cursor = end;
    return IO_OK;
}

}  // namespace standalone
