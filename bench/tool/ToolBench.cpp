// The command-line tool against the peer tool of the image library, like for like, on a real
// photographed environment (data/environments, CC0) resized to 4096 x 2048 float: both read the
// same EXR on two threads and write 32-bit float, PIZ-compressed EXR (zenithra with no
// previews). One look (exposure +1 EV, saturation 50 percent) against one `oiiotool` run of the
// same two operations (target: oiiotool's time over zenithra's at least 1.2), and sixteen looks
// in one `zenithra render` against sixteen `oiiotool` runs (at least 2.0). Then the slot
// evaluation alone, without writing (at most 40 ns a pixel for that look on two threads; the
// figure for a look with contrast, hue and a sun disc, and both per sample, beside it), the
// tool's throughput with previews and the contact sheet for maps of 1, 4 and 16 slots, its peak
// memory, and `zenithra --help` (under 20 ms). The two tools run as the programs a user starts,
// so reading, process start-up and writing are counted too.

#include "BenchProcess.h"
#include "SlotRows.h"
#include "ToolScene.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using benchprocess::Run;
using benchprocess::RunResult;

constexpr int kWidth = 4096;
constexpr int kHeight = 2048;
constexpr int kThreads = 2;
// A city street by day: fine detail everywhere and a bright sky, as lighting artists' HDR images.
constexpr const char* kEnvironment = ZENITHRA_ENVIRONMENTS "/city.exr";

// The environment at the benchmark's size, in 32-bit floats.
bool WriteSourceExr(const fs::path& file) {
    OIIO::ImageBuf original(kEnvironment);
    OIIO::ImageSpec spec(kWidth, kHeight, 3, OIIO::TypeDesc::FLOAT);
    OIIO::ImageBuf resized(spec);
    if (!original.read(0, 0, 0, 3, true, OIIO::TypeDesc::FLOAT) ||
        !OIIO::ImageBufAlgo::resize(resized, original)) {
        return false;
    }
    resized.specmod().attribute("compression", "zip");
    return resized.write(file.string());
}

struct Setup {
    fs::path folder;
    fs::path source;
    std::string zenithra;
    bool ok = false;
    std::string error;

    Setup() {
        folder = benchprocess::NewTemporaryFolder("zenithra-tool-bench");
        if (folder.empty()) {
            error = "no temporary folder";
            return;
        }
        source = folder / "environment.exr";
        zenithra = benchprocess::ZenithraBesideBenchmark();
        if (!fs::exists(zenithra)) {
            error = "no zenithra beside the benchmark";
        } else if (std::system("command -v oiiotool > /dev/null") != 0) {
            error = "no oiiotool (Debian package openimageio-tools)";
        } else if (!WriteSourceExr(source)) {
            error = std::string("cannot resize ") + kEnvironment;
        } else {
            ok = true;
        }
    }
    ~Setup() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Setup& TheSetup() {
    static Setup setup;
    return setup;
}

std::string ZenithraCommand(const Setup& s, int slots, const std::string& extra) {
    std::string command = s.zenithra + " render " + s.source.string() + " --slots " +
                          std::to_string(slots) + " --threads " + std::to_string(kThreads) +
                          " --quiet --out " + (s.folder / "zenithra-out").string() + " " + extra;
    for (int slot = 1; slot <= slots; ++slot) {
        std::string n = std::to_string(slot);
        command += " --set " + n + ".slotExposure=1 --set " + n + ".slotSaturation=50";
    }
    return command;
}

std::string OiiotoolCommand(const Setup& s) {
    return "oiiotool --threads " + std::to_string(kThreads) + " " + s.source.string() +
           " --mulc 2 --saturate 0.5 -d float --compression piz -o " +
           (s.folder / "oiiotool-out.exr").string();
}

// `looks` looks in one zenithra run against as many oiiotool runs, side by side in each
// iteration. The time is zenithra's; the counters give both and their ratio (above 1: zenithra
// is faster).
void BM_LooksAgainstOiiotool(benchmark::State& state) {
    Setup& s = TheSetup();
    if (!s.ok) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    int looks = int(state.range(0));
    std::string zenithra = ZenithraCommand(s, looks, "--preview none");
    double oiiotoolTotal = 0, zenithraTotal = 0, oiiotoolCpu = 0, zenithraCpu = 0, peak = 0;
    for (auto _ : state) {
        for (int look = 0; look < looks; ++look) {
            RunResult peer = Run(OiiotoolCommand(s));
            if (peer.seconds < 0) {
                state.SkipWithError("oiiotool failed");
                return;
            }
            oiiotoolTotal += peer.seconds;
            oiiotoolCpu += peer.cpuSeconds;
        }
        RunResult ours = Run(zenithra, true);
        if (ours.seconds < 0) {
            state.SkipWithError("zenithra failed");
            return;
        }
        zenithraTotal += ours.seconds;
        zenithraCpu += ours.cpuSeconds;
        peak = std::max(peak, ours.peakMegabytes);
        state.SetIterationTime(ours.seconds);
    }
    double n = double(state.iterations());
    state.counters["oiiotool_s"] = oiiotoolTotal / n;
    state.counters["zenithra_s"] = zenithraTotal / n;
    state.counters["oiiotool_over_zenithra"] = oiiotoolTotal / zenithraTotal;
    // The same in processor time, which other work on a shared machine disturbs far less than
    // the elapsed time (not a target, a cross-check of the ratio above).
    state.counters["cpu_oiiotool_over_zenithra"] = oiiotoolCpu / zenithraCpu;
    state.counters["zenithra_peak_MB"] = peak;
}
BENCHMARK(BM_LooksAgainstOiiotool)
    ->Arg(1)
    ->Arg(16)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto toSeconds = [](const timeval& tv) { return double(tv.tv_sec) + tv.tv_usec * 1e-6; };
    return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}

