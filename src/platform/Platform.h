#pragma once
// The few operating-system services the plug-in needs, with a Win32 and a POSIX implementation.
// Texts are wide strings: UTF-16 on Win64, one code point per wchar_t on POSIX. Paths are Windows
// paths (drive letters, '\') in both builds; on POSIX, drive letters
// map onto folders of this machine (see MapDrive).

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// Local wall-clock time, as the Win32 SYSTEMTIME fields.
struct LocalTime {
    int year = 0;
    int month = 0;   ///< 1..12
    int day = 0;     ///< 1..31
    int hour = 0;    ///< 0..23
    int minute = 0;  ///< 0..59
    int second = 0;  ///< 0..59
    int millisecond = 0;
};

LocalTime GetLocalTimeNow();

/// Milliseconds since the system started, wrapping at 32 bits (the Win32 tick count).
uint32_t GetTickCount32();

/// Operating-system id of the calling thread.
uint32_t CurrentThreadId();

void SleepMilliseconds(uint32_t ms);

/// A pair of fences for a store-then-load handshake between threads that announce often (render
/// threads entering a map) and a thread that scans the announcements rarely (one freeing what
/// they read): the announcer calls LightFence between its store and its next load, the scanner
/// HeavyFence between its store and its scan. Either the scan sees the announcement or the
/// announcer's load sees the scanner's store. Where the system can make every running thread of
/// the process pass a full fence at the scanner's request, LightFence is a compiler barrier.
void HeavyFence();
bool ProcessWideFences();  // decided once, on the first call
#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer models no fences; a read-modify-write of one shared word on both sides
// orders them as the fences do.
inline void LightFence() {
    HeavyFence();
}
#else
inline void LightFence() {
    static const bool processWide = ProcessWideFences();
    if (processWide) {
        std::atomic_signal_fence(std::memory_order_seq_cst);
    } else {
        std::atomic_thread_fence(std::memory_order_seq_cst);
    }
}
#endif

/// UTF-8 to a wide string and back. Invalid input never throws; invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

/// A wide string as the little-endian UTF-16 bytes that files hold, the same in both builds:
/// characters outside the Basic Multilingual Plane become surrogate pairs.
std::string WideToUtf16Bytes(std::wstring_view wide);
/// Little-endian UTF-16 bytes as a wide string (an odd last byte is ignored). On POSIX a
/// surrogate pair becomes one character; a lone surrogate stays as it is, so that any units
/// read come back as the same bytes.
std::wstring Utf16BytesToWide(std::string_view bytes);

/// '\' or '/': Windows paths accept both.
inline bool IsPathSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

/// The path of this machine's file system that a Windows path names. On Win64 this is the path
/// itself; on POSIX, "X:\a\b" becomes "<folder mapped to X>/a/b". Empty when the drive is unmapped.
std::string ToNativePath(std::wstring_view windowsPath);

/// The file a Windows path names, as a std::filesystem path: the Windows path itself on Win64 (no
/// detour through UTF-8), ToNativePath's on POSIX. Empty when the drive is unmapped.
std::filesystem::path NativeFilePath(std::wstring_view windowsPath);

/// The Windows path of an absolute path of this machine's file system: the path itself with '\'
/// separators on Win64; on POSIX, the path on drive Z: (which names "/", as under Wine).
std::wstring WindowsPathOf(const std::filesystem::path& nativePath);

/// Creates every missing folder of a Windows path. False when a level cannot be made (for
/// instance when a plain file stands in the way).
bool CreateDirectories(std::wstring_view windowsPath);

/// Opens the file for appending (no newline translation, shared for reading and writing),
/// writes the bytes, flushes and closes. False on any failure.
bool AppendToFile(std::wstring_view windowsPath, std::string_view bytes);

/// The whole content of a file; false when it cannot be read.
bool ReadWholeFile(std::wstring_view windowsPath, std::string& bytes);
/// Replaces a file's content: written beside it under a temporary name, then moved over it, so
/// that a failure never leaves half a file. False on any failure.
bool WriteWholeFile(std::wstring_view windowsPath, std::string_view bytes);

/// Creates one folder whose parent exists. False when it was not made (also when it exists).
bool CreateFolder(std::wstring_view windowsPath);

