#include "platform/Platform.h"

#include <fcntl.h>
#include <linux/membarrier.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <clocale>
#include <cwctype>
#include <filesystem>
#include <locale.h>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace platform {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// Drive letters A..Z and the folders they name; guarded because tests remap C: while other
// code may be resolving paths.
struct DriveTable {
    std::mutex mutex;
    std::array<std::string, 26> folders;

    DriveTable() {
        folders['C' - 'A'] = "/tmp/zenithra-drive-c";
        folders['Z' - 'A'] = "/";
    }
};

DriveTable& Drives() {
    static DriveTable table;
    return table;
}

int DriveIndex(wchar_t letter) {
    if (letter >= L'a' && letter <= L'z') {
        return letter - L'a';
    }
    if (letter >= L'A' && letter <= L'Z') {
        return letter - L'A';
    }
    return -1;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

LocalTime GetLocalTimeNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    ::localtime_r(&now.tv_sec, &parts);
    LocalTime result;
    result.year = parts.tm_year + 1900;
    result.month = parts.tm_mon + 1;
    result.day = parts.tm_mday;
    result.hour = parts.tm_hour;
    result.minute = parts.tm_min;
    // A leap second (tm_sec 60) does not exist in the Windows fields.
    result.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
    result.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return result;
}

uint32_t GetTickCount32() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u);
}

uint32_t CurrentThreadId() {
    return static_cast<uint32_t>(::syscall(SYS_gettid));
}

void SleepMilliseconds(uint32_t ms) {
    timespec remaining{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

bool ProcessWideFences() {
#if defined(__SANITIZE_THREAD__)
    return false;
#else
    static const bool registered =
        ::syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
    return registered;
#endif
}

void HeavyFence() {
#if defined(__SANITIZE_THREAD__)
    static std::atomic<int> word{0};
    word.fetch_add(0, std::memory_order_seq_cst);
#else
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (ProcessWideFences()) {
        ::syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0);
    }
#endif
}

// Decodes as MultiByteToWideChar does with no flags (as observed under Wine), so that both builds
// turn the same bytes into the same text. Each of these becomes one U+FFFD:
// - a byte that cannot start a sequence (80..C1, F5..FF);
// - a sequence with fewer bytes left in the input than its lead byte announces, together with
//   all the bytes that are left;
// - a lead byte with the continuation bytes that follow it, up to the first byte that does not
//   continue it;
// - a lead byte and its second byte when these already mean an overlong form, a surrogate or a
//   value above U+10FFFF.
std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        if (utf8.size() - i < length) {
            out += kReplacement;
            break;
        }
        char32_t codePoint = lead & (0x7F >> length);
        size_t consumed = 1;
        bool valid = true;
        while (consumed < length) {
            const auto byte = static_cast<unsigned char>(utf8[i + consumed]);
            if (!IsContinuation(byte)) {
                valid = false;
                break;
            }
            codePoint = (codePoint << 6) | (byte & 0x3F);
            ++consumed;
            // After two bytes the value's top bits are known.
            if (consumed == 2 && ((length == 3 && (codePoint < 0x20 ||
                                                   (codePoint >= 0x360 && codePoint <= 0x37F))) ||
                                  (length == 4 && (codePoint < 0x10 || codePoint > 0x10F)))) {
                valid = false;
                break;
            }
        }
        i += consumed;
        // Wide characters are whole code points here.
        out += valid ? static_cast<wchar_t>(codePoint) : kReplacement;
    }
    return out;
}

