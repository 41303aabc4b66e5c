#include "support/TestDrive.h"

#include "platform/Platform.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace testsupport {

std::filesystem::path NativePath(std::wstring_view windowsPath) {
#if defined(_WIN32)
    return std::filesystem::path(std::wstring(windowsPath));
#else
    return std::filesystem::path(platform::ToNativePath(windowsPath));
#endif
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScopedTestDrive::ScopedTestDrive() {
#if !defined(_WIN32)
    std::string folder =
        (std::filesystem::temp_directory_path() / "zenithra-test-drive-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder for drive C:");
    }
    root_ = folder;
    platform::MapDrive(L'C', folder);
#endif
    RemoveLeftovers();
}

ScopedTestDrive::~ScopedTestDrive() {
    RemoveLeftovers();
#if !defined(_WIN32)
    platform::MapDrive(L'C', "/tmp/zenithra-drive-c");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
#endif
}

void ScopedTestDrive::RemoveLeftovers() const {
    std::error_code ignored;
    std::filesystem::remove_all(NativePath(ScratchFolder()), ignored);
    std::filesystem::remove(LogFilePath(), ignored);
    // Only an empty folder: anything else in a real C:\Temp is not the test's to delete.
    if (std::filesystem::is_directory(LogFolderPath(), ignored)) {
        std::filesystem::remove(LogFolderPath(), ignored);
    }
}

}  // namespace testsupport
