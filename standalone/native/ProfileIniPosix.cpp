// The host's INI functions where the system has none. Files are read as UTF-8 text with CR LF
// or LF line ends; a write changes or adds one line and keeps every other byte of the file, so
// comments, blank lines and other sections written by other programs survive.

#include "host/ProfileIni.h"

#include "platform/Platform.h"

#include <string>
#include <string_view>

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    std::u16string x = platform::Utf8ToUtf16(a), y = platform::Utf8ToUtf16(b);
    if (x.size() != y.size()) {
        return false;
    }
    for (size_t i = 0; i < x.size(); ++i) {
        if (platform::ToLowerUnit(x[i]) != platform::ToLowerUnit(y[i])) {
            return false;
        }
    }
    return true;
}

/// One line of the file: where it starts, where its text ends and where the next begins.
struct Line {
    size_t begin;
    size_t end;   // before CR LF or LF
    size_t next;  // after the line end
};

/// Where a key's line and its section lie in the file; npos when not found.
struct Place {
    size_t sectionEnd = std::string::npos;  // after the section's last non-blank line
    size_t keyBegin = std::string::npos;
    size_t keyEnd = std::string::npos;  // end of the key's line text
    std::string_view value;
};

Place Find(const std::string& text, std::string_view section, std::string_view key) {
    Place place;
    bool inSection = false;
    for (size_t at = 0; at < text.size();) {
        size_t lf = text.find('\n', at);
        Line line{at, lf == std::string::npos ? text.size() : lf,
                  lf == std::string::npos ? text.size() : lf + 1};
        if (line.end > line.begin && text[line.end - 1] == '\r') {
            --line.end;
        }
        at = line.next;
        std::string_view body =
            Trim(std::string_view(text).substr(line.begin, line.end - line.begin));
        if (body.empty() || body.front() == ';' || body.front() == '#') {
            continue;
        }
        if (body.front() == '[') {
            size_t close = body.find(']');
            std::string_view name =
                Trim(body.substr(1, close == std::string_view::npos ? body.npos : close - 1));
            if (inSection && place.keyBegin != std::string::npos) {
                return place;
            }
            inSection = SameName(name, section);
            if (inSection) {
                place.sectionEnd = line.next;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        place.sectionEnd = line.next;
        size_t eq = body.find('=');
        std::string_view name = Trim(body.substr(0, eq));
        if (place.keyBegin == std::string::npos && SameName(name, key)) {
            place.keyBegin = line.begin;
            place.keyEnd = line.end;
            place.value =
                eq == std::string_view::npos ? std::string_view() : Trim(body.substr(eq + 1));
        }
    }
    return place;
}

/// Decimal digits with an optional sign, as the system's function reads them; 32-bit wrap.
uint32_t ParseInt(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    uint32_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            break;
        }
        v = v * 10u + uint32_t(c - '0');
    }
    return negative ? 0u - v : v;
}

std::string Text(const char16_t* s) {
    return s ? platform::Utf16ToUtf8(s) : std::string();
}

}  // namespace

namespace MaxSDK::Util {

UINT GetPrivateProfileIntW(const char16_t* section, const char16_t* key, int defaultValue,
                           const char16_t* file) {
    std::string text;
    if (!section || !key || !file || !platform::ReadWholeFile(file, text)) {
        return UINT(defaultValue);
    }
    Place place = Find(text, Text(section), Text(key));
    if (place.keyBegin == std::string::npos || place.value.empty()) {
        return UINT(defaultValue);
    }
    return ParseInt(place.value);
}

BOOL WritePrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* value,
                                const char16_t* file) {
    if (!section || !key || !value || !file) {
        return FALSE;  // deleting keys and sections is not needed here
    }
    std::string text;
    platform::ReadWholeFile(file, text);  // a missing file starts empty
    const std::string eol = text.find("\r\n") != std::string::npos || text.empty() ? "\r\n" : "\n";
    const std::string line = Text(key) + "=" + Text(value);
    Place place = Find(text, Text(section), Text(key));
    if (place.keyBegin != std::string::npos) {
        text.replace(place.keyBegin, place.keyEnd - place.keyBegin, line);
    } else if (place.sectionEnd != std::string::npos) {
        std::string insert = line + eol;
        if (place.sectionEnd > 0 && text[place.sectionEnd - 1] != '\n') {
            insert = eol + insert;  // the section's last line had no line end
        }
        text.insert(place.sectionEnd, insert);
    } else {
        if (!text.empty() && text.back() != '\n') {
            text += eol;
        }
        text += "[" + Text(section) + "]" + eol + line + eol;
    }
    return platform::WriteWholeFile(file, text) ? TRUE : FALSE;
}

}  // namespace MaxSDK::Util
