#pragma once
// A C: drive of the test's own for code that writes to fixed Windows paths such as the
// diagnostic log.

#include "diag/DiagLog.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

/// The path of this machine's file system that a Windows path names.
std::filesystem::path NativePath(std::wstring_view windowsPath);

/// The whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

/// While it lives, C: starts without the log folder "C:\Temp" and without the scratch folder.
/// On POSIX, C: is mapped onto a fresh temporary folder that is removed afterwards. On Win64
/// (the real C: drive, Wine's under test) the log file and the scratch folder are removed before
/// and after, and so is "C:\Temp" when nothing else is left in it. Not to be nested.
class ScopedTestDrive {
public:
    ScopedTestDrive();
    ~ScopedTestDrive();
    ScopedTestDrive(const ScopedTestDrive&) = delete;
    ScopedTestDrive& operator=(const ScopedTestDrive&) = delete;

    /// A Windows path on C: that the test may fill freely; it does not exist yet.
    std::wstring ScratchFolder() const { return L"C:\\ZenithraTestScratch"; }

    std::filesystem::path LogFolderPath() const { return NativePath(diag::kLogFolder); }
    std::filesystem::path LogFilePath() const { return NativePath(diag::kLogFile); }
    std::string ReadLogBytes() const { return ReadFileBytes(LogFilePath()); }

private:
    void RemoveLeftovers() const;

#if !defined(_WIN32)
    std::filesystem::path root_;
#endif
};

}  // namespace testsupport
