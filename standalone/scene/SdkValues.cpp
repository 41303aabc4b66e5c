// The host's value classes: strings and time intervals.

#include <interval.h>
#include <strclass.h>

#include "platform/Platform.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

WStr& WStr::toLower() {
    for (wchar_t& c : text) {
        c = platform::ToLowerUnit(c);
    }
    return *this;
}

WStr& WStr::toUpper() {
    for (wchar_t& c : text) {
        const unsigned long unit = static_cast<unsigned long>(c);
        if (unit < 0x80) {
            c = c >= L'a' && c <= L'z' ? wchar_t(c - (L'a' - L'A')) : c;
        } else if (unit < 0xD800 || (unit > 0xDFFF && unit <= 0xFFFF)) {
            // Surrogate halves and characters beyond them stay, as in the lower-casing.
            const unsigned long upper = static_cast<unsigned long>(std::towupper(std::wint_t(c)));
            c = upper <= 0xFFFF ? wchar_t(upper) : c;
        }
    }
    return *this;
}

bool operator==(const wchar_t* a, const WStr& b) {
    return b == WStr(a);
}
bool operator!=(const wchar_t* a, const WStr& b) {
    return !(b == WStr(a));
}
bool operator==(const WStr& a, const wchar_t* b) {
    return a == WStr(b);
}
bool operator!=(const WStr& a, const wchar_t* b) {
    return !(a == WStr(b));
}
