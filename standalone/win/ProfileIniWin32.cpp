// The host's INI functions: the system's own.

#include "host/ProfileIni.h"

#include <windows.h>

namespace {
const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
}  // namespace

namespace MaxSDK::Util {

UINT GetPrivateProfileIntW(const char16_t* section, const char16_t* key, int defaultValue,
                           const char16_t* file) {
    return ::GetPrivateProfileIntW(Wide(section), Wide(key), defaultValue, Wide(file));
}

BOOL WritePrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* value,
                                const char16_t* file) {
    return ::WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), Wide(file));
}

}  // namespace MaxSDK::Util
