// UTF-16 in files, the same bytes from either build's wide strings.

#include "platform/Platform.h"

namespace platform {

std::string WideToUtf16Bytes(std::wstring_view wide) {
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    auto put = [&bytes](uint32_t unit) {
        bytes.push_back(char(unit & 0xFF));
        bytes.push_back(char((unit >> 8) & 0xFF));
    };
    for (wchar_t c : wide) {
        const auto code = static_cast<uint32_t>(c);
        if constexpr (sizeof(wchar_t) > 2) {
            if (code >= 0x10000 && code <= 0x10FFFF) {
                put(0xD800 + ((code - 0x10000) >> 10));
                put(0xDC00 + ((code - 0x10000) & 0x3FF));
                continue;
            }
        }
        put(code > 0xFFFF ? 0xFFFD : code);
    }
    return bytes;
}

std::wstring Utf16BytesToWide(std::string_view bytes) {
    std::wstring wide;
    wide.reserve(bytes.size() / 2);
    auto unitAt = [&bytes](size_t i) {
        return uint32_t(uint8_t(bytes[2 * i])) | uint32_t(uint8_t(bytes[2 * i + 1])) << 8;
    };
    const size_t units = bytes.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint32_t unit = unitAt(i);
        if constexpr (sizeof(wchar_t) > 2) {
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
                const uint32_t low = unitAt(i + 1);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    wide.push_back(wchar_t(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                    ++i;
                    continue;
                }
            }
        }
        wide.push_back(wchar_t(unit));
    }
    return wide;
}

}  // namespace platform
