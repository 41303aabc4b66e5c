#pragma once
// The host's character type: every string of the host is wide.

#define MCHAR wchar_t
#define MCHAR_IS_WCHAR
#define LPCMSTR const MCHAR*
#define LPMSTR MCHAR*
#define _M_TEXT(x) L##x
/// Wraps a string or character literal as the host's characters.
#define _M(x) _M_TEXT(x)
#define M_STD_STRING std::wstring
