#pragma once
// The host's strings beside the standard library's: the plug-in's own logic reads MSTR texts as
// std::wstring views and hands MSTR back to the host.

#include <strclass.h>

#include <cstdio>
#include <iterator>
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

/// A number in decimal with at least `minDigits` digits (zeros in front of the magnitude).
inline MSTR DecimalText(int value, int minDigits = 1) {
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%0*d", minDigits + (value < 0 ? 1 : 0), value);
    return MSTR(text);
}

/// A number in fixed notation with `decimals` digits after the point ("1.50").
inline MSTR FixedText(double value, int decimals) {
    wchar_t text[64];
    std::swprintf(text, std::size(text), L"%.*f", decimals, value);
    return MSTR(text);
}
