#pragma once
// The host's strings beside the standard library's: the plug-in's own logic reads MSTR texts as
// std::wstring views and hands MSTR back to the host.

#include <strclass.h>

#include <string>
#include <string_view>

/// The characters of a host string.
inline std::wstring_view MstrView(const MSTR& text) {
    return {text.data(), size_t(text.Length())};
}

/// A host string holding `text` (up to an embedded NUL, where host strings end).
inline MSTR MakeMstr(std::wstring_view text) {
    return MSTR(std::wstring(text).c_str());
}
