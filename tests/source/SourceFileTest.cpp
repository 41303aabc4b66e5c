// Which HDR/EXR file a source map shows, and how paths compare.

#include "source/SourceFile.h"

#include "platform/Platform.h"
#include "support/NamedParamMap.h"
#include "support/TestDrive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using testsupport::NamedParamMap;
namespace fs = std::filesystem;

void Set(NamedParamMap& map, int block, const wchar_t* name, const MSTR& value) {
    map.GetParamBlock(block)->SetValue(map.IdOf(block, name), 0, value.data());
}

MSTR Get(NamedParamMap& map, int block, const wchar_t* name) {
    MSTR value;
    ReadParamPath(map.GetParamBlock(block), map.IdOf(block, name), value);
    return value;
}

TEST(SourceFile, HdrAndExrExtensionsAreRecognisedWhateverTheirCase) {
    for (const wchar_t* yes : {L"C:\\HDRI\\Sky.HDR", L"d:/x/y.Exr", L"sky.exr:meta", L"a.b.hdr",
                               L"\\\\server\\share\\x.exr"}) {
        EXPECT_TRUE(IsHdrOrExrPath(yes)) << platform::WideToUtf8(yes);
    }
    for (const wchar_t* no : {L"sky.hdr.bak", L".hdr", L"sky.hdrx", L"sky", L"C:\\dir.hdr\\", L"",
                              L"C:.hdr", L"sky.", L"C:\\x.hdr\\..", L"sky.png"}) {
        EXPECT_FALSE(IsHdrOrExrPath(no)) << platform::WideToUtf8(no);
    }
}

// Keys ignore case (also beyond ASCII), separators and dots whether or not the file exists, and
// resolve links in the part that exists.
TEST(SourceFile, PathKeysAreLowerCasedNormalFormsWithLinksResolved) {
    testsupport::ScopedTestDrive drive;
    const MSTR scratch = drive.ScratchFolder().c_str();
    auto touch = [&](const wchar_t* folder, const wchar_t* file) {
        fs::create_directories(testsupport::NativePath((scratch + folder).data()));
        std::ofstream(testsupport::NativePath((scratch + folder + file).data())) << "x";
    };
    EXPECT_TRUE(IsSamePath(L"C:\\A\\sky.hdr", L"c:/a/./B/../SKY.HDR"));
    EXPECT_TRUE(IsSamePath(L"", L""));
    EXPECT_FALSE(IsSamePath(L"C:\\A\\sky.hdr", L""));
    EXPECT_EQ(MakePathKey(L""), L"");
    EXPECT_EQ(MakePathKey(L"C:\\A\\\\B\\.\\..\\Sky.HDR"), L"c:\\a\\sky.hdr");
    EXPECT_EQ(MakePathKey(L"C:\\\u0417\u0410\u041A\u0410\u0422\\Sky.HDR"),
              L"c:\\\u0437\u0430\u043A\u0430\u0442\\sky.hdr");  // ЗАКАТ

    // A folder that exists, with a file in it and a name below it that does not exist.
    touch(L"\\Real", L"\\Sky.HDR");
    EXPECT_EQ(MakePathKey(scratch + L"\\Real\\Sky.HDR"), L"c:\\zenithratestscratch\\real\\sky.hdr");
    EXPECT_EQ(MakePathKey(L"c:/ZENITHRATESTSCRATCH/./Real/Missing/../New/Dusk.exr"),
              L"c:\\zenithratestscratch\\real\\new\\dusk.exr");
    EXPECT_TRUE(IsSamePath(scratch + L"\\Real\\Sky.HDR", L"C:/ZenithraTestScratch/real/sky.hdr"));
    EXPECT_FALSE(IsSamePath(scratch + L"\\Real\\Sky.HDR", scratch + L"\\Real\\Sky2.HDR"));
    touch(L"\\\u041D\u0435\u0431\u043E", L"\\\u7A7A.EXR");  // Небо\空.EXR
    EXPECT_EQ(MakePathKey(scratch + L"\\\u041D\u0435\u0431\u043E\\\u7A7A.EXR"),
              L"c:\\zenithratestscratch\\\u043D\u0435\u0431\u043E\\\u7A7A.exr");

    touch(L"\\Target", L"\\a.hdr");
    std::error_code ec;
    fs::create_directory_symlink(testsupport::NativePath((scratch + L"\\Target").data()),
                                 testsupport::NativePath((scratch + L"\\Link").data()), ec);
    if (ec) {
        GTEST_SKIP() << "this file system makes no links: " << ec.message();
    }
    EXPECT_EQ(MakePathKey(scratch + L"\\Link\\a.hdr"), MakePathKey(scratch + L"\\Target\\a.hdr"));
    EXPECT_EQ(MakePathKey(scratch + L"\\Link\\later\\b.hdr"),
              L"c:\\zenithratestscratch\\target\\later\\b.hdr");
}

