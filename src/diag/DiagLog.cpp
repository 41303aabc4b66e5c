#include "diag/DiagLog.h"

#include <charconv>
#include <cstring>
#include <mutex>

namespace diag {
namespace {

// Constant-initialised, so it exists before any static object could log and is never destroyed
// while the library is loaded.
std::mutex logMutex;

template <typename Integer>
void AppendDecimal(std::u16string& out, Integer value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (const char* c = digits; c != result.ptr; ++c) {
        out += static_cast<char16_t>(*c);
    }
}

void AppendTwoDigits(std::u16string& out, int value) {
    if (value >= 0 && value < 10) {
        out += u'0';
    }
    AppendDecimal(out, value);
}

// Insertions never throw: a message that cannot grow keeps what it has.
template <typename Append>
void Guarded(Append append) noexcept {
    try {
        append();
    } catch (...) {
    }
}

}  // namespace

std::u16string Utf8ToWide(const char* utf8) {
    if (utf8 == nullptr) {
        return {};
    }
    const std::string_view bytes(utf8, std::strlen(utf8));
    std::u16string wide = platform::Utf8ToUtf16(bytes);
    if (wide.empty()) {
        // The conversion failed (or there was nothing to convert): keep the bytes as they are.
        for (const char byte : bytes) {
            wide += static_cast<char16_t>(static_cast<unsigned char>(byte));
        }
    }
    return wide;
}

std::u16string FormatLogPrefix(const char* file, int32_t line, const char* function) {
    return FormatLogPrefix(file, line, function, platform::GetLocalTimeNow(),
                           platform::CurrentThreadId());
}

std::u16string FormatLogPrefix(const char* file, int32_t line, const char* function,
                               const platform::LocalTime& time, uint32_t threadId) {
    std::u16string prefix = u"[";
    AppendDecimal(prefix, time.year);
    prefix += u'-';
    AppendTwoDigits(prefix, time.month);
    prefix += u'-';
    AppendTwoDigits(prefix, time.day);
    prefix += u' ';
    AppendTwoDigits(prefix, time.hour);
    prefix += u':';
    AppendTwoDigits(prefix, time.minute);
    prefix += u':';
    AppendTwoDigits(prefix, time.second);
    prefix += u'.';
    AppendDecimal(prefix, time.millisecond);
    prefix += u"] [T";
    AppendDecimal(prefix, threadId);
    prefix += u"] ";
    prefix += Utf8ToWide(function);
    prefix += u" (";
    prefix += Utf8ToWide(file);
    prefix += u':';
    AppendDecimal(prefix, line);
    prefix += u')';
    return prefix;
}

void AppendLogLine(std::u16string_view text) noexcept {
    try {
        // Held over the whole append, so that lines of different threads never mix.
        std::lock_guard<std::mutex> lock(logMutex);
        if (!platform::CreateDirectories(kLogFolder)) {
            return;
        }
        std::u16string withLineEnd(text);
        withLineEnd += u"\r\n";
        platform::AppendToFile(kLogFile, platform::Utf16ToUtf8(withLineEnd));
    } catch (...) {
        // Logging never disturbs its caller.
    }
}

void LogWrite(const char* file, int32_t line, const char* function,
              std::u16string_view message) noexcept {
    try {
        // Formatted before the lock is taken, to keep the time under the process-wide lock short.
        std::u16string text = FormatLogPrefix(file, line, function);
        if (!message.empty()) {
            text += u" | ";
            text += message;
        }
        AppendLogLine(text);
    } catch (...) {
    }
}

LogLine& LogLine::operator<<(const char16_t* text) noexcept {
    if (text != nullptr) {
        Guarded([&] { message_ += text; });
    }
    return *this;
}

LogLine& LogLine::operator<<(std::u16string_view text) noexcept {
    Guarded([&] { message_ += text; });
    return *this;
}

LogLine& LogLine::operator<<(char16_t unit) noexcept {
    Guarded([&] { message_ += unit; });
    return *this;
}

LogLine& LogLine::operator<<(int value) noexcept {
    Guarded([&] { AppendDecimal(message_, value); });
    return *this;
}

LogLine& LogLine::operator<<(unsigned value) noexcept {
    Guarded([&] { AppendDecimal(message_, value); });
    return *this;
}

LogLine& LogLine::operator<<(long value) noexcept {
    Guarded([&] { AppendDecimal(message_, value); });
    return *this;
}

LogLine& LogLine::operator<<(unsigned long value) noexcept {
    Guarded([&] { AppendDecimal(message_, value); });
    return *this;
}

LogLine& LogLine::operator<<(long long value) noexcept {
    Guarded([&] { AppendDecimal(message_, value); });
    return *this;
}

LogLine& LogLine::operator<<(unsigned long long value) noexcept {
    Guarded([&] { AppendDecimal(message_, value); });
    return *this;
}

}  // namespace diag
