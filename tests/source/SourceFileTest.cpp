// Which HDR/EXR file a source map shows, and how paths compare.

#include "source/SourceFile.h"

#include "support/NamedParamMap.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using testsupport::NamedParamMap;
namespace fs = std::filesystem;

void Set(NamedParamMap& map, int block, const char16_t* name, const MSTR& value) {
    map.GetParamBlock(block)->SetValue(map.IdOf(block, name), 0, value);
}

MSTR Get(NamedParamMap& map, int block, const char16_t* name) {
    MSTR value;
    ReadParamPath(map.GetParamBlock(block), map.IdOf(block, name), value);
    return value;
}

TEST(SourceFile, HdrAndExrExtensionsAreRecognisedWhateverTheirCase) {
    for (const char16_t* yes : {u"C:\\HDRI\\Sky.HDR", u"d:/x/y.Exr", u"sky.exr:meta", u"a.b.hdr",
                                u"\\\\server\\share\\x.exr"}) {
        EXPECT_TRUE(IsHdrOrExrPath(yes)) << testsupport::Narrow(yes);
    }
    for (const char16_t* no : {u"sky.hdr.bak", u".hdr", u"sky.hdrx", u"sky", u"C:\\dir.hdr\\", u"",
                               u"C:.hdr", u"sky.", u"C:\\x.hdr\\..", u"sky.png"}) {
        EXPECT_FALSE(IsHdrOrExrPath(no)) << testsupport::Narrow(no);
    }
}

// Keys ignore case (also beyond ASCII), separators and dots whether or not the file exists, and
// resolve links in the part that exists.
TEST(SourceFile, PathKeysAreLowerCasedNormalFormsWithLinksResolved) {
    testsupport::ScopedTestDrive drive;
    const std::u16string scratch = drive.ScratchFolder();
    auto touch = [&](const std::u16string& folder, const std::u16string& file) {
        fs::create_directories(testsupport::NativePath(scratch + folder));
        std::ofstream(testsupport::NativePath(scratch + folder + file)) << "x";
    };
    EXPECT_TRUE(IsSamePath(u"C:\\A\\sky.hdr", u"c:/a/./B/../SKY.HDR"));
    EXPECT_TRUE(IsSamePath(u"", u""));
    EXPECT_FALSE(IsSamePath(u"C:\\A\\sky.hdr", u""));
    EXPECT_EQ(MakePathKey(u""), u"");
    EXPECT_EQ(MakePathKey(u"C:\\A\\\\B\\.\\..\\Sky.HDR"), u"c:\\a\\sky.hdr");
    EXPECT_EQ(MakePathKey(u"C:\\\u0417\u0410\u041A\u0410\u0422\\Sky.HDR"),
              u"c:\\\u0437\u0430\u043A\u0430\u0442\\sky.hdr");  // ЗАКАТ

    // A folder that exists, with a file in it and a name below it that does not exist.
    touch(u"\\Real", u"\\Sky.HDR");
    EXPECT_EQ(MakePathKey(scratch + u"\\Real\\Sky.HDR"), u"c:\\zenithratestscratch\\real\\sky.hdr");
    EXPECT_EQ(MakePathKey(u"c:/ZENITHRATESTSCRATCH/./Real/Missing/../New/Dusk.exr"),
              u"c:\\zenithratestscratch\\real\\new\\dusk.exr");
    EXPECT_TRUE(IsSamePath(scratch + u"\\Real\\Sky.HDR", u"C:/ZenithraTestScratch/real/sky.hdr"));
    EXPECT_FALSE(IsSamePath(scratch + u"\\Real\\Sky.HDR", scratch + u"\\Real\\Sky2.HDR"));
    touch(u"\\\u041D\u0435\u0431\u043E", u"\\\u7A7A.EXR");  // Небо\空.EXR
    EXPECT_EQ(MakePathKey(scratch + u"\\\u041D\u0435\u0431\u043E\\\u7A7A.EXR"),
              u"c:\\zenithratestscratch\\\u043D\u0435\u0431\u043E\\\u7A7A.exr");

    touch(u"\\Target", u"\\a.hdr");
    std::error_code ec;
    fs::create_directory_symlink(testsupport::NativePath(scratch + u"\\Target"),
                                 testsupport::NativePath(scratch + u"\\Link"), ec);
    if (ec) {
        GTEST_SKIP() << "this file system makes no links: " << ec.message();
    }
    EXPECT_EQ(MakePathKey(scratch + u"\\Link\\a.hdr"), MakePathKey(scratch + u"\\Target\\a.hdr"));
    EXPECT_EQ(MakePathKey(scratch + u"\\Link\\later\\b.hdr"),
              u"c:\\zenithratestscratch\\target\\later\\b.hdr");
}

