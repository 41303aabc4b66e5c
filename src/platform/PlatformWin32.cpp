#include "platform/Platform.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <vector>
#include <cwctype>
#include <filesystem>

namespace platform {
namespace {

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Length of the part of a path that cannot be created: "C:\", "\\server\share\" or "\".
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') {
        return path.size() >= 3 && IsPathSeparator(path[2]) ? 3 : 2;
    }
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        size_t end = path.find_first_of(L"\\/", 2);  // after the server
        if (end != std::wstring::npos) {
            end = path.find_first_of(L"\\/", end + 1);  // after the share
        }
        return end == std::wstring::npos ? path.size() : end + 1;
    }
    return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

}  // namespace

LocalTime GetLocalTimeNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTime result;
    result.year = now.wYear;
    result.month = now.wMonth;
    result.day = now.wDay;
    result.hour = now.wHour;
    result.minute = now.wMinute;
    result.second = now.wSecond;
    result.millisecond = now.wMilliseconds;
    return result;
}

uint32_t GetTickCount32() {
    return ::GetTickCount();
}

uint32_t CurrentThreadId() {
    return ::GetCurrentThreadId();
}

void SleepMilliseconds(uint32_t ms) {
    ::Sleep(ms);
}

bool ProcessWideFences() {
    return true;
}

void HeavyFence() {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    ::FlushProcessWriteBuffers();
}

std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > static_cast<size_t>(INT_MAX)) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring result(static_cast<size_t>(length), L'\0');
    const int written = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), length);
    if (written <= 0) {
        return {};
    }
    result.resize(static_cast<size_t>(written));
    return result;
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > static_cast<size_t>(INT_MAX)) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string result(static_cast<size_t>(length), '\0');
    const int written = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, result.data(), length,
                                              nullptr, nullptr);
    if (written <= 0) {
        return {};
    }
    result.resize(static_cast<size_t>(written));
    return result;
}

std::string ToNativePath(std::wstring_view windowsPath) {
    return WideToUtf8(windowsPath);
}

std::filesystem::path NativeFilePath(std::wstring_view windowsPath) {
    return std::filesystem::path(std::wstring(windowsPath));
}

std::wstring WindowsPathOf(const std::filesystem::path& nativePath) {
    std::wstring path = nativePath.wstring();
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

bool CreateDirectories(std::wstring_view windowsPath) {
    const std::wstring path(windowsPath);
    if (path.empty()) {
        return false;
    }
    // Level by level, so that a plain file at any level stops the walk.
    size_t end = RootLength(path);
    while (end < path.size()) {
        end = path.find_first_of(L"\\/", end + 1);
        const std::wstring level = path.substr(0, end);
        if (level.empty() || IsPathSeparator(level.back())) {
            continue;
        }
        if (!::CreateDirectoryW(level.c_str(), nullptr) &&
            !(::GetLastError() == ERROR_ALREADY_EXISTS && IsDirectory(level))) {
            return false;
        }
    }
    return IsDirectory(path);
}

bool ReadWholeFile(std::wstring_view windowsPath, std::string& bytes) {
    const std::wstring path(windowsPath);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes.clear();
    char buffer[4096];
    DWORD n = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, buffer, sizeof buffer, &n, nullptr) != 0) && n > 0) {
        bytes.append(buffer, n);
    }
    ::CloseHandle(file);
    return ok;
}

bool WriteWholeFile(std::wstring_view windowsPath, std::string_view bytes) {
    const std::wstring path(windowsPath);
    const std::wstring temporary = path + L".tmp";
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) != 0 &&
                     written == bytes.size());
    ::CloseHandle(file);
    if (!ok || !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool CreateFolder(std::wstring_view windowsPath) {
    return ::CreateDirectoryW(std::wstring(windowsPath).c_str(), nullptr) != 0;
}

std::wstring GetEnvironmentText(std::wstring_view name) {
    wchar_t buffer[32768];
    const DWORD n = ::GetEnvironmentVariableW(std::wstring(name).c_str(), buffer, 32768);
    return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

std::wstring GetTempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

ScreenRect WorkAreaNearWindow(void* window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = ::MonitorFromWindow(static_cast<HWND>(window), MONITOR_DEFAULTTONEAREST);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
        return ScreenRect{};
    }
    return ScreenRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

void* ForegroundWindow() {
    return ::GetForegroundWindow();
}

bool AppendToFile(std::wstring_view windowsPath, std::string_view bytes) {
    const std::wstring path(windowsPath);
    // FILE_APPEND_DATA alone makes every write land at the current end of the file, also
    // when other processes append at the same time.
    const HANDLE file =
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 30));
        DWORD done = 0;
        if (!::WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0) {
            ok = false;
            break;
        }
        written += done;
    }
    // WriteFile keeps no buffer in this process, so once it returns a crash of the process
    // loses nothing; forcing the data to disk would cost far more than the log is worth.
    if (!::CloseHandle(file)) {
        ok = false;
    }
    return ok;
}

wchar_t ToLowerUnit(wchar_t unit) {
    if (unit < 0x80) {
        return unit >= L'A' && unit <= L'Z' ? wchar_t(unit + (L'a' - L'A')) : unit;
    }
    // The invariant Unicode mapping: the C run-time's towlower maps only ASCII in the "C"
    // locale, and a plug-in must not change the process's locale.
    wchar_t in = wchar_t(unit), out = in;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &in, 1, &out, 1, nullptr, nullptr,
                      0) != 1) {
        return unit;
    }
    return wchar_t(out);
}

bool WeaklyCanonical(std::wstring_view windowsPath, std::wstring& out) {
    std::error_code ec;
    const std::filesystem::path canonical =
        std::filesystem::weakly_canonical(std::filesystem::path(std::wstring(windowsPath)), ec);
    if (ec) {
        return false;
    }
    out = WindowsPathOf(canonical);
    return !out.empty();
}

bool ShowOpenFileDialog(const OpenFileRequest& request, std::wstring& chosen) {
    std::vector<wchar_t> file(std::max<uint32_t>(request.bufferUnits, 1), L'\0');
    const size_t copied = std::min(request.initialFile.size(), file.size() - 1);
    std::copy_n(request.initialFile.begin(), copied, file.begin());
    std::wstring folder = request.initialFolder;
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(OPENFILENAMEW);
    ofn.hwndOwner = static_cast<HWND>(request.owner);
    ofn.lpstrFilter = request.filter.empty() ? nullptr : request.filter.c_str();
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = request.title.c_str();
    ofn.Flags = request.flags;
    if (!GetOpenFileNameW(&ofn)) {
        return false;
    }
    chosen.assign(file.data());
    return true;
}

static_assert(kBoxOk == MB_OK && kBoxYesNoCancel == MB_YESNOCANCEL &&
              kBoxIconQuestion == MB_ICONQUESTION && kBoxIconInformation == MB_ICONINFORMATION);
static_assert(kAnswerOk == IDOK && kAnswerCancel == IDCANCEL && kAnswerYes == IDYES &&
              kAnswerNo == IDNO);

int ShowMessageBox(void* owner, const std::wstring& text, const std::wstring& caption,
                   uint32_t style) {
    return ::MessageBoxW(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

}  // namespace platform
