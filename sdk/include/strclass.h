#pragma once
// The host's string class. A WStr holds wide characters (UTF-16 on Windows); it is never a null
// pointer: an empty string converts to "".

#include "coreexp.h"
#include "strbasic.h"

#include <cstddef>
#include <string>

class UtilExport WStr {
public:
    WStr() = default;
    WStr(const wchar_t* wcstr) : text(wcstr ? wcstr : L"") {}
    WStr(const WStr& ws) = default;
    WStr(WStr&& ws) = default;
    ~WStr() = default;

    /// A buffer of at least `nchars` characters and the terminator, for the caller to fill; the
    /// length is then up to the first terminator (Resize sets it otherwise).
    wchar_t* dataForWrite(size_t nchars = (size_t)-1) {
        if (nchars != (size_t)-1 && nchars > text.size()) {
            text.resize(nchars);
        }
        return text.data();
    }
    const wchar_t* data() const { return text.c_str(); }
    operator const wchar_t*() const { return text.c_str(); }
    /// Makes the string `nchars` characters long, padding with NUL.
    void Resize(int nchars) { text.resize(nchars > 0 ? size_t(nchars) : 0); }
    int Length() const { return int(text.size()); }
    int length() const { return Length(); }
    bool isNull() const { return text.empty(); }

    WStr& operator=(const WStr& ws) = default;
    WStr& operator=(WStr&& ws) = default;
    WStr& operator=(const wchar_t* wcstr) {
        text = wcstr ? wcstr : L"";
        return *this;
    }
    WStr operator+(const WStr& ws) const {
        WStr sum(*this);
        sum += ws;
        return sum;
    }
    WStr& operator+=(const WStr& ws) {
        text += ws.text;
        return *this;
    }
    WStr& Append(const WStr& ws) { return *this += ws; }
    WStr& append(const WStr& ws) { return *this += ws; }
    /// Removes everything from `pos` on.
    WStr& remove(int pos) { return remove(pos, Length() - pos); }
    /// Removes `N` characters at `pos` (clamped to the string).
    WStr& remove(int pos, int N) {
        if (pos >= 0 && pos < Length() && N > 0) {
            text.erase(size_t(pos), size_t(N));
        }
        return *this;
    }
    /// `nchars` characters from `start`, clamped to the string; empty when `start` is past it.
    WStr Substr(int start, int nchars) const {
        WStr part;
        if (start >= 0 && start < Length() && nchars > 0) {
            part.text = text.substr(size_t(start), size_t(nchars));
        }
        return part;
    }
    wchar_t operator[](int i) const { return text[size_t(i)]; }
    wchar_t& operator[](int i) { return text[size_t(i)]; }
    /// Index of the first (last) `c`; -1 when there is none.
    int first(wchar_t c) const {
        size_t at = text.find(c);
        return at == std::wstring::npos ? -1 : int(at);
    }
    int last(wchar_t c) const {
        size_t at = text.rfind(c);
        return at == std::wstring::npos ? -1 : int(at);
    }
    bool operator==(const WStr& ws) const { return text == ws.text; }
    bool operator<(const WStr& ws) const { return text < ws.text; }
    /// Lower-cases the string in place.
    WStr& toLower();
    WStr& toUpper();

private:
    std::wstring text;
};

UtilExport bool operator==(const wchar_t* a, const WStr& b);
UtilExport bool operator!=(const wchar_t* a, const WStr& b);
UtilExport bool operator==(const WStr& a, const wchar_t* b);
UtilExport bool operator!=(const WStr& a, const wchar_t* b);

typedef WStr MSTR;
