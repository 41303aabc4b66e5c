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
        if (c < 0x80) {
            c = c >= L'a' && c <= L'z' ? wchar_t(c - (L'a' - L'A')) : c;
        } else if (c < 0xD800 || (c > 0xDFFF && c <= 0xFFFF)) {
            // Surrogate halves and characters beyond them stay, as in the lower-casing.
            std::wint_t upper = std::towupper(std::wint_t(c));
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

Interval::Interval(TimeValue s, TimeValue e) : start(s), end(e) {
    if (s > e) {
        SetEmpty();
    }
}

int Interval::InInterval(const TimeValue t) const {
    return !Empty() && t >= start && t <= end ? 1 : 0;
}

Interval Interval::operator&(const Interval i) const {
    if (Empty() || i.Empty()) {
        return NEVER;
    }
    TimeValue s = std::max(start, i.start);
    TimeValue e = std::min(end, i.end);
    return s <= e ? Interval(s, e) : NEVER;
}
