// The host's INI functions: the system's own.

#include <Util/IniUtil.h>

#include <windows.h>

namespace {
const wchar_t* Wide(const wchar_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
}  // namespace

namespace MaxSDK::Util {

UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue,
                           const wchar_t* file) {
    return ::GetPrivateProfileIntW(Wide(section), Wide(key), defaultValue, Wide(file));
}

BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* file) {
    return ::WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), Wide(file));
}

}  // namespace MaxSDK::Util
