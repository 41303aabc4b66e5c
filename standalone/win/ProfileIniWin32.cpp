// The host's INI functions: the system's own.

#include <Util/IniUtil.h>

#include <windows.h>

namespace MaxSDK::Util {

DWORD GetPrivateProfileIntW(LPCMSTR pSection, LPCMSTR pKeyName, INT nDefault, LPCMSTR pFileName) {
    return DWORD(::GetPrivateProfileIntW(pSection, pKeyName, nDefault, pFileName));
}

BOOL WritePrivateProfileStringW(LPCMSTR pSection, LPCMSTR pKeyName, LPCMSTR pString,
                                LPCMSTR pFileName) {
    return ::WritePrivateProfileStringW(pSection, pKeyName, pString, pFileName);
}

}  // namespace MaxSDK::Util
