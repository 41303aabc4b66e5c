// A file named on the command line as the process sees it. Under Wine a program started from a
// POSIX shell is handed POSIX paths ("/data/hdr/sky.hdr"); the full-path service maps them onto
// the drive that shows that folder ("Z:\data\hdr\sky.hdr").

#include "HostWindows.h"

#include <windows.h>

namespace standalone::win {

std::wstring CommandLinePath(const std::wstring& argument) {
    // Absolute, with '\' alone as the separator and "." and ".." resolved.
    DWORD n = argument.empty() ? 0 : GetFullPathNameW(argument.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    if (n == 0 || (n = GetFullPathNameW(argument.c_str(), n, full.data(), nullptr)) == 0 ||
        n >= full.size()) {
        return argument;
    }
    full.resize(n);
    return full;
}

}  // namespace standalone::win
