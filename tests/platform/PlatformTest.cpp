#include "platform/Platform.h"

#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

namespace {

namespace fs = std::filesystem;

TEST(PlatformText, ValidTextConvertsBothWays) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"", u""},
        {"plain ASCII", u"plain ASCII"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"\x7F\xC2\x80\xDF\xBF", u"\x7F\u0080\u07FF"},
        {"\xE0\xA0\x80\xEF\xBF\xBF", u"\u0800\uFFFF"},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"},
        {"Привет, 日本語 😀", u"Привет, 日本語 😀"},
    };
    for (const auto& [utf8, utf16] : cases) {
        EXPECT_EQ(platform::Utf8ToUtf16(utf8), utf16) << utf8;
        EXPECT_EQ(platform::Utf16ToUtf8(utf16), utf8) << utf8;
    }
}

TEST(PlatformText, InvalidSequencesBecomeReplacementCharacters) {
    // As MultiByteToWideChar decodes them.
    const std::pair<std::string, std::u16string> utf8Cases[] = {
        {"caf\xE9", u"caf\uFFFD"},                          // a Latin-1 byte
        {"\x80!\xFF", u"\uFFFD!\uFFFD"},                    // bytes that start nothing
        {"\xE2\x82!", u"\uFFFD!"},                          // a sequence broken off
        {"\xE2\xC2\xA9", u"\uFFFD\u00A9"},                  // broken off by the next one
        {"\xF0\x9F\x98\x80\xF0\x9F", u"\U0001F600\uFFFD"},  // cut short at the end
        {"\xE2!", u"\uFFFD"},                               // too short a tail goes entirely
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong two-byte form
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD"},                  // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD"},                  // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},        // above U+10FFFF
    };
    for (const auto& [utf8, utf16] : utf8Cases) {
        EXPECT_EQ(platform::Utf8ToUtf16(utf8), utf16) << testing::PrintToString(utf8);
    }
    const std::pair<std::u16string, std::string> utf16Cases[] = {
        {{0xD800, u'!'}, "\xEF\xBF\xBD!"},
        {{0xDC00}, "\xEF\xBF\xBD"},
        {{u'!', 0xD83D}, "!\xEF\xBF\xBD"},
    };
    for (const auto& [utf16, utf8] : utf16Cases) {
        EXPECT_EQ(platform::Utf16ToUtf8(utf16), utf8);
    }
}

#if defined(_WIN32)
TEST(PlatformPaths, NativePathIsTheWindowsPath) {
    EXPECT_EQ(platform::ToNativePath(u"C:\\Temp\\Привет.log"), "C:\\Temp\\Привет.log");
}
#else
TEST(PlatformPaths, DriveLettersMapOntoFolders) {
    EXPECT_EQ(platform::ToNativePath(u"C:\\Temp\\x.log"), "/tmp/zenithra-drive-c/Temp/x.log");
    EXPECT_EQ(platform::ToNativePath(u"Z:\\usr\\share"), "/usr/share");
    EXPECT_EQ(platform::ToNativePath(u"Z:\\"), "/");

    platform::MapDrive(u'q', "/srv/q/");
    EXPECT_EQ(platform::ToNativePath(u"Q:\\a\\Привет.txt"), "/srv/q/a/Привет.txt");
    EXPECT_EQ(platform::ToNativePath(u"q:/a/b"), "/srv/q/a/b");
    EXPECT_EQ(platform::ToNativePath(u"Q:"), "/srv/q");
    platform::MapDrive(u'Q', "");

    EXPECT_EQ(platform::ToNativePath(u"Q:\\a"), "");
    EXPECT_EQ(platform::ToNativePath(u"relative\\a"), "");
    EXPECT_EQ(platform::ToNativePath(u"\\\\server\\share\\a"), "");
}
#endif

TEST(PlatformFiles, CreateDirectoriesMakesEveryMissingLevel) {
    testsupport::ScopedTestDrive drive;
    const std::u16string deep = drive.ScratchFolder() + u"\\a\\b/c\\";
    EXPECT_TRUE(platform::CreateDirectories(deep));
    EXPECT_TRUE(fs::is_directory(testsupport::NativePath(deep)));
    EXPECT_TRUE(platform::CreateDirectories(deep)) << "an existing folder is no failure";
}

TEST(PlatformFiles, CreateDirectoriesStopsAtAPlainFile) {
    testsupport::ScopedTestDrive drive;
    ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder()));
    const std::u16string file = drive.ScratchFolder() + u"\\file";
    std::ofstream(testsupport::NativePath(file)) << "content";

    EXPECT_FALSE(platform::CreateDirectories(file));
    EXPECT_FALSE(platform::CreateDirectories(file + u"\\below"));
    EXPECT_TRUE(fs::is_regular_file(testsupport::NativePath(file)));
}

TEST(PlatformFiles, AppendToFileAddsBytesUnchanged) {
    testsupport::ScopedTestDrive drive;
    const std::u16string file = drive.ScratchFolder() + u"\\log.txt";
    EXPECT_FALSE(platform::AppendToFile(file, "x")) << "the folder is missing";
    ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder()));
    EXPECT_FALSE(platform::AppendToFile(drive.ScratchFolder(), "x")) << "a folder is no file";

    const std::string first = "one\r\n";
    const std::string second("two\nthree\0\xFF", 12);
    EXPECT_TRUE(platform::AppendToFile(file, first));
    {
        // Other programs may hold the file open for reading and writing meanwhile.
        std::ifstream reader(testsupport::NativePath(file), std::ios::binary);
        ASSERT_TRUE(reader.is_open());
        EXPECT_TRUE(platform::AppendToFile(file, second));
    }
    EXPECT_EQ(testsupport::ReadFileBytes(testsupport::NativePath(file)), first + second);
}

TEST(PlatformClock, LocalTimeAgreesWithTheRuntimeClock) {
    const std::time_t before = std::time(nullptr);
    const platform::LocalTime now = platform::GetLocalTimeNow();
    const std::tm expected = *std::localtime(&before);

    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);
    const int secondsOfDay = now.hour * 3600 + now.minute * 60 + now.second;
    const int expectedSecondsOfDay =
        expected.tm_hour * 3600 + expected.tm_min * 60 + expected.tm_sec;
    if (secondsOfDay >= expectedSecondsOfDay) {  // otherwise midnight passed in between
        EXPECT_LE(secondsOfDay - expectedSecondsOfDay, 2);
        EXPECT_EQ(now.year, expected.tm_year + 1900);
        EXPECT_EQ(now.month, expected.tm_mon + 1);
        EXPECT_EQ(now.day, expected.tm_mday);
    }
}

TEST(PlatformThreads, ThreadIdsTellThreadsApart) {
    const uint32_t mine = platform::CurrentThreadId();
    uint32_t other = 0;
    std::thread([&] { other = platform::CurrentThreadId(); }).join();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(platform::CurrentThreadId(), mine);
    EXPECT_NE(other, mine);
}

TEST(PlatformThreads, SleepWaitsForTheTime) {
    const auto start = std::chrono::steady_clock::now();
    platform::SleepMilliseconds(40);
    // Windows timers may wake a tick early.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
}

}  // namespace
