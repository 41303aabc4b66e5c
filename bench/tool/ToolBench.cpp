// The command-line tool against the peer tool of the image library: `zenithra render` of one slot
// with exposure and saturation on a 4096 x 2048 EXR, and `oiiotool` applying the same two
// operations to the same file, both writing EXR on two threads; then the tool's throughput in
// megapixels of slot images per second for maps of 1, 4 and 16 slots. Both tools run as the
// programs a user starts, so reading, process start-up and writing are counted too.

#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 4096;
constexpr int kHeight = 2048;
constexpr int kThreads = 2;

// A sky-like HDR environment: a smooth gradient with fine detail and a small, very bright sun,
// so that compression has real work to do.
bool WriteSourceExr(const fs::path& file) {
    std::vector<float> rgb(size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        float v = (float(y) + 0.5f) / kHeight;
        for (int x = 0; x < kWidth; ++x) {
            float u = (float(x) + 0.5f) / kWidth;
            float detail = 0.05f * std::sin(u * 900.0f) * std::sin(v * 700.0f + u * 40.0f);
            float sky = v < 0.5f ? 0.4f + 1.2f * (0.5f - v) : 0.25f;
            float du = u - 0.3f, dv = v - 0.35f;
            float sun = du * du + dv * dv < 1e-5f ? 4000.0f : 0.0f;
            float* p = &rgb[(size_t(y) * kWidth + size_t(x)) * 3];
            p[0] = sky * 0.8f + detail + sun;
            p[1] = sky * 0.9f + detail + sun;
            p[2] = sky * 1.2f + detail + sun * 0.9f;
        }
    }
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create(file.string());
    OIIO::ImageSpec spec(kWidth, kHeight, 3, OIIO::TypeDesc::FLOAT);
    spec.attribute("compression", "zip");
    bool ok = out && out->open(file.string(), spec) &&
              out->write_image(OIIO::TypeDesc::FLOAT, rgb.data());
    return out && out->close() && ok;
}

struct Setup {
    fs::path folder;
    fs::path source;
    std::string zenithra;
    bool ok = false;
    std::string error;

    Setup() {
        std::string pattern = (fs::temp_directory_path() / "zenithra-tool-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            error = "no temporary folder";
            return;
        }
        folder = pattern;
        source = folder / "environment.exr";
        zenithra = (fs::read_symlink("/proc/self/exe").parent_path() / "zenithra").string();
        if (!fs::exists(zenithra)) {
            error = "no zenithra beside the benchmark";
        } else if (std::system("command -v oiiotool > /dev/null") != 0) {
            error = "no oiiotool (Debian package openimageio-tools)";
        } else if (!WriteSourceExr(source)) {
            error = "cannot write the source EXR";
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

// Seconds that one command took; negative when it failed.
double Run(const std::string& command) {
    auto start = std::chrono::steady_clock::now();
    int status = std::system((command + " > /dev/null 2>&1").c_str());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return status == 0 ? seconds : -1.0;
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

// One slot, exposure +1 EV and saturation 50 percent, against oiiotool's --mulc 2 --saturate 0.5
// on the same file. The time is zenithra's; the counters give both and their ratio (above 1:
// zenithra is faster). zenithra writes PIZ-compressed EXR; oiiotool keeps the input's ZIP unless
// told otherwise.
void BM_OneSlotAgainstOiiotool(benchmark::State& state, bool previews, const char* compression) {
    Setup& s = TheSetup();
    if (!s.ok) {
        state.SkipWithError(s.error.c_str());
        return;
    }
    std::string oiiotool = "oiiotool --threads " + std::to_string(kThreads) + " " +
                           s.source.string() + " --mulc 2 --saturate 0.5 " +
                           (compression ? std::string("--compression ") + compression : "") +
                           " -o " + (s.folder / "oiiotool-out.exr").string();
    std::string zenithra = ZenithraCommand(s, 1, previews ? "" : "--preview none");
    double oiiotoolTotal = 0, zenithraTotal = 0;
    for (auto _ : state) {
        double peer = Run(oiiotool);
        double ours = Run(zenithra);
        if (peer < 0 || ours < 0) {
            state.SkipWithError(peer < 0 ? "oiiotool failed" : "zenithra failed");
            return;
        }
        oiiotoolTotal += peer;
        zenithraTotal += ours;
        state.SetIterationTime(ours);
    }
    double n = double(state.iterations());
    state.counters["oiiotool_s"] = oiiotoolTotal / n;
    state.counters["zenithra_s"] = zenithraTotal / n;
    state.counters["oiiotool_over_zenithra"] = oiiotoolTotal / zenithraTotal;
}
BENCHMARK_CAPTURE(BM_OneSlotAgainstOiiotool, exr_only, false, nullptr)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_OneSlotAgainstOiiotool, exr_only_oiiotool_piz, false, "piz")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_OneSlotAgainstOiiotool, with_preview_and_sheet, true, nullptr)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

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
    double total = 0;
    for (auto _ : state) {
        double seconds = Run(command);
        if (seconds < 0) {
            state.SkipWithError("zenithra failed");
            return;
        }
        total += seconds;
        state.SetIterationTime(seconds);
    }
    double runs = double(state.iterations());
    state.counters["slot_megapixels_per_s"] = double(kWidth) * kHeight * slots * runs / total / 1e6;
    state.counters["seconds_per_slot"] = total / runs / slots;
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
