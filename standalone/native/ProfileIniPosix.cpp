// The host's INI functions where the system has none. They read files as the system's do (as
// Wine's were seen to): names without regard to case, only the first section of a name, one pair
// of quotes around a value dropped, numbers in decimal or with a 0x, 0o or 0b prefix. Files are
// UTF-8 text, with or without a byte-order mark, with CR LF or LF line ends. Unlike the system's,
// which writes the whole file anew without its blank lines, a write here changes or adds one
// line and keeps every other byte, so whatever other programs put in the file stays as it was.

#include <Util/IniUtil.h>

#include "platform/Platform.h"

#include <string>
#include <string_view>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// The system's reader takes a value into a buffer of 30 units, so digits beyond 29 are lost.
constexpr size_t kIntValueUnits = 29;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return platform::ToLower(platform::Utf8ToWide(a)) == platform::ToLower(platform::Utf8ToWide(b));
}

size_t ByteOrderMarkLength(const std::string& text) {
    return text.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
}

/// Where a key's line and its section lie in the file; npos when not found.
struct Place {
    size_t sectionEnd = std::string::npos;  // after the section's last non-blank line
    size_t keyBegin = std::string::npos;
    size_t keyEnd = std::string::npos;  // end of the key's line text, before its line end
    std::string_view name;              // the key as the file spells it
    std::string_view value;
};

Place Find(const std::string& text, std::string_view section, std::string_view key) {
    Place place;
    bool inSection = false;
    for (size_t at = ByteOrderMarkLength(text); at < text.size();) {
        const size_t lf = text.find('\n', at);
        const size_t begin = at;
        const size_t next = lf == std::string::npos ? text.size() : lf + 1;
        size_t end = lf == std::string::npos ? text.size() : lf;
        if (end > begin && text[end - 1] == '\r') {
            --end;
        }
        at = next;
        const std::string_view body = Trim(std::string_view(text).substr(begin, end - begin));
        if (body.empty()) {
            continue;
        }
        // A '[' line without a closing ']' is no header but an ordinary line.
        const size_t close = body.front() == '[' ? body.rfind(']') : std::string_view::npos;
        if (close != std::string_view::npos) {
            if (inSection) {
                return place;  // a later section of the same name is not read
            }
            inSection = SameName(Trim(body.substr(1, close - 1)), section);
            if (inSection) {
                place.sectionEnd = next;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        // Comments belong to their section: a new key goes after them, as the system's does.
        place.sectionEnd = next;
        if (body.front() == ';' || body.front() == '#' || place.keyBegin != std::string::npos) {
            continue;
        }
        const size_t eq = body.find('=');
        const std::string_view name = Trim(body.substr(0, eq));
        if (SameName(name, key)) {
            place.keyBegin = begin;
            place.keyEnd = end;
            place.name = name;
            place.value =
                eq == std::string_view::npos ? std::string_view() : Trim(body.substr(eq + 1));
        }
    }
    return place;
}

/// The value without one pair of enclosing quotes (' or "), cut to what the system's reader
/// keeps of it.
std::wstring IntValueText(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    std::wstring units = platform::Utf8ToWide(value);
    if (units.size() > kIntValueUnits) {
        units.resize(kIntValueUnits);
    }
    return units;
}

/// Control characters and blanks, then a sign, then digits in base 10, or 16, 8 or 2 after
/// "0x", "0o" or "0b"; the first other character ends the number. Wraps at 32 bits.
uint32_t ParseInt(std::wstring_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] <= L' ') {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
        negative = s[i] == L'-';
        ++i;
    }
    uint32_t base = 10;
    if (i + 1 < s.size() && s[i] == L'0') {
        const wchar_t prefix = s[i + 1];
        base = prefix == L'x' ? 16 : prefix == L'o' ? 8 : prefix == L'b' ? 2 : 10;
        i += base == 10 ? 0 : 2;
    }
    uint32_t v = 0;
    for (; i < s.size(); ++i) {
        const wchar_t c = s[i];
        const uint32_t digit = c >= L'0' && c <= L'9'   ? uint32_t(c - L'0')
                               : c >= L'a' && c <= L'z' ? uint32_t(c - L'a' + 10)
                               : c >= L'A' && c <= L'Z' ? uint32_t(c - L'A' + 10)
                                                        : base;
        if (digit >= base) {
            break;
        }
        v = v * base + digit;
    }
    return negative ? 0u - v : v;
}

std::string Text(const wchar_t* s) {
    return s ? platform::WideToUtf8(s) : std::string();
}

}  // namespace

namespace MaxSDK::Util {

DWORD GetPrivateProfileIntW(LPCMSTR section, LPCMSTR key, INT defaultValue, LPCMSTR file) {
    std::string text;
    if (!section || !key || !file || !platform::ReadWholeFile(file, text)) {
        return DWORD(defaultValue);
    }
    const Place place = Find(text, Text(section), Text(key));
    const std::wstring value = IntValueText(place.value);
    return value.empty() ? DWORD(defaultValue) : DWORD(ParseInt(value));
}

BOOL WritePrivateProfileStringW(LPCMSTR section, LPCMSTR key, LPCMSTR value, LPCMSTR file) {
    if (!section || !key || !value || !file) {
        return FALSE;  // deleting keys and sections is not needed here
    }
    std::string text;
    platform::ReadWholeFile(file, text);  // a missing file starts empty
    // New lines end as the file's own do; CR LF in a new file, as the system's writes.
    const bool lfOnly =
        text.find('\n') != std::string::npos && text.find("\r\n") == std::string::npos;
    const std::string eol = lfOnly ? "\n" : "\r\n";
    const Place place = Find(text, Text(section), Text(key));
    if (place.keyBegin != std::string::npos) {
        const std::string line = std::string(place.name) + "=" + Text(value);
        text.replace(place.keyBegin, place.keyEnd - place.keyBegin, line);
    } else if (place.sectionEnd != std::string::npos) {
        std::string insert = Text(key) + "=" + Text(value) + eol;
        if (text[place.sectionEnd - 1] != '\n') {
            insert = eol + insert;  // the section's last line had no line end
        }
        text.insert(place.sectionEnd, insert);
    } else {
        if (text.size() > ByteOrderMarkLength(text) && text.back() != '\n') {
            text += eol;
        }
        text += "[" + Text(section) + "]" + eol + Text(key) + "=" + Text(value) + eol;
    }
    return platform::WriteWholeFile(file, text) ? TRUE : FALSE;
}

}  // namespace MaxSDK::Util
