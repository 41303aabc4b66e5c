// The settings file: its place, its defaults and clamps, and writes that keep what other
// programs put in the file.

#include "history/Settings.h"
#include "host/ProfileIni.h"
#include "platform/Platform.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using testsupport::NativePath;

/// Sets (or, with nullopt, removes) an environment variable while it lives.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::u16string> value) : name(name) {
        std::u16string old = platform::GetEnvironmentText(platform::Utf8ToUtf16(name));
        if (!old.empty()) {
            saved = old;
        }
        Set(value);
    }
    ~ScopedEnvironment() { Set(saved); }

private:
    void Set(const std::optional<std::u16string>& value) {
#if defined(_WIN32)
        std::u16string wname = platform::Utf8ToUtf16(name);
        ::SetEnvironmentVariableW(
            reinterpret_cast<const wchar_t*>(wname.c_str()),
            value ? reinterpret_cast<const wchar_t*>(value->c_str()) : nullptr);
#else
        if (value) {
            ::setenv(name, platform::Utf16ToUtf8(*value).c_str(), 1);
        } else {
            ::unsetenv(name);
        }
#endif
    }
    const char* name;
    std::optional<std::u16string> saved;
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder()));
        appData.emplace("LOCALAPPDATA", drive.ScratchFolder());
    }
    void WriteFile(const std::string& text) {
        ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder() + u"\\Zenithra"));
        std::ofstream(NativePath(GetSettingsFilePath()), std::ios::binary) << text;
    }
    std::string ReadFile() { return testsupport::ReadFileBytes(NativePath(GetSettingsFilePath())); }

    testsupport::ScopedTestDrive drive;
    std::optional<ScopedEnvironment> appData;
};

TEST_F(SettingsTest, FileLiesInTheLocalAppDataFolderOrTheTemporaryFolder) {
    EXPECT_EQ(GetSettingsFilePath(), drive.ScratchFolder() + u"\\Zenithra\\Zenithra.ini");
    EXPECT_TRUE(std::filesystem::is_directory(NativePath(drive.ScratchFolder() + u"\\Zenithra")));

    ScopedEnvironment none("LOCALAPPDATA", std::nullopt);
    std::u16string temp = platform::GetTempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), u'\\');
    EXPECT_EQ(GetSettingsFilePath(), temp + u"Zenithra\\Zenithra.ini");
    EXPECT_TRUE(std::filesystem::is_directory(NativePath(temp + u"Zenithra")));
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
    WriteFile("[history]\r\n  previewwidth = 700px\r\nPreviewHeight=wide\r\n");
    EXPECT_EQ(size(), std::make_pair(700, 346));  // digits up to the first other character
    WriteFile("[History]\r\nPreviewWidth=\r\n[Other]\r\nPreviewHeight=500\r\n");
    EXPECT_EQ(size(), std::make_pair(640, 346));  // an empty value or another section: default
}

TEST_F(SettingsTest, HistoryWindowPlacementRoundTripKeepsOtherContent) {
    const platform::ScreenRect area{0, 0, 2560, 1400};
    WindowPlacement p = ReadHistoryWindowPlacement(area);
    EXPECT_EQ(p.x, 1280);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 1400);
    p = ReadHistoryWindowPlacement(platform::ScreenRect{100, 50, 1100, 850});
    EXPECT_EQ(p.x, 600);  // the work area's own left and top count
    EXPECT_EQ(p.y, 50);

    WriteFile(
        "; written by hand\r\n[History]\r\nPreviewWidth=300\r\n\r\n[HistoryWindow]\r\n"
        "Docked=1\r\nX=5\r\n\r\n[Zebra]\r\nStripes=12\r\n");
    WriteHistoryWindowPlacement(platform::ScreenRect{100, 200, 900, 800});
    p = ReadHistoryWindowPlacement(area);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 200);
    EXPECT_EQ(p.width, 800);
    EXPECT_EQ(p.height, 600);
    std::u16string file = GetSettingsFilePath();
    auto read = [&](const char16_t* section, const char16_t* key) {
        return int32_t(MaxSDK::Util::GetPrivateProfileIntW(section, key, -1, file.c_str()));
    };
    EXPECT_EQ(read(u"HistoryWindow", u"Docked"), 1);
    EXPECT_EQ(read(u"History", u"PreviewWidth"), 300);
    EXPECT_EQ(read(u"Zebra", u"Stripes"), 12);
    std::string text = ReadFile();
    EXPECT_NE(text.find("; written by hand"), std::string::npos) << text;
    EXPECT_NE(text.find("X=100"), std::string::npos) << text;
    EXPECT_EQ(text.find("X=5"), std::string::npos) << text;

    // Negative values are written and read back as they are.
    WriteHistoryWindowValue(u"X", -1700);
    EXPECT_EQ(ReadHistoryWindowPlacement(area).x, -1700);
}

TEST_F(SettingsTest, FirstWriteCreatesTheFile) {
    std::filesystem::remove(NativePath(GetSettingsFilePath()));
    WriteHistoryWindowPlacement(platform::ScreenRect{100, 200, 900, 800});
    std::string text = ReadFile();
    EXPECT_NE(text.find("[HistoryWindow]"), std::string::npos) << text;
    for (const char* line : {"X=100", "Y=200", "W=800", "H=600"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
    }
}

}  // namespace
