#pragma once
// The diagnostic log: one line per logging statement, appended to a fixed file with the local
// time, the writing thread, the statement's function and source location, and a message.
// Always on, safe from any thread, and it never reports a failure to its caller.

#include "platform/Platform.h"

#include <strbasic.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace diag {

/// The folder of the log and the log file, as Windows paths in both builds.
inline constexpr std::wstring_view kLogFolder = _M("C:\\Temp");
inline constexpr std::wstring_view kLogFile = _M("C:\\Temp\\ZENITHRA.log");

/// UTF-8 (NUL-terminated, may be null) to UTF-16. Null or empty gives the empty string; should
/// the conversion fail, each byte becomes one UTF-16 unit of the same value.
std::wstring Utf8ToWide(const char* utf8);

/// The line up to and including ")": "[Y-MM-DD hh:mm:ss.ms] [Tthread] function (file:line)",
/// with the local time and the calling thread read once, now.
std::wstring FormatLogPrefix(const char* file, int32_t line, const char* function);

/// The same for a given time and thread id.
std::wstring FormatLogPrefix(const char* file, int32_t line, const char* function,
                             const platform::LocalTime& time, uint32_t threadId);

/// Appends the line and CR LF, in UTF-8, to the log file, creating its folder when missing.
/// Serialised with every other append of the process; any failure loses the line silently.
void AppendLogLine(std::wstring_view text) noexcept;

/// Formats and appends one line; " | " and the message follow the prefix when the message is
/// not empty.
void LogWrite(const char* file, int32_t line, const char* function,
              std::wstring_view message) noexcept;

/// The record one logging statement builds. It collects the message through insertions of
/// UTF-16 text and decimal integers and writes itself when destroyed: at the end of the
/// statement, or when an exception leaves the statement, with the part composed so far.
class LogLine {
public:
    LogLine(const char* file, int32_t line, const char* function) noexcept
        : file_(file), line_(line), function_(function) {}
    ~LogLine() { LogWrite(file_, line_, function_, message_); }

    LogLine(const LogLine&) = delete;
    LogLine& operator=(const LogLine&) = delete;

    LogLine& operator<<(const wchar_t* text) noexcept;  ///< null adds nothing
    LogLine& operator<<(std::wstring_view text) noexcept;
    LogLine& operator<<(wchar_t unit) noexcept;
    LogLine& operator<<(int value) noexcept;
    LogLine& operator<<(unsigned value) noexcept;
    LogLine& operator<<(long value) noexcept;
    LogLine& operator<<(unsigned long value) noexcept;
    LogLine& operator<<(long long value) noexcept;
    LogLine& operator<<(unsigned long long value) noexcept;

private:
    const char* file_;
    int32_t line_;
    const char* function_;
    std::wstring message_;
};

}  // namespace diag

/// One logging statement: ZENITHRA_LOG("ZenithraProxy::Clone") << _M("slot=") << slotIndex;
/// The file field is __FILE__ as the build records it (project-relative in this build).
#define ZENITHRA_LOG(function) ::diag::LogLine(__FILE__, __LINE__, (function))