TEST(SourceFile, TheFirstHdrAssetWinsThenFileNamesThenStringsAndNewPathsGoWhereTheyAreRead) {
    NamedParamMap map(L"Bitmap", {{{L"fileName", TYPE_FILENAME}, {L"label", TYPE_STRING}}});
    map.assets = {L"a.png", L"b.exr"};
    EXPECT_EQ(GetTexmapFilePath(&map), L"b.exr");
    map.assets = {L"b.exr", L"c.hdr"};
    EXPECT_EQ(GetTexmapFilePath(&map), L"b.exr");
    // An asset the host cannot find on disk is known by its bare name.
    map.assets = {L"sky.hdr"};
    EXPECT_EQ(GetTexmapFilePath(&map), L"sky.hdr");
    // A failing enumeration keeps what it reported before it failed.
    map.throwInEnumeration = true;
    EXPECT_EQ(GetTexmapFilePath(&map), L"sky.hdr");

    map.assets.clear();
    Set(map, 0, L"fileName", L"x.exr");
    Set(map, 0, L"label", L"y.hdr");
    EXPECT_EQ(GetTexmapFilePath(&map), L"x.exr");
    Set(map, 0, L"fileName", L"x.png");
    EXPECT_EQ(GetTexmapFilePath(&map), L"y.hdr");
    Set(map, 0, L"label", L"notes");
    EXPECT_EQ(GetTexmapFilePath(&map), L"");
    EXPECT_EQ(GetTexmapFilePath(nullptr), L"");

    MSTR path = L"stale";
    EXPECT_FALSE(ReadParamPath(nullptr, 0, path));
    EXPECT_EQ(path, L"");
    EXPECT_TRUE(ReadParamPath(map.GetParamBlock(0), map.IdOf(0, L"label"), path));
    EXPECT_EQ(path, L"notes");

    // New paths go into the first file name, whichever block holds it, and nowhere else.
    NamedParamMap files(L"Bitmap", {{{L"label", TYPE_STRING}, {L"first", TYPE_FILENAME}},
                                    {{L"second", TYPE_FILENAME}}});
    Set(files, 0, L"first", L"notes.txt");
    Set(files, 0, L"label", L"old.hdr");
    ASSERT_TRUE(SetTexmapFilePath(&files, L"C:\\new.exr"));
    EXPECT_EQ(Get(files, 0, L"first"), L"C:\\new.exr");
    EXPECT_EQ(Get(files, 1, L"second"), L"");
    EXPECT_EQ(Get(files, 0, L"label"), L"old.hdr");
    EXPECT_FALSE(SetTexmapFilePath(&files, L""));
    EXPECT_FALSE(SetTexmapFilePath(nullptr, L"C:\\new.exr"));

    // Without a file name, only a string that holds an HDR/EXR path is written.
    NamedParamMap strings(L"Other", {{{L"label", TYPE_STRING}, {L"path", TYPE_STRING}}});
    Set(strings, 0, L"label", L"my sky");
    EXPECT_FALSE(SetTexmapFilePath(&strings, L"C:\\new.hdr"));
    Set(strings, 0, L"path", L"D:\\old.EXR");
    EXPECT_TRUE(SetTexmapFilePath(&strings, L"C:\\new.hdr"));
    EXPECT_EQ(GetTexmapFilePath(&strings), L"C:\\new.hdr");
    EXPECT_EQ(Get(strings, 0, L"label"), L"my sky");
}

}  // namespace
