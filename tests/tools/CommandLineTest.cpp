// The tool's command line: what each form means, and a clear refusal of every malformed one. The
// refusals of slot values are in the tool's table of exit statuses.

#include "CommandLine.h"
#include "ToolScene.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <tuple>

namespace {

// The words of a command line, split at spaces.
std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

CommandLine Parse(const std::string& words) {
    CommandLine line;
    std::string error;
    EXPECT_TRUE(ParseCommandLine(Words(words), line, &error)) << words << ": " << error;
    return line;
}

TEST(CommandLine, CommandsOptionsAndWhatSceneMeans) {
    // The forms the golden images do not use (the source, slots, values, size, preview, quiet,
    // scene and spheres options are theirs).
    CommandLine none = Parse("");
    EXPECT_EQ(none.action, CommandLine::Action::Render);
    EXPECT_EQ(Parse("--help").action, CommandLine::Action::ShowHelp);
    EXPECT_EQ(Parse("render -h").action, CommandLine::Action::ShowRenderHelp);

    CommandLine full = Parse(
        "render sky.exr --source=vraybitmap --size 640x320 --threads 2 --half --compression=dwaa "
        "--per-sample");
    EXPECT_EQ(full.render.setup.sourceKind, SourceKind::VRayBitmap);
    EXPECT_EQ(full.render.threads, 2);
    EXPECT_EQ(full.render.sceneFileUse, SceneFileUse::None);
    EXPECT_TRUE(full.render.exrFormat.half && full.render.perSample);
    EXPECT_EQ(full.render.exrFormat.compression, ExrCompression::Dwaa);
    // By default 32-bit float PIZ, a row at a time.
    EXPECT_FALSE(none.render.exrFormat.half || none.render.perSample);
    EXPECT_EQ(none.render.exrFormat.compression, ExrCompression::Piz);
    EXPECT_EQ(Parse("--compression none").render.exrFormat.compression, ExrCompression::None);

    // A scene alone is loaded (the golden images load one, and save one with a source); with
    // slot values it is the scene to save.
    EXPECT_EQ(Parse("--scene s.zscene --set 1.slotHue=0.5").render.sceneFileUse,
              SceneFileUse::Save);
    EXPECT_FALSE(Parse("--preview none").render.previews);
    CommandLine info = Parse("info sky.exr --json");
    EXPECT_EQ(std::tie(info.action, info.info.image, info.info.json),
              std::tuple(CommandLine::Action::Info, "sky.exr", true));
    CommandLine sheet = Parse("sheet lib --out s.png --memory=512 --threads 3");
    EXPECT_EQ(std::tie(sheet.action, sheet.sheet.folder, sheet.sheet.output, sheet.sheet.threads),
              std::tuple(CommandLine::Action::Sheet, "lib", "s.png", 3));
    EXPECT_EQ(sheet.sheet.memoryBudgetBytes, 512u << 20);
    EXPECT_EQ(Parse("sheet -h").action, CommandLine::Action::ShowSheetHelp);

    // clang-format off
    for (const char* words :
         {"--slots", "--size 640", "--size 0x10", "--threads two", "--preview gif",
          "--source bitmap2 a.exr", "--source vraybitmap", "--source bitmap", "a.exr b.exr",
          "--quiet=yes", "--scene looks/", "--set 2slotExposure=1", "--set 0.slotExposure=1",
          "--set 17.slotExposure=1", "--set x.slotExposure=1", "--set 1.=1", "--compression b44",
          "--compression", "--half=1", "--spheres=1", "info", "info a.exr b.exr",
          "info --size 2x1 a.exr", "sheet", "sheet a b", "sheet --threads 0 a",
          "sheet --memory 1 a", "sheet --out a", "sheet --json a"}) {
        // clang-format on
        CommandLine line;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(Words(words), line, &error)) << words;
        EXPECT_FALSE(error.empty()) << words;
    }
}

}  // namespace
