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
void AppendDecimal(std::wstring& out, Integer value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    for (const char* c = digits; c != result.ptr; ++c) {
        out += static_cast<wchar_t>(*c);
    }
}

void AppendTwoDigits(std::wstring& out, int value) {
    if (value >= 0 && value < 10) {
        out += _M('0');
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

std::wstring Utf8ToWide(const char* utf8) {
    if (utf8 == nullptr) {
        return {};
    }
    const std::string_view bytes(utf8, std::strlen(utf8));
    std::wstring wide = platform::Utf8ToWide(bytes);
    if (wide.empty()) {
        // The conversion failed (or there was nothing to convert): keep the bytes as they are.
        for (const char byte : bytes) {
            wide += static_cast<wchar_t>(static_cast<unsigned char>(byte));
        }
    }
    return wide;
}

std::wstring FormatLogPrefix(const char* file, int32_t line, const char* function) {
    return FormatLogPrefix(file, line, function, platform::GetLocalTimeNow(),
                           platform::CurrentThreadId());
}

std::wstring FormatLogPrefix(const char* file, int32_t line, const char* function,
                             const platform::LocalTime& time, uint32_t threadId) {
    std::wstring prefix = _M("[");
    AppendDecimal(prefix, time.year);
    prefix += _M('-');
    AppendTwoDigits(prefix, time.month);
    prefix += _M('-');
    AppendTwoDigits(prefix, time.day);
    prefix += _M(' ');
    AppendTwoDigits(prefix, time.hour);
    prefix += _M(':');
    AppendTwoDigits(prefix, time.minute);
    prefix += _M(':');
    AppendTwoDigits(prefix, time.second);
    prefix += _M('.');
    AppendDecimal(prefix, time.millisecond);
    prefix += _M("] [T");
    AppendDecimal(prefix, threadId);
    prefix += _M("] ");
    prefix += Utf8ToWide(function);
    prefix += _M(" (");
    prefix += Utf8ToWide(file);
    prefix += _M(':');
    AppendDecimal(prefix, line);
    prefix += _M(')');
    return prefix;
}

void AppendLogLine(std::wstring_view text) noexcept {
    try {
        // Held over the whole append, so that lines of different threads never mix.
        std::lock_guard<std::mutex> lock(logMutex);
        if (!platform::CreateDirectories(kLogFolder)) {
            return;
        }
        std::wstring withLineEnd(text);
        withLineEnd += _M("\r\n");
        platform::AppendToFile(kLogFile, platform::WideToUtf8(withLineEnd));
    } catch (...) {
        // Logging never disturbs its caller.
    }
}

void LogWrite(const char* file, int32_t line, const char* function,
              std::wstring_view message) noexcept {
    try {
        // Formatted before the lock is taken, to keep the time under the process-wide lock short.
        std::wstring text = FormatLogPrefix(file, line, function);
        if (!message.empty()) {
            text += _M(" | ");
            text += message;
        }
        AppendLogLine(text);
    } catch (...) {
    }
}

LogLine& LogLine::operator<<(const wchar_t* text) noexcept {
    if (text != nullptr) {
        Guarded([&] { message_ += text; });
    }
    return *this;
}

LogLine& LogLine::operator<<(std::wstring_view text) noexcept {
    Guarded([&] { message_ += text; });
    return *this;
}

LogLine& LogLine::operator<<(wchar_t unit) noexcept {
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