// As WideCharToMultiByte with no flags: a surrogate without its partner becomes U+FFFD. Wide
// characters are code points here; a surrogate pair that reached one is joined.
std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        const auto unit = static_cast<char32_t>(wide[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (char32_t(wide[i + 1]) - 0xDC00));
            ++i;
        } else if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0x10FFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::string ToNativePath(std::wstring_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != L':') {
        return {};
    }
    const int drive = DriveIndex(windowsPath[0]);
    if (drive < 0) {
        return {};
    }
    std::string folder;
    {
        DriveTable& table = Drives();
        std::lock_guard<std::mutex> lock(table.mutex);
        folder = table.folders[drive];
    }
    if (folder.empty()) {
        return {};
    }
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    std::string rest = WideToUtf8(windowsPath.substr(2));
    for (char& c : rest) {
        if (c == '\\') {
            c = '/';
        }
    }
    // "C:name" is taken as "C:\name": there is no current folder per drive here.
    if (!rest.empty() && rest.front() != '/') {
        rest.insert(rest.begin(), '/');
    }
    std::string native = folder + rest;
    return native.empty() ? std::string("/") : native;
}

std::filesystem::path NativeFilePath(std::wstring_view windowsPath) {
    return std::filesystem::path(ToNativePath(windowsPath));
}

