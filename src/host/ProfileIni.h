#pragma once
// The host's private-profile (INI file) functions.

#include "host/MaxTypes.h"

namespace MaxSDK::Util {

/// The integer value of `key` in `section` of `file`: leading blanks and a sign allowed, then
/// decimal digits (hexadecimal, octal or binary after "0x", "0o" or "0b") up to the first other
/// character ("12px" is 12, "px" is 0), wrapping at 32 bits; one pair of quotes around the value
/// is ignored. `defaultValue` when the file, the section or the key is missing or the value is
/// empty. Names are compared without regard to case. Callers take the result as signed.
HOST_API UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue,
                                    const wchar_t* file);

/// Writes `key`=`value` into `section` of `file`, creating the file, the section or the key
/// as needed and keeping everything else in the file. FALSE when the file cannot be written.
HOST_API BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key,
                                         const wchar_t* value, const wchar_t* file);

}  // namespace MaxSDK::Util
