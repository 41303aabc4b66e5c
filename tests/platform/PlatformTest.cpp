#include "platform/Platform.h"

#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;

TEST(PlatformText, ConvertsValidTextBothWays) {
    // clang-format off
    const std::pair<std::string, std::wstring> valid[] = {
        {"", L""}, {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"\x7F\xC2\x80\xDF\xBF", L"\x7F\u0080\u07FF"},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", L"\U00010000\U0010FFFF"}};
    // clang-format on
    for (const auto& [utf8, utf16] : valid) {
        EXPECT_EQ(platform::Utf8ToWide(utf8), utf16) << utf8;
        EXPECT_EQ(platform::WideToUtf8(utf16), utf8) << utf8;
    }
}

TEST(PlatformPaths, NativePaths) {
#if defined(_WIN32)
    EXPECT_EQ(platform::ToNativePath(L"C:\\Temp\\Привет.log"), "C:\\Temp\\Привет.log");
#else
    EXPECT_EQ(platform::ToNativePath(L"C:\\Temp\\x.log"), "/tmp/zenithra-drive-c/Temp/x.log");
    EXPECT_EQ(platform::ToNativePath(L"Z:\\"), "/");
    for (const wchar_t* unmapped : {L"Q:\\a", L"relative\\a", L"\\\\server\\share\\a"}) {
        EXPECT_EQ(platform::ToNativePath(unmapped), "");
    }
#endif
}

TEST(PlatformFiles, CreateDirectoriesAndAppendToFile) {
    testsupport::ScopedTestDrive drive;
    const std::wstring file = drive.ScratchFolder() + L"\\log.txt";
    EXPECT_FALSE(platform::AppendToFile(file, "x")) << "the folder is missing";
    const std::wstring deep = drive.ScratchFolder() + L"\\a\\b/c\\";
    EXPECT_TRUE(platform::CreateDirectories(deep));
    EXPECT_TRUE(fs::is_directory(testsupport::NativePath(deep)));
    EXPECT_TRUE(platform::CreateDirectories(deep)) << "an existing folder is no failure";
    EXPECT_FALSE(platform::AppendToFile(drive.ScratchFolder(), "x")) << "a folder is no file";

    const std::string first = "one\r\n", second("two\nthree\0\xFF", 12);
    EXPECT_TRUE(platform::AppendToFile(file, first));
    EXPECT_TRUE(platform::AppendToFile(file, second));
    EXPECT_EQ(testsupport::ReadFileBytes(testsupport::NativePath(file)), first + second);
    EXPECT_FALSE(platform::CreateDirectories(file)) << "a plain file is in the way";
    EXPECT_FALSE(platform::CreateDirectories(file + L"\\below"));
    EXPECT_TRUE(fs::is_regular_file(testsupport::NativePath(file)));
}

}  // namespace
