// The settings file: its place, its defaults and clamps, and writes that keep what other
// programs put in the file.

#include "history/Settings.h"
#include "platform/Platform.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using testsupport::NativePath;

/// Sets (or, with nullopt, removes) an environment variable while it lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::wstring> value)
        : name(name), saved(platform::GetEnvironmentText(platform::Utf8ToWide(name))) {
        Set(value);
    }
    ~ScopedEnvironment() { Set(saved.empty() ? std::nullopt : std::optional(saved)); }

private:
    void Set(const std::optional<std::wstring>& value) {
#if defined(_WIN32)
        const std::wstring wname = platform::Utf8ToWide(name);
        ::SetEnvironmentVariableW(wname.c_str(), value ? value->c_str() : nullptr);
#else
        value ? ::setenv(name, platform::WideToUtf8(*value).c_str(), 1) : ::unsetenv(name);
#endif
    }
    const char* name;
    std::wstring saved;
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { UseFreshAppDataFolder(); }

    /// The system's INI functions keep files by name and modification time, which two quick
    /// writes may leave unchanged: each file content the test writes gets a folder of its own.
    void UseFreshAppDataFolder() {
        const std::wstring folder =
            drive.ScratchFolder() + L"\\appdata" + platform::Utf8ToWide(std::to_string(++folders));
        ASSERT_TRUE(platform::CreateDirectories(folder));
        appData.reset();
        appData.emplace("LOCALAPPDATA", folder);
    }
    void WriteFile(const std::string& text) {
        UseFreshAppDataFolder();
        std::ofstream(NativePath(GetSettingsFilePath().data()), std::ios::binary) << text;
    }
    std::string ReadFile() {
        return testsupport::ReadFileBytes(NativePath(GetSettingsFilePath().data()));
    }

    testsupport::ScopedTestDrive drive;
    int folders = 0;
    std::optional<ScopedEnvironment> appData;
};

TEST_F(SettingsTest, FileLiesInTheLocalAppDataFolderOrTheTemporaryFolder) {
    const std::wstring appDataFolder = platform::GetEnvironmentText(L"LOCALAPPDATA");
    EXPECT_EQ(std::wstring(GetSettingsFilePath().data()),
              appDataFolder + L"\\Zenithra\\Zenithra.ini");
    EXPECT_TRUE(std::filesystem::is_directory(NativePath(appDataFolder + L"\\Zenithra")));

    // The temporary folder moved into the scratch folder, so that nothing is left behind.
    const std::wstring tempFolder = drive.ScratchFolder() + L"\\temp";
    ASSERT_TRUE(platform::CreateDirectories(tempFolder));
#if defined(_WIN32)
    ScopedEnvironment tmp("TMP", tempFolder), temp("TEMP", tempFolder);
#else
    ScopedEnvironment tmp("TMPDIR", NativePath(tempFolder).wstring());
#endif
    ScopedEnvironment none("LOCALAPPDATA", std::nullopt);
    const std::wstring reported = platform::GetTempFolder();
    ASSERT_FALSE(reported.empty());
#if defined(_WIN32)
    EXPECT_EQ(reported, tempFolder + L"\\");
#else
    EXPECT_EQ(reported.back(), L'\\');  // named through Z:, the drive of "/"
    EXPECT_TRUE(std::filesystem::equivalent(NativePath(reported), NativePath(tempFolder)))
        << platform::WideToUtf8(reported);
#endif
    EXPECT_EQ(std::wstring(GetSettingsFilePath().data()), reported + L"Zenithra\\Zenithra.ini");
    EXPECT_TRUE(std::filesystem::is_directory(NativePath(tempFolder + L"\\Zenithra")));
}

TEST_F(SettingsTest, PreviewSizeDefaultsAndClamps) {
    const platform::ScreenRect area{0, 0, 1920, 1040};
    auto size = [&] {
        PreviewSize s = ReadPreviewSize(area);
        return std::make_pair(s.width, s.height);
    };
    EXPECT_EQ(size(), std::make_pair(640, 346));  // no file
    WriteFile("[History]\r\nPreviewWidth=0\r\nPreviewHeight=-5\r\n");
    EXPECT_EQ(size(), std::make_pair(640, 346));
    WriteFile("[History]\r\nPreviewWidth=50\r\nPreviewHeight=30\r\n");
    EXPECT_EQ(size(), std::make_pair(80, 60));
    WriteFile("[History]\r\nPreviewWidth=700px\r\nPreviewHeight=wide\r\n");
    EXPECT_EQ(size(), std::make_pair(700, 346));  // non-numeric reads as 0: the default
}

TEST_F(SettingsTest, HistoryWindowPlacementDefaultsAndWritesThatKeepOtherContent) {
    using Placement = std::array<int, 4>;
    auto read = [](const platform::ScreenRect& area) {
        const WindowPlacement p = ReadHistoryWindowPlacement(area);
        return Placement{p.x, p.y, p.width, p.height};
    };
    const platform::ScreenRect area{0, 0, 2560, 1400};
    EXPECT_EQ(read(area), (Placement{1280, 0, 1280, 1400}));
    // The work area's own left and top count.
    EXPECT_EQ(read(platform::ScreenRect{100, 50, 1100, 850}), (Placement{600, 50, 500, 800}));
    WriteHistoryWindowPlacement(platform::ScreenRect{100, 200, 900, 800});  // creates the file
    EXPECT_EQ(ReadFile(), "[HistoryWindow]\r\nX=100\r\nY=200\r\nW=800\r\nH=600\r\n");

    WriteFile(
        "; written by hand\r\n[History]\r\nPreviewWidth=300\r\n\r\n[HistoryWindow]\r\n"
        "Docked=1\r\nX=5\r\n; placement\r\n\r\n[Zebra]\r\nStripes=12\r\n");
    WriteHistoryWindowPlacement(platform::ScreenRect{100, 200, 900, 800});
    EXPECT_EQ(read(area), (Placement{100, 200, 800, 600}));
    std::string expected =
        "; written by hand\r\n[History]\r\nPreviewWidth=300\r\n\r\n[HistoryWindow]\r\n"
        "Docked=1\r\nX=100\r\n; placement\r\nY=200\r\nW=800\r\nH=600\r\n\r\n[Zebra]\r\n"
        "Stripes=12\r\n";
#if defined(_WIN32)
    // The system's function writes the whole file anew, without its blank lines.
    for (size_t at; (at = expected.find("\r\n\r\n")) != std::string::npos;) {
        expected.erase(at, 2);
    }
#endif
    EXPECT_EQ(ReadFile(), expected);

    // Negative values are written and read back as they are.
    WriteHistoryWindowValue(L"X", -1700);
    EXPECT_EQ(read(area)[0], -1700);
}

}  // namespace