/// An environment variable's value; empty when it is missing or empty.
std::wstring GetEnvironmentText(std::wstring_view name);

/// The folder for temporary files, ending in '\' (POSIX: TMPDIR or /tmp, named through the
/// drive that maps onto "/").
std::wstring GetTempFolder();

/// A screen rectangle in pixels; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

/// The work area (the screen minus task bars) of the monitor nearest to a window; for a null
/// window, of the monitor the platform picks for no window. POSIX: the one screen's, 1920 x 1040
/// at (0, 0) unless SetScreenWorkArea says otherwise.
ScreenRect WorkAreaNearWindow(void* window);

/// The window the user works in (HWND); null when there is none.
void* ForegroundWindow();

/// Lower-cases one UTF-16 unit with the platform's Unicode mapping, the same in both builds:
/// towlower of the UTF-8 C locale on POSIX, the invariant locale's mapping on Win32.
wchar_t ToLowerUnit(wchar_t unit);

/// A text lower-cased unit by unit with ToLowerUnit.
inline std::wstring ToLower(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) {
        c = ToLowerUnit(c);
    }
    return out;
}

/// The weakly canonical form of a Windows path: the longest existing leading part resolved to
/// its canonical absolute form (links followed), the rest appended in lexically normal form,
/// with '\' separators. False on any error (the caller then falls back to a lexical form).
bool WeaklyCanonical(std::wstring_view windowsPath, std::wstring& out);

/// The names of the regular files in a folder (links followed; folders, links to folders and
/// other entries left out), in listing order. A failure ends the listing and keeps what was
/// read; false when the folder could not be opened at all.
bool ListRegularFiles(std::wstring_view windowsFolder, std::vector<std::wstring>& names);

/// What the system's open-file dialog is asked to show.
struct OpenFileRequest {
    void* owner = nullptr;       ///< owner window (HWND)
    std::wstring filter;         ///< pairs of description and pattern, NUL-separated
    std::wstring initialFile;    ///< pre-filled file name (may be empty)
    std::wstring initialFolder;  ///< starting folder (empty: the system's choice)
    std::wstring title;
    uint32_t flags = 0;           ///< OFN_* flags
    uint32_t bufferUnits = 4096;  ///< size of the file-name buffer, terminator included
};

/// Shows the open-file dialog; true with the chosen path, false when the user cancelled.
bool ShowOpenFileDialog(const OpenFileRequest& request, std::wstring& chosen);

#if !defined(_WIN32)
/// POSIX only: the chooser ShowOpenFileDialog asks (none by default: every request is
/// cancelled). Tests answer the dialog through it.
void SetOpenFileChooser(bool (*chooser)(const OpenFileRequest&, std::wstring&));
#endif

/// Message-box buttons and icons (MB_* values) and the answers (ID* values), as Win32 has them.
enum MessageBoxStyle : uint32_t {
    kBoxOk = 0x0,
    kBoxYesNoCancel = 0x3,
    kBoxYesNo = 0x4,
    kBoxIconQuestion = 0x20,
    kBoxIconExclamation = 0x30,
    kBoxIconInformation = 0x40,
    kBoxDefaultSecond = 0x100,
};
enum MessageBoxAnswer : int { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

/// Shows a modal message box (owner HWND, MB_* style) and returns the id of the button pressed.
int ShowMessageBox(void* owner, const std::wstring& text, const std::wstring& caption,
                   uint32_t style);

#if !defined(_WIN32)
/// POSIX only: the answerer ShowMessageBox asks (none by default: every box is dismissed, which
/// answers kAnswerCancel, or kAnswerOk for a box with only OK). Tests answer boxes through it.
void SetMessageBoxAnswerer(int (*answerer)(const std::wstring& text, const std::wstring& caption,
                                           uint32_t style));
#endif

#if !defined(_WIN32)
/// POSIX only: the work area WorkAreaNearWindow gives for every window. Tests set their own.
void SetScreenWorkArea(const ScreenRect& workArea);
#endif

#if !defined(_WIN32)
/// POSIX only: makes drive letter X: name the given folder. By default C: is
/// "/tmp/zenithra-drive-c" and Z: is "/", as under Wine. Tests map C: onto a temporary folder.
void MapDrive(wchar_t driveLetter, const std::string& folder);
#endif

}  // namespace platform