// The looks of the evaluation rows: the one above, and one with contrast, hue and a sun disc,
// whose samples keep their powers, the hue's arithmetic and the sun's atan2 and acos.
std::vector<SlotAssignment> EvaluationLook(int look) {
    if (look == 0) {
        return {{0, "slotExposure", "1"}, {0, "slotSaturation", "50"}};
    }
    return {{0, "slotExposure", "1"},   {0, "slotSaturation", "50"}, {0, "slotContrast", "120"},
            {0, "slotHue", "0.2"},      {0, "slotSunSpotSize", "8"}, {0, "slotSunSpotHeight", "30"},
            {0, "slotSunExposure", "2"}};
}

// One slot of the environment rendered at its own size without writing it, in process on two
// threads: wall time per pixel. Arguments: the look (0, 1) and per sample (1) or by rows (0).
void BM_Evaluation(benchmark::State& state) {
    Setup& s = TheSetup();
    if (!s.ok) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    ToolScene scene;
    std::string error;
    SceneSetup setup;
    setup.sourceFile = s.source;
    setup.slotCount = 1;
    setup.assignments = EvaluationLook(int(state.range(0)));
    if (!scene.Build(setup, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    bool perSample = state.range(1) != 0;
    // Into storage already in use, as the tool renders every slot after its first: the time is
    // the evaluation's, not the page faults' of fresh memory.
    standalone::LatLongImage image = RenderSlotImage(*scene.Map(), 0, *scene.SlotOutput(0), kWidth,
                                                     kHeight, 0, kThreads, perSample);
    double total = 0, cpu = 0;
    for (auto _ : state) {
        double cpuStart = ProcessCpuSeconds();
        auto start = std::chrono::steady_clock::now();
        image = RenderSlotImage(*scene.Map(), 0, *scene.SlotOutput(0), kWidth, kHeight, 0, kThreads,
                                perSample, {}, std::move(image));
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += seconds;
        cpu += ProcessCpuSeconds() - cpuStart;
        state.SetIterationTime(seconds);
    }
    const double pixels = double(state.iterations()) * kWidth * kHeight;
    state.counters["ns_per_pixel"] = total / pixels * 1e9;
    // Processor time of all threads, which other work on a shared machine disturbs far less (not
    // a target: on two free cores the elapsed time is about half of it).
    state.counters["cpu_ns_per_pixel"] = cpu / pixels * 1e9;
}
BENCHMARK(BM_Evaluation)
    ->ArgNames({"look", "per_sample"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Start-up: the help text, which needs no image library at all.
void BM_Help(benchmark::State& state) {
    Setup& s = TheSetup();
    for (auto _ : state) {
        RunResult run = Run(s.zenithra + " --help");
        if (run.seconds < 0) {
            state.SkipWithError("zenithra --help failed");
            return;
        }
        state.SetIterationTime(run.seconds);
    }
}
BENCHMARK(BM_Help)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// Every slot with exposure and saturation, rendered at the source's own 4096 x 2048 and written
// with previews and the contact sheet: megapixels of slot images per second, and seconds a slot.
void BM_SlotThroughput(benchmark::State& state) {
    Setup& s = TheSetup();
    if (!s.ok) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    int slots = int(state.range(0));
    std::string command = ZenithraCommand(s, slots, "");
    double total = 0, peak = 0;
    for (auto _ : state) {
        RunResult run = Run(command, true);
        if (run.seconds < 0) {
            state.SkipWithError("zenithra failed");
            return;
        }
        total += run.seconds;
        peak = std::max(peak, run.peakMegabytes);
        state.SetIterationTime(run.seconds);
    }
    double runs = double(state.iterations());
    state.counters["slot_megapixels_per_s"] = double(kWidth) * kHeight * slots * runs / total / 1e6;
    state.counters["seconds_per_slot"] = total / runs / slots;
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_SlotThroughput)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