TEST(SourceFile, TheFirstHdrAssetWinsThenFileNamesThenStrings) {
    NamedParamMap map(u"Bitmap", {{{u"fileName", TYPE_FILENAME}, {u"label", TYPE_STRING}}});
    map.assets = {u"a.png", u"b.exr"};
    EXPECT_EQ(GetTexmapFilePath(&map), u"b.exr");
    map.assets = {u"b.exr", u"c.hdr"};
    EXPECT_EQ(GetTexmapFilePath(&map), u"b.exr");
    // An asset the host cannot find on disk is known by its bare name.
    map.assets = {u"sky.hdr"};
    EXPECT_EQ(GetTexmapFilePath(&map), u"sky.hdr");
    // A failing enumeration keeps what it reported before it failed.
    map.throwInEnumeration = true;
    EXPECT_EQ(GetTexmapFilePath(&map), u"sky.hdr");

    map.assets.clear();
    Set(map, 0, u"fileName", u"x.exr");
    Set(map, 0, u"label", u"y.hdr");
    EXPECT_EQ(GetTexmapFilePath(&map), u"x.exr");
    Set(map, 0, u"fileName", u"x.png");
    EXPECT_EQ(GetTexmapFilePath(&map), u"y.hdr");
    Set(map, 0, u"label", u"notes");
    EXPECT_EQ(GetTexmapFilePath(&map), u"");
    EXPECT_EQ(GetTexmapFilePath(nullptr), u"");

    MSTR path = u"stale";
    EXPECT_FALSE(ReadParamPath(nullptr, 0, path));
    EXPECT_EQ(path, u"");
    EXPECT_TRUE(ReadParamPath(map.GetParamBlock(0), map.IdOf(0, u"label"), path));
    EXPECT_EQ(path, u"notes");
}

TEST(SourceFile, NewPathsGoIntoTheFirstFileNameElseIntoAStringHoldingAnHdrPath) {
    NamedParamMap map(u"Bitmap", {{{u"label", TYPE_STRING}, {u"first", TYPE_FILENAME}},
                                  {{u"second", TYPE_FILENAME}}});
    Set(map, 0, u"first", u"notes.txt");
    Set(map, 0, u"label", u"old.hdr");
    ASSERT_TRUE(SetTexmapFilePath(&map, u"C:\\new.exr"));
    EXPECT_EQ(Get(map, 0, u"first"), u"C:\\new.exr");
    EXPECT_EQ(Get(map, 1, u"second"), u"");
    EXPECT_EQ(Get(map, 0, u"label"), u"old.hdr");
    EXPECT_FALSE(SetTexmapFilePath(&map, u""));
    EXPECT_FALSE(SetTexmapFilePath(nullptr, u"C:\\new.exr"));

    // Without a file name, only a string that holds an HDR/EXR path is written.
    NamedParamMap strings(u"Other", {{{u"label", TYPE_STRING}, {u"path", TYPE_STRING}}});
    Set(strings, 0, u"label", u"my sky");
    EXPECT_FALSE(SetTexmapFilePath(&strings, u"C:\\new.hdr"));
    Set(strings, 0, u"path", u"D:\\old.EXR");
    EXPECT_TRUE(SetTexmapFilePath(&strings, u"C:\\new.hdr"));
    EXPECT_EQ(GetTexmapFilePath(&strings), u"C:\\new.hdr");
    EXPECT_EQ(Get(strings, 0, u"label"), u"my sky");
}

}  // namespace
