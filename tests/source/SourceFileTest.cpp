// Which HDR/EXR file a source map shows, and how paths compare.

#include "source/SourceFile.h"

#include "support/NamedParamMap.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using testsupport::NamedParam;
using testsupport::NamedParamMap;

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

TEST(SourceFile, PathKeysIgnoreCaseSeparatorsAndDotsWhetherOrNotTheFileExists) {
    testsupport::ScopedTestDrive drive;
    EXPECT_TRUE(IsSamePath(u"C:\\A\\sky.hdr", u"c:/a/./B/../SKY.HDR"));
    EXPECT_TRUE(IsSamePath(u"", u""));
    EXPECT_FALSE(IsSamePath(u"C:\\A\\sky.hdr", u""));
    EXPECT_EQ(MakePathKey(u""), u"");
    EXPECT_EQ(MakePathKey(u"C:\\A\\\\B\\.\\..\\Sky.HDR"), u"c:\\a\\sky.hdr");

    // A folder that exists, with a file in it and a name below it that does not exist.
    const std::u16string scratch = drive.ScratchFolder();
    const std::filesystem::path folder = testsupport::NativePath(scratch + u"\\Real");
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "Sky.HDR") << "x";
    EXPECT_EQ(MakePathKey(scratch + u"\\Real\\Sky.HDR"), u"c:\\zenithratestscratch\\real\\sky.hdr");
    EXPECT_EQ(MakePathKey(u"c:/ZENITHRATESTSCRATCH/./Real/Missing/../New/Dusk.exr"),
              u"c:\\zenithratestscratch\\real\\new\\dusk.exr");
    EXPECT_TRUE(IsSamePath(scratch + u"\\Real\\Sky.HDR", u"C:/ZenithraTestScratch/real/sky.hdr"));
    EXPECT_FALSE(IsSamePath(scratch + u"\\Real\\Sky.HDR", scratch + u"\\Real\\Sky2.HDR"));
}

TEST(SourceFile, PathKeysOfNonAsciiNamesAreLowerCased) {
    testsupport::ScopedTestDrive drive;
    const std::u16string scratch = drive.ScratchFolder();
    const std::u16string folder = scratch + u"\\\u041D\u0435\u0431\u043E";  // Небо
    std::filesystem::create_directories(testsupport::NativePath(folder));
    std::ofstream(testsupport::NativePath(folder + u"\\\u7A7A.EXR")) << "x";  // 空.EXR
    EXPECT_EQ(MakePathKey(folder + u"\\\u7A7A.EXR"),
              u"c:\\zenithratestscratch\\\u043D\u0435\u0431\u043E\\\u7A7A.exr");
    // Not on disk: the lexical key lower-cases the same way.
    EXPECT_EQ(MakePathKey(u"C:\\\u0417\u0410\u041A\u0410\u0422\\Sky.HDR"),
              u"c:\\\u0437\u0430\u043A\u0430\u0442\\sky.hdr");
}

TEST(SourceFile, PathKeysResolveLinksInTheExistingPart) {
    testsupport::ScopedTestDrive drive;
    const std::u16string scratch = drive.ScratchFolder();
    std::filesystem::create_directories(testsupport::NativePath(scratch + u"\\Target"));
    std::ofstream(testsupport::NativePath(scratch + u"\\Target\\a.hdr")) << "x";
    std::error_code ec;
    std::filesystem::create_directory_symlink(testsupport::NativePath(scratch + u"\\Target"),
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
    IParamBlock2* block = map.GetParamBlock(0);
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
    block->SetValue(map.IdOf(0, u"fileName"), 0, MSTR(u"x.exr"));
    block->SetValue(map.IdOf(0, u"label"), 0, MSTR(u"y.hdr"));
    EXPECT_EQ(GetTexmapFilePath(&map), u"x.exr");
    block->SetValue(map.IdOf(0, u"fileName"), 0, MSTR(u"x.png"));
    EXPECT_EQ(GetTexmapFilePath(&map), u"y.hdr");
    block->SetValue(map.IdOf(0, u"label"), 0, MSTR(u"notes"));
    EXPECT_EQ(GetTexmapFilePath(&map), u"");
    EXPECT_EQ(GetTexmapFilePath(nullptr), u"");

    MSTR path = u"stale";
    EXPECT_FALSE(ReadParamPath(nullptr, 0, path));
    EXPECT_EQ(path, u"");
    EXPECT_TRUE(ReadParamPath(block, map.IdOf(0, u"label"), path));
    EXPECT_EQ(path, u"notes");
}

TEST(SourceFile, NewPathsGoIntoTheFirstFileNameParameterOnly) {
    NamedParamMap map(u"Bitmap", {{{u"label", TYPE_STRING}, {u"first", TYPE_FILENAME}},
                                  {{u"second", TYPE_FILENAME}}});
    map.GetParamBlock(0)->SetValue(map.IdOf(0, u"first"), 0, MSTR(u"notes.txt"));
    map.GetParamBlock(0)->SetValue(map.IdOf(0, u"label"), 0, MSTR(u"old.hdr"));
    ASSERT_TRUE(SetTexmapFilePath(&map, u"C:\\new.exr"));
    MSTR first, second, label;
    ReadParamPath(map.GetParamBlock(0), map.IdOf(0, u"first"), first);
    ReadParamPath(map.GetParamBlock(1), map.IdOf(1, u"second"), second);
    ReadParamPath(map.GetParamBlock(0), map.IdOf(0, u"label"), label);
    EXPECT_EQ(first, u"C:\\new.exr");
    EXPECT_EQ(second, u"");
    EXPECT_EQ(label, u"old.hdr");
    EXPECT_FALSE(SetTexmapFilePath(&map, u""));
    EXPECT_FALSE(SetTexmapFilePath(nullptr, u"C:\\new.exr"));
}

TEST(SourceFile, StringParametersAreWrittenOnlyWhenTheyHoldAnHdrPath) {
    NamedParamMap map(u"Other", {{{u"label", TYPE_STRING}, {u"path", TYPE_STRING}}});
    IParamBlock2* block = map.GetParamBlock(0);
    block->SetValue(map.IdOf(0, u"label"), 0, MSTR(u"my sky"));
    EXPECT_FALSE(SetTexmapFilePath(&map, u"C:\\new.hdr"));
    MSTR label;
    ReadParamPath(block, map.IdOf(0, u"label"), label);
    EXPECT_EQ(label, u"my sky");

    block->SetValue(map.IdOf(0, u"path"), 0, MSTR(u"D:\\old.EXR"));
    EXPECT_TRUE(SetTexmapFilePath(&map, u"C:\\new.hdr"));
    EXPECT_EQ(GetTexmapFilePath(&map), u"C:\\new.hdr");
    ReadParamPath(block, map.IdOf(0, u"label"), label);
    EXPECT_EQ(label, u"my sky");
}

}  // namespace
