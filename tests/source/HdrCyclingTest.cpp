// Stepping through the HDR/EXR files of a folder and choosing one with the open-file dialog.

#include "source/HdrCycling.h"

#include "platform/Platform.h"
#include "source/SourceFile.h"

#include "render/InteractiveRender.h"
#include "support/MapTestSupport.h"
#include "support/NamedParamMap.h"
#include "support/TestDrive.h"

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class HdrCycling : public ::testing::Test {
protected:
    void SetUp() override {
        standalone::ResetInteractiveRender();
        folder = drive.ScratchFolder() + u"\\Skies";
        fs::create_directories(testsupport::NativePath(folder));
        map = testsupport::NewMapIn(scene);
        source = new testsupport::NamedParamMap(u"Bitmap", {{{u"fileName", TYPE_FILENAME}}});
        map->ReplaceReference(1, source);
    }
    void Touch(const std::u16string& name) {
        std::ofstream(testsupport::NativePath(folder + u"\\" + name)) << "x";
    }
    void Show(const MSTR& path) {
        source->GetParamBlock(0)->SetValue(source->IdOf(0, u"fileName"), 0, path);
    }
    MSTR Shown() { return GetTexmapFilePath(source); }

    testsupport::ScopedTestDrive drive;
    std::u16string folder;
    standalone::SceneRoot scene;
    Zenithra* map = nullptr;
    testsupport::NamedParamMap* source = nullptr;
};

TEST_F(HdrCycling, FolderListsHdrFilesInLowerCasedOrderAndStepsWrapAroundAndRefresh) {
    for (const char16_t* name :
         {u"b.hdr", u"A.exr", u"c.HDR", u"notes.txt", u"_z.Exr", u"\u0401.hdr", u"sky.hdr.bak"}) {
        Touch(name);
    }
    fs::create_directories(testsupport::NativePath(folder + u"\\d.hdr"));
    std::error_code ec;
    fs::create_symlink(testsupport::NativePath(folder + u"\\b.hdr"),
                       testsupport::NativePath(folder + u"\\b_link.hdr"), ec);
    std::vector<MSTR> expected = {folder + u"\\_z.Exr", folder + u"\\A.exr", folder + u"\\b.hdr",
                                  folder + u"\\c.HDR", folder + u"\\\u0401.hdr"};
    EXPECT_EQ(ScanHdrFolder(folder + u"\\c.HDR"), expected)
        << (ec ? "without a link: " + ec.message() : "with a link to b.hdr");

    EXPECT_TRUE(ScanHdrFolder(u"").empty());
    EXPECT_TRUE(ScanHdrFolder(u"c.HDR").empty());
    EXPECT_TRUE(ScanHdrFolder(drive.ScratchFolder() + u"\\Gone\\x.hdr").empty());
    EXPECT_EQ(ParentFolder(u"C:\\sky.hdr"), u"C:\\");
    EXPECT_EQ(ParentFolder(u"C:\\a\\\\sky.hdr"), u"C:\\a");
    EXPECT_TRUE(HdrPathLess(u"C:\\a\\_x", u"C:\\a\\A"));
    EXPECT_TRUE(HdrPathLess(u"C:\\a\\b", u"C:\\a\\b1"));
    EXPECT_FALSE(HdrPathLess(u"C:\\A\\B", u"c:\\a\\b"));

    Show(expected.back());
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), expected.front());
    EXPECT_EQ(standalone::ExecutedScripts().size(), 1u);  // the refresh ran
    SelectPreviousHdr(map);
    EXPECT_EQ(Shown(), expected.back());
    SelectPreviousHdr(map);
    SelectPreviousHdr(map);
    EXPECT_EQ(Shown(), expected[2]);

    // Written with forward slashes and another case than on disk: found by its key.
    Show(u"C:/ZenithraTestScratch/Skies/C.hdr");
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), u"C:/ZenithraTestScratch/Skies\\\u0401.hdr");
}

TEST_F(HdrCycling, StepsThatCannotBeTakenChangeNothing) {
    Touch(u"only.hdr");
    Show(folder + u"\\only.hdr");
    SelectNextHdr(map);
    SelectPreviousHdr(map);
    EXPECT_EQ(Shown(), folder + u"\\only.hdr");

    Touch(u"other.exr");
    Show(folder + u"\\deleted.hdr");  // no longer in its folder
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), folder + u"\\deleted.hdr");
    Show(u"bare.hdr");
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), u"bare.hdr");
    fs::remove_all(testsupport::NativePath(folder));  // the folder vanished
    Show(folder + u"\\only.hdr");
    SelectPreviousHdr(map);
    EXPECT_EQ(Shown(), folder + u"\\only.hdr");
    EXPECT_TRUE(standalone::ExecutedScripts().empty());

    map->ReplaceReference(1, nullptr);  // no source map: nothing to step
    SelectNextHdr(map);
    BrowseHdrFile(map, nullptr);
    SelectNextHdr(nullptr);
}

#if !defined(_WIN32)
platform::OpenFileRequest lastRequest;
std::u16string answer;

bool AnswerDialog(const platform::OpenFileRequest& request, std::u16string& chosen) {
    lastRequest = request;
    chosen = answer;
    return !answer.empty();
}

TEST_F(HdrCycling, BrowseOpensTheDialogAtTheCurrentFileAndWritesTheChoice) {
    platform::SetOpenFileChooser(&AnswerDialog);
    Show(folder + u"\\c.HDR");
    answer.clear();  // cancelled
    BrowseHdrFile(map, nullptr);
    EXPECT_EQ(Shown(), folder + u"\\c.HDR");
    EXPECT_TRUE(standalone::ExecutedScripts().empty());
    EXPECT_EQ(lastRequest.title, u"Choose HDR / EXR");
    EXPECT_EQ(lastRequest.flags, 0x1804u);
    EXPECT_EQ(lastRequest.bufferUnits, 4096u);
    EXPECT_EQ(lastRequest.initialFile, folder + u"\\c.HDR");
    EXPECT_EQ(lastRequest.initialFolder, folder);
    EXPECT_EQ(lastRequest.filter,
              MSTR(u"HDR / EXR (*.hdr;*.exr)\0*.hdr;*.exr\0All (*.*)\0*.*\0\0", 51));

    answer = u"D:\\Other\\notes.txt";  // any file can be chosen through "All (*.*)"
    BrowseHdrFile(map, nullptr);
    MSTR written;
    ReadParamPath(source->GetParamBlock(0), source->IdOf(0, u"fileName"), written);
    EXPECT_EQ(written, u"D:\\Other\\notes.txt");
    EXPECT_EQ(standalone::ExecutedScripts().size(), 1u);

    Show(u"bare.hdr");
    BrowseHdrFile(map, nullptr);
    EXPECT_EQ(lastRequest.initialFile, u"bare.hdr");
    EXPECT_EQ(lastRequest.initialFolder, u"");
    platform::SetOpenFileChooser(nullptr);
}
#endif

}  // namespace
