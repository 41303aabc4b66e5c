// The command-line tool's render job: what it writes is true to the source, and bad input fails
// cleanly without leaving files that look complete.

#include "ReadBack.h"
#include "RenderJob.h"
#include "ToolScene.h"

#include "support/FileSizeLimit.h"
#include "support/TestDrive.h"
#include "support/TestImages.h"

#include <Imath/half.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <tuple>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A C: drive of the test's own for the plug-in's log, and its scratch folder for the files.
class RenderJobTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs::create_directories(folder)); }

    // Pixel (x, y) of the source: every pixel its own colour, a wide range of values.
    static testsupport::TestImage SourceImage(int width, int height) {
        return testsupport::ImageOf(width, height, [](int x, int y) {
            return testsupport::Rgb{0.05f + float(x) * 0.1f, 0.25f + float(y),
                                    float((x * 7 + y * 3) % 11) * 0.5f};
        });
    }

    fs::path WriteSource(const std::string& name, const testsupport::TestImage& image) {
        EXPECT_TRUE(testsupport::WriteImageFile(HostPathOf(folder / name), image));
        return folder / name;
    }

    RenderJobOptions Options(const fs::path& source, const std::string& out) {
        RenderJobOptions options;
        options.setup.sourceFile = source;
        options.outputFolder = folder / out;
        options.threads = 3;
        return options;
    }

    static std::set<std::string> FilesIn(const fs::path& dir) {
        std::set<std::string> names;
        std::error_code ec;
        for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
            names.insert(e.path().filename().string());
        }
        return names;
    }

    testsupport::ScopedTestDrive drive;
    const fs::path folder = testsupport::NativePath(drive.ScratchFolder());
};

TEST_F(RenderJobTest, ExrFilesInTheChosenPixelTypeAndCompression) {
    const fs::path file = WriteSource("source.exr", SourceImage(40, 20));
    std::vector<float> exact;  // the default's, 32-bit float PIZ, first
    const std::tuple<ExrCompression, bool, const char*> formats[] = {
        {ExrCompression::Piz, false, "piz"},
        {ExrCompression::Zip, true, "zip"},
        {ExrCompression::None, false, "none"},
        {ExrCompression::Dwaa, true, "dwaa"}};
    for (auto [compression, half, name] : formats) {
        SCOPED_TRACE(name);
        RenderJobOptions options = Options(file, std::string("out-") + name);
        options.previews = false;
        options.exrFormat = {compression, half};
        RenderJobResult result = RunRenderJob(options);
        ASSERT_TRUE(result.ok) << result.error;
        const ReadImage got = Read(options.outputFolder / "slot01.exr");
        EXPECT_EQ(got.format, half ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::FLOAT);
        EXPECT_EQ(got.compression, name);
        exact = exact.empty() ? got.pixels : exact;
        ASSERT_EQ(got.pixels.size(), exact.size());
        // Lossless files hold every value, rounded to the nearest half where asked; DWAA is lossy.
        for (size_t i = 0; compression != ExrCompression::Dwaa && i < exact.size(); ++i) {
            ASSERT_EQ(got.pixels[i], half ? float(Imath::half(exact[i])) : exact[i]) << i;
        }
    }
}

TEST_F(RenderJobTest, BrokenSourcesFailBeforeAnythingIsWritten) {
    fs::path good = WriteSource("good.exr", SourceImage(16, 8));
    std::string bytes = testsupport::ReadFileBytes(good);
    auto writeBytes = [&](const std::string& name, const std::string& content) {
        std::ofstream(folder / name, std::ios::binary) << content;
        return folder / name;
    };
    const std::pair<fs::path, const char*> cases[] = {
        {folder / "missing.exr", "no such file"},
        {writeBytes("noise.exr", std::string(4096, '\x5a')), "cannot read"},
        {writeBytes("truncated.exr", bytes.substr(0, bytes.size() - 200)), "cannot read"},
        {writeBytes("header-only.hdr", "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 8 +X 16\n"),
         "cannot read"},
        {writeBytes("picture.png", bytes), "not an .hdr or .exr"},
        {folder, "not a file"},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file.filename().string());
        RenderJobOptions options = Options(file, "out");
        options.sceneFileUse = SceneFileUse::Save;
        options.sceneFile = folder / "never.zscene";
        RenderJobResult result = RunRenderJob(options);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.error.find(reason), std::string::npos) << result.error;
        EXPECT_TRUE(FilesIn(folder / "out").empty());
        EXPECT_FALSE(fs::exists(options.sceneFile));
    }
}

TEST_F(RenderJobTest, UnwritableOutputLeavesNothingThatLooksComplete) {
    fs::path source = WriteSource("sky.exr", SourceImage(16, 8));
    // A folder where slot 2's image should go: the run fails after slot 1 was written, and
    // neither slot 1's files nor any temporary file stays.
    RenderJobOptions options = Options(source, "out");
    options.setup.slotCount = 3;
    fs::create_directories(options.outputFolder / "slot02.exr" / "inside");
    RenderJobResult result = RunRenderJob(options);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("slot02.exr"), std::string::npos) << result.error;
    EXPECT_EQ(FilesIn(options.outputFolder), std::set<std::string>{"slot02.exr"});
}

TEST_F(RenderJobTest, ExrRowsWrittenWhileRenderingHoldTheImageOrFailCleanly) {
    // Several bands of rows, written while the rows below them render on three threads: the
    // file holds exactly what the slot renders.
    fs::path source = WriteSource("tall.exr", SourceImage(64, 256));
    RenderJobOptions options = Options(source, "out");
    options.setup.slotCount = 2;
    options.setup.assignments = {{1, "slotSaturation", "40"}, {1, "slotHue", "0.2"}};
    RenderJobResult written = RunRenderJob(options);
    ASSERT_TRUE(written.ok) << written.error;
    ToolScene scene;
    std::string error;
    ASSERT_TRUE(scene.Build(options.setup, &error)) << error;
    for (int s = 0; s < 2; ++s) {
        standalone::LatLongImage rendered =
            standalone::RenderLatLong(*scene.SlotOutput(s), 64, 256, 0, 1);
        EXPECT_TRUE(std::ranges::equal(
            Read(options.outputFolder / (SlotFileStem(s) + ".exr")).pixels, rendered.rgb))
            << "slot " << s + 1;
    }

    // Files may not grow past 16 KiB: the first band fails to go out, and nothing of the job
    // stays.
    options.outputFolder = folder / "limited";
    RenderJobResult result;
    {
        testsupport::FileSizeLimit limit(16 * 1024);
        result = RunRenderJob(options);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("slot01.exr: cannot write"), std::string::npos) << result.error;
    EXPECT_TRUE(FilesIn(options.outputFolder).empty());
}

TEST_F(RenderJobTest, RunningOutOfMemoryFailsCleanly) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit would leave";
#else
    // A gibibyte more address space than the test has now; one 16384 x 16384 image needs three.
    rlim_t usedPages = 0;
    std::ifstream("/proc/self/statm") >> usedPages;  // the address space's size first
    ASSERT_GT(usedPages, 0u);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &before), 0);
    rlimit small = before;
    small.rlim_cur = usedPages * rlim_t(::sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &small), 0);
    RenderJobOptions options = Options({}, "out");
    options.width = options.height = 16384;
    RenderJobResult result = RunRenderJob(options);
    ::setrlimit(RLIMIT_AS, &before);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("not enough memory"), std::string::npos) << result.error;
    EXPECT_TRUE(FilesIn(options.outputFolder).empty());
#endif
}

}  // namespace
