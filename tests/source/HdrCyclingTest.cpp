// Stepping through the HDR/EXR files of a folder and choosing one with the open-file dialog.

#include "source/HdrCycling.h"

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
        folder = (drive.ScratchFolder() + L"\\Skies").c_str();
        fs::create_directories(testsupport::NativePath(folder.data()));
        map = testsupport::NewMapIn(scene);
        source = new testsupport::NamedParamMap(L"Bitmap", {{{L"fileName", TYPE_FILENAME}}});
        map->ReplaceReference(1, source);
    }
    void Touch(const std::wstring& name) {
        std::ofstream(testsupport::NativePath((folder + L"\\" + name.c_str()).data())) << "x";
    }
    void Show(const MSTR& path) {
        source->GetParamBlock(0)->SetValue(source->IdOf(0, L"fileName"), 0, path);
    }
    MSTR Shown() { return GetTexmapFilePath(source); }

    testsupport::ScopedTestDrive drive;
    MSTR folder;
    standalone::SceneRoot scene;
    Zenithra* map = nullptr;
    testsupport::NamedParamMap* source = nullptr;
};

TEST_F(HdrCycling, FolderListsHdrFilesInLowerCasedOrderAndStepsWrapAroundAndRefresh) {
    for (const wchar_t* name :
         {L"b.hdr", L"A.exr", L"c.HDR", L"notes.txt", L"_z.Exr", L"\u0401.hdr", L"sky.hdr.bak"}) {
        Touch(name);
    }
    fs::create_directories(testsupport::NativePath((folder + L"\\d.hdr").data()));
    std::error_code ec;
    fs::create_symlink(testsupport::NativePath((folder + L"\\b.hdr").data()),
                       testsupport::NativePath((folder + L"\\b_link.hdr").data()), ec);
    std::vector<MSTR> expected = {folder + L"\\_z.Exr", folder + L"\\A.exr", folder + L"\\b.hdr",
                                  folder + L"\\c.HDR", folder + L"\\\u0401.hdr"};
    EXPECT_EQ(ScanHdrFolder(folder + L"\\c.HDR"), expected)
        << (ec ? "without a link: " + ec.message() : "with a link to b.hdr");

    EXPECT_TRUE(ScanHdrFolder(L"").empty());
    EXPECT_TRUE(ScanHdrFolder(L"c.HDR").empty());
    EXPECT_TRUE(ScanHdrFolder((drive.ScratchFolder() + L"\\Gone\\x.hdr").c_str()).empty());

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
    Show(L"C:/ZenithraTestScratch/Skies/C.hdr");
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), L"C:/ZenithraTestScratch/Skies\\\u0401.hdr");
}

TEST_F(HdrCycling, StepsThatCannotBeTakenChangeNothing) {
    Touch(L"only.hdr");
    Show(folder + L"\\only.hdr");
    SelectNextHdr(map);
    SelectPreviousHdr(map);
    EXPECT_EQ(Shown(), folder + L"\\only.hdr");

    Touch(L"other.exr");
    Show(folder + L"\\deleted.hdr");  // no longer in its folder
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), folder + L"\\deleted.hdr");
    Show(L"bare.hdr");
    SelectNextHdr(map);
    EXPECT_EQ(Shown(), L"bare.hdr");
    fs::remove_all(testsupport::NativePath(folder.data()));  // the folder vanished
    Show(folder + L"\\only.hdr");
    SelectPreviousHdr(map);
    EXPECT_EQ(Shown(), folder + L"\\only.hdr");
    EXPECT_TRUE(standalone::ExecutedScripts().empty());

    map->ReplaceReference(1, nullptr);  // no source map: nothing to step
    SelectNextHdr(map);
    BrowseHdrFile(map, nullptr);
    SelectNextHdr(nullptr);
}

#if !defined(_WIN32)
platform::OpenFileRequest lastRequest;
std::wstring answer;

bool AnswerDialog(const platform::OpenFileRequest& request, std::wstring& chosen) {
    lastRequest = request;
    chosen = answer;
    return !answer.empty();
}

TEST_F(HdrCycling, BrowseOpensTheDialogAtTheCurrentFileAndWritesTheChoice) {
    platform::SetOpenFileChooser(&AnswerDialog);
    Show(folder + L"\\c.HDR");
    answer.clear();  // cancelled
    BrowseHdrFile(map, nullptr);
    EXPECT_EQ(Shown(), folder + L"\\c.HDR");
    EXPECT_TRUE(standalone::ExecutedScripts().empty());
    EXPECT_EQ(lastRequest.title, L"Choose HDR / EXR");
    EXPECT_EQ(lastRequest.flags, 0x1804u);
    EXPECT_EQ(lastRequest.bufferUnits, 4096u);
    EXPECT_EQ(lastRequest.initialFile, (folder + L"\\c.HDR").data());
    EXPECT_EQ(lastRequest.initialFolder, folder.data());
    EXPECT_EQ(lastRequest.filter,
              std::wstring(L"HDR / EXR (*.hdr;*.exr)\0*.hdr;*.exr\0All (*.*)\0*.*\0\0", 51));

    answer = L"D:\\Other\\notes.txt";  // any file can be chosen through "All (*.*)"
    BrowseHdrFile(map, nullptr);
    MSTR written;
    ReadParamPath(source->GetParamBlock(0), source->IdOf(0, L"fileName"), written);
    EXPECT_EQ(written, L"D:\\Other\\notes.txt");
    EXPECT_EQ(standalone::ExecutedScripts().size(), 1u);

    Show(L"bare.hdr");
    BrowseHdrFile(map, nullptr);
    EXPECT_EQ(lastRequest.initialFile, L"bare.hdr");
    EXPECT_EQ(lastRequest.initialFolder, L"");
    platform::SetOpenFileChooser(nullptr);
}
#endif

}  // namespace
