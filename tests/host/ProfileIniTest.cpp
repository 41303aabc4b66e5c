// The host's INI functions: the system's own in the Win64 build, the host's natively. Both builds
// run the same cases, so that the two read and write alike.

#include "host/ProfileIni.h"
#include "platform/Platform.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

namespace {

using testsupport::NativePath;

constexpr int kMissing = -777;

class ProfileIniTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::CreateDirectories(drive.ScratchFolder())); }

    /// A new file for each content: the system's functions keep files by name and modification
    /// time, which two quick writes may leave unchanged.
    std::u16string NewFile(const std::string& text, bool create = true) {
        std::u16string file = drive.ScratchFolder() + u"\\" +
                              platform::Utf8ToUtf16(std::to_string(++files)) + u".ini";
        if (create) {
            std::ofstream(NativePath(file), std::ios::binary) << text;
        }
        return file;
    }
    int Read(const std::string& text, const char16_t* section = u"S", const char16_t* key = u"K") {
        const std::u16string file = NewFile(text);
        return int32_t(MaxSDK::Util::GetPrivateProfileIntW(section, key, kMissing, file.c_str()));
    }
    std::string Write(const std::string& text, const char16_t* section, const char16_t* key,
                      const char16_t* value, bool create = true) {
        const std::u16string file = NewFile(text, create);
        EXPECT_TRUE(MaxSDK::Util::WritePrivateProfileStringW(section, key, value, file.c_str()));
        return testsupport::ReadFileBytes(NativePath(file));
    }

    testsupport::ScopedTestDrive drive;
    int files = 0;
};

TEST_F(ProfileIniTest, ReadsValuesAsTheSystemDoes) {
    // clang-format off
    const std::pair<const char*, int> values[] = {
        {"12abc", 12}, {"abc", 0}, {" \t-5", -5}, {"+7", 7}, {"- 3", 0},
        {"\"42\"", 42}, {"'42'", 42}, {"\"42", 0}, {"0x1f", 31}, {"0X10", 0}, {"0b101", 5},
        {"0o17", 15}, {"010", 10}, {"4294967295", -1}, {"99999999999", 1215752191},
        {"5 ; note", 5}, {"", kMissing}, {"''", kMissing},
        {"0000000000000000000000000000042", 0},  // the system reads the first 29 units only
    };
    // clang-format on
    for (const auto& [value, expected] : values) {
        EXPECT_EQ(Read(std::string("[S]\r\nK=") + value + "\r\n"), expected) << value;
    }

    const std::pair<const char*, int> files[] = {
        {"[s]\r\n  k  =  14  \r\n", 14},               // names without regard to case or blanks
        {"[A]\r\nK=1\r\n[ S ] x\r\nK=15", 15},         // text after ']', no final line end
        {"[S]\nK=16\nK=17\n", 16},                     // LF line ends; the first key counts
        {"[S]\r\nM=18\r\n[S]\r\nK=19\r\n", kMissing},  // only the first section of a name
        {"[S]\r\n[T\r\nK=20\r\n", 20},                 // no ']': no section header
        {"\xEF\xBB\xBF[S]\r\nK=21\r\n", 21},           // UTF-8 byte-order mark
        {"K=22\r\n[S]\r\n", kMissing},
        {"[S]\r\n;K=23\r\nK\r\n", kMissing},  // a comment; a key without a value
        {"[T]\r\nK=24\r\n", kMissing},
    };
    for (const auto& [text, expected] : files) {
        EXPECT_EQ(Read(text), expected) << text;
    }
    EXPECT_EQ(Read(""), kMissing);
    const std::u16string missing = NewFile("", false);
    EXPECT_EQ(int32_t(MaxSDK::Util::GetPrivateProfileIntW(u"S", u"K", 3, missing.c_str())), 3);
}

TEST_F(ProfileIniTest, WritesChangeOrAddOneKeyAndKeepTheRest) {
    EXPECT_EQ(Write("", u"S", u"K", u"1", false), "[S]\r\nK=1\r\n");
    // The file's own spelling of the key stays; only the first of two is changed.
    EXPECT_EQ(Write("[s]\r\n  k = 5  \r\nK=6\r\n", u"S", u"K", u"-1"), "[s]\r\nk=-1\r\nK=6\r\n");
    // A new key goes after the section's comments, before the next section.
    EXPECT_EQ(Write("[S]\r\n# a\r\nK=5\r\n; b\r\n[T]\r\nL=1\r\n", u"S", u"M", u"2"),
              "[S]\r\n# a\r\nK=5\r\n; b\r\nM=2\r\n[T]\r\nL=1\r\n");
    // A new section goes at the end, also after a last line without its line end.
    EXPECT_EQ(Write("; c\r\n[A]\r\nX=1", u"S", u"K", u"1"), "; c\r\n[A]\r\nX=1\r\n[S]\r\nK=1\r\n");
    EXPECT_EQ(Write("[A]\r\nX=1", u"A", u"K", u"1"), "[A]\r\nX=1\r\nK=1\r\n");

    // Natively every other byte stays as it was; the system's function writes the file anew
    // with CR LF line ends and without blank lines, spaces around names and values.
    const std::string before = "; c\n\n[A]\nX = 1\n\n[S]\nK=5\n",
                      after = Write(before, u"S", u"K", u"7");
#if defined(_WIN32)
    EXPECT_EQ(after, "; c\r\n[A]\r\nX=1\r\n[S]\r\nK=7\r\n");
#else
    EXPECT_EQ(after, "; c\n\n[A]\nX = 1\n\n[S]\nK=7\n");
#endif
}

}  // namespace
