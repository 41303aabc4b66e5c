#pragma once
// The host's private-profile (INI file) functions, which also read files written in UTF-16.

#include "../maxtypes.h"

namespace MaxSDK::Util {

/// The integer value of `pKeyName` in `pSection` of `pFileName`; `nDefault` when the file, the
/// section or the key is missing or the value is empty.
UtilExport DWORD GetPrivateProfileIntW(LPCMSTR pSection, LPCMSTR pKeyName, INT nDefault,
                                       LPCMSTR pFileName);

/// Writes `pKeyName`=`pString` into `pSection` of `pFileName`, creating the file, the section or
/// the key as needed. FALSE when the file cannot be written.
UtilExport BOOL WritePrivateProfileStringW(LPCMSTR pSection, LPCMSTR pKeyName, LPCMSTR pString,
                                           LPCMSTR pFileName);

}  // namespace MaxSDK::Util
