// Look development in the command-line tool, on the real environments of data/environments
// (1024 x 512, DWAB-compressed EXR), each command run as the program a user starts:
// - `zenithra render --spheres` against the same render without it (target: at most 1.10);
// - `zenithra sheet` over a folder against one `oiiotool` run per file writing a 256 x 128
//   thumbnail, per file (target: oiiotool's time over zenithra's above 1.0).

#include "BenchProcess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kThreads = 2;
// The folder for the sheet holds each real environment this many times, under its own names.
constexpr int kSheetCopies = 4;

using benchprocess::RunResult;
using benchprocess::RunWords;

struct LookDevSetup {
    fs::path folder;
    std::string zenithra;
    std::vector<fs::path> environments;
    fs::path library;  // kSheetCopies links to each environment
    std::string error;

    LookDevSetup() {
        folder = benchprocess::NewTemporaryFolder("zenithra-lookdev");
        if (folder.empty()) {
            error = "no temporary folder";
            return;
        }
        library = folder / "library";
        fs::create_directories(library);
        zenithra = benchprocess::ZenithraBesideBenchmark();
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(ZENITHRA_ENVIRONMENTS, ec)) {
            if (entry.path().extension() == ".exr") {
                environments.push_back(entry.path());
            }
        }
        std::sort(environments.begin(), environments.end());
        for (int copy = 0; copy < kSheetCopies; ++copy) {
            for (const fs::path& file : environments) {
                fs::create_symlink(
                    file, library / (std::to_string(copy) + "-" + file.filename().string()), ec);
            }
        }
        if (!fs::exists(zenithra)) {
            error = "no zenithra beside the benchmark";
        } else if (environments.empty()) {
            error = "no environments in " ZENITHRA_ENVIRONMENTS;
        } else if (std::system("command -v oiiotool > /dev/null") != 0) {
            error = "no oiiotool (Debian package openimageio-tools)";
        }
    }
    ~LookDevSetup() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

LookDevSetup& TheLookDevSetup() {
    static LookDevSetup setup;
    return setup;
}

// Each environment rendered (four slots, previews and the contact sheet) with and without
// --spheres, one right after the other and in turns first, so that both meet the same load on
// the machine.
void BM_SpheresOverPlainRender(benchmark::State& state) {
    LookDevSetup& s = TheLookDevSetup();
    if (!s.error.empty()) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    double plain = 0, spheres = 0, plainCpu = 0, spheresCpu = 0;
    int turn = 0;
    for (auto _ : state) {
        double iteration = 0;
        for (const fs::path& file : s.environments) {
            std::vector<std::string> words = {s.zenithra,
                                              "render",
                                              file.string(),
                                              "--threads",
                                              std::to_string(kThreads),
                                              "--quiet",
                                              "--out",
                                              (s.folder / "render").string()};
            std::vector<std::string> withSpheres = words;
            withSpheres.push_back("--spheres");
            bool spheresFirst = turn++ % 2 == 1;
            RunResult with = spheresFirst ? RunWords(withSpheres) : RunResult{};
            RunResult without = RunWords(words);
            with = spheresFirst ? with : RunWords(withSpheres);
            if (without.seconds < 0 || with.seconds < 0) {
                state.SkipWithError("zenithra render failed");
                return;
            }
            plain += without.seconds;
            spheres += with.seconds;
            plainCpu += without.cpuSeconds;
            spheresCpu += with.cpuSeconds;
            iteration += with.seconds;
        }
        state.SetIterationTime(iteration);
    }
    state.counters["plain_s"] = plain / double(state.iterations());
    state.counters["spheres_s"] = spheres / double(state.iterations());
    state.counters["spheres_over_plain"] = spheres / plain;
    // In processor time, which other work on a shared machine disturbs far less.
    state.counters["cpu_spheres_over_plain"] = spheresCpu / plainCpu;
}
BENCHMARK(BM_SpheresOverPlainRender)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The library folder as one sheet against a thumbnail per file from oiiotool.
void BM_SheetAgainstOiiotool(benchmark::State& state) {
    LookDevSetup& s = TheLookDevSetup();
    if (!s.error.empty()) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(s.library)) {
        files.push_back(entry.path());
    }
    double ours = 0, peer = 0, oursCpu = 0, peerCpu = 0;
    for (auto _ : state) {
        RunResult sheet = RunWords({s.zenithra, "sheet", s.library.string(), "--threads",
                                    std::to_string(kThreads), "--quiet", "--out",
                                    (s.folder / "sheet.png").string()});
        if (sheet.seconds < 0) {
            state.SkipWithError("zenithra sheet failed");
            return;
        }
        ours += sheet.seconds;
        oursCpu += sheet.cpuSeconds;
        for (const fs::path& file : files) {
            RunResult thumb =
                RunWords({"oiiotool", "--threads", std::to_string(kThreads), file.string(),
                          "--resize", "256x128", "-o", (s.folder / "thumb.png").string()});
            if (thumb.seconds < 0) {
                state.SkipWithError("oiiotool failed");
                return;
            }
            peer += thumb.seconds;
            peerCpu += thumb.cpuSeconds;
        }
        state.SetIterationTime(sheet.seconds);
    }
    double perFile = double(state.iterations()) * double(files.size());
    state.counters["files"] = double(files.size());
    state.counters["zenithra_ms_per_file"] = ours / perFile * 1e3;
    state.counters["oiiotool_ms_per_file"] = peer / perFile * 1e3;
    state.counters["oiiotool_over_zenithra"] = peer / ours;
    state.counters["cpu_oiiotool_over_zenithra"] = peerCpu / oursCpu;
}
BENCHMARK(BM_SheetAgainstOiiotool)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