std::wstring WindowsPathOf(const std::filesystem::path& nativePath) {
    std::wstring path = L"Z:" + Utf8ToWide(nativePath.generic_string());
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

bool CreateDirectories(std::wstring_view windowsPath) {
    const std::string native = ToNativePath(windowsPath);
    if (native.empty()) {
        return false;
    }
    // Level by level from the root, so that a plain file at any level stops the walk.
    size_t end = 0;
    while (end != std::string::npos) {
        end = native.find('/', end + 1);
        const std::string level = native.substr(0, end);
        if (level.empty() || level.back() == '/') {
            continue;
        }
        if (::mkdir(level.c_str(), 0777) != 0 && !(errno == EEXIST && IsDirectory(level))) {
            return false;
        }
    }
    return IsDirectory(native);
}

bool ReadWholeFile(std::wstring_view windowsPath, std::string& bytes) {
    const std::string native = ToNativePath(windowsPath);
    const int fd = native.empty() ? -1 : ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bytes.clear();
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return n == 0;
}

bool WriteWholeFile(std::wstring_view windowsPath, std::string_view bytes) {
    const std::string native = ToNativePath(windowsPath);
    if (native.empty()) {
        return false;
    }
    const std::string temporary = native + ".tmp" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += size_t(n);
    }
    const bool written = ::close(fd) == 0 && done == bytes.size();
    if (!written || ::rename(temporary.c_str(), native.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool CreateFolder(std::wstring_view windowsPath) {
    const std::string native = ToNativePath(windowsPath);
    return !native.empty() && ::mkdir(native.c_str(), 0777) == 0;
}

std::wstring GetEnvironmentText(std::wstring_view name) {
    const char* value = std::getenv(WideToUtf8(name).c_str());
    return value ? Utf8ToWide(value) : std::wstring();
}

std::wstring GetTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp == '/' ? tmp : "/tmp";
    std::wstring path = WindowsPathOf(folder);
    if (path.back() != L'\\') {
        path += L'\\';
    }
    return path;
}

namespace {
// Without a window system there is one screen; its task bar takes 40 pixels at the bottom.
std::mutex screenWorkAreaMutex;
ScreenRect screenWorkArea{0, 0, 1920, 1040};
}  // namespace

ScreenRect WorkAreaNearWindow(void*) {
    std::lock_guard<std::mutex> lock(screenWorkAreaMutex);
    return screenWorkArea;
}

void SetScreenWorkArea(const ScreenRect& workArea) {
    std::lock_guard<std::mutex> lock(screenWorkAreaMutex);
    screenWorkArea = workArea;
}

void* ForegroundWindow() {
    return nullptr;
}

bool AppendToFile(std::wstring_view windowsPath, std::string_view bytes) {
    const std::string native = ToNativePath(windowsPath);
    if (native.empty()) {
        return false;
    }
    const int fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        written += static_cast<size_t>(n);
    }
    // write(2) keeps no buffer in this process, so once it returns a crash loses nothing and
    // there is nothing left to flush; close reports late errors of some file systems.
    if (::close(fd) != 0) {
        ok = false;
    }
    return ok;
}

void MapDrive(wchar_t driveLetter, const std::string& folder) {
    const int drive = DriveIndex(driveLetter);
    if (drive < 0) {
        return;
    }
    DriveTable& table = Drives();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.folders[drive] = folder;
}

wchar_t ToLowerUnit(wchar_t unit) {
    // The UTF-8 C locale maps the whole of Unicode, as the Win32 wide-character mapping does.
    if (unit < 0x80) {
        return unit >= L'A' && unit <= L'Z' ? wchar_t(unit + (L'a' - L'A')) : unit;
    }
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if ((unit >= 0xD800 && unit <= 0xDFFF) || unit > 0xFFFF) {
        return unit;  // as on Win32, where such a character is a surrogate pair of two halves
    }
    wint_t lower = utf8 ? towlower_l(wint_t(unit), utf8) : towlower(wint_t(unit));
    return lower <= 0xFFFF ? wchar_t(lower) : unit;
}

bool WeaklyCanonical(std::wstring_view windowsPath, std::wstring& out) {
    const std::string native = ToNativePath(windowsPath);
    if (native.empty()) {
        return false;
    }
    std::error_code ec;
    const std::string canonical = std::filesystem::weakly_canonical(native, ec).string();
    if (ec || canonical.empty() || canonical.front() != '/') {
        return false;
    }
    // Back to a Windows path through the drive whose folder is the longest prefix.
    int bestDrive = -1;
    size_t bestLength = 0;
    {
        DriveTable& table = Drives();
        std::lock_guard<std::mutex> lock(table.mutex);
        for (int d = 0; d < 26; ++d) {
            std::string folder = table.folders[size_t(d)];
            while (folder.size() > 1 && folder.back() == '/') {
                folder.pop_back();
            }
            if (folder.empty()) {
                continue;
            }
            const bool isPrefix =
                folder == "/" ||
                (canonical.compare(0, folder.size(), folder) == 0 &&
                 (canonical.size() == folder.size() || canonical[folder.size()] == '/'));
            const size_t length = folder == "/" ? 0 : folder.size();
            if (isPrefix && (bestDrive < 0 || length > bestLength)) {
                bestDrive = d;
                bestLength = length;
            }
        }
    }
    if (bestDrive < 0) {
        return false;
    }
    std::string rest = canonical.substr(bestLength);
    std::wstring result;
    result.push_back(wchar_t(L'A' + bestDrive));
    result += L":";
    for (wchar_t c : Utf8ToWide(rest)) {
        result.push_back(c == L'/' ? L'\\' : c);
    }
    if (result.size() == 2) {
        result += L"\\";
    }
    out = result;
    return true;
}

namespace {
std::atomic<bool (*)(const OpenFileRequest&, std::wstring&)> openFileChooser{nullptr};
}  // namespace

bool ShowOpenFileDialog(const OpenFileRequest& request, std::wstring& chosen) {
    auto chooser = openFileChooser.load();
    return chooser && chooser(request, chosen);
}

void SetOpenFileChooser(bool (*chooser)(const OpenFileRequest&, std::wstring&)) {
    openFileChooser.store(chooser);
}

namespace {
std::atomic<int (*)(const std::wstring&, const std::wstring&, uint32_t)> messageBoxAnswerer{
    nullptr};
}  // namespace

int ShowMessageBox(void*, const std::wstring& text, const std::wstring& caption, uint32_t style) {
    if (auto answerer = messageBoxAnswerer.load()) {
        return answerer(text, caption, style);
    }
    return (style & 0xF) == kBoxOk ? kAnswerOk : kAnswerCancel;
}

void SetMessageBoxAnswerer(int (*answerer)(const std::wstring&, const std::wstring&, uint32_t)) {
    messageBoxAnswerer.store(answerer);
}

}  // namespace platform
