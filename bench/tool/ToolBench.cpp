// The command-line tool against the peer tool of the image library, like for like: both read the
// same 4096 x 2048 EXR on two threads and write 32-bit float, PIZ-compressed EXR (zenithra with
// no previews). One look (exposure +1 EV, saturation 50 percent) against one `oiiotool` run of
// the same two operations (target: oiiotool's time over zenithra's at least 1.0), and sixteen
// looks in one `zenithra render` against sixteen `oiiotool` runs (at least 1.3). Then the tool's
// throughput with previews and the contact sheet for maps of 1, 4 and 16 slots, its peak memory,
// and `zenithra --help` (under 20 ms). Both tools run as the programs a user starts, so reading,
// process start-up and writing are counted too.

#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

struct RunResult {
    double seconds = -1.0;    ///< negative when the command failed
    double cpuSeconds = 0.0;  ///< user and system time of all its threads
    double peakMegabytes = 0.0;
};

// Runs one command (words split at spaces; no shell, so that the peak memory is the program's
// own) with its output thrown away.
RunResult Run(const std::string& command) {
    std::vector<std::string> words;
    for (size_t at = 0; at < command.size();) {
        size_t end = command.find(' ', at);
        end = end == std::string::npos ? command.size() : end;
        if (end > at) {
            words.push_back(command.substr(at, end - at));
        }
        at = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    RunResult result;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    bool ran = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
               ::wait4(pid, &status, 0, &usage) == pid;
    posix_spawn_file_actions_destroy(&actions);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (ran && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        result.seconds = seconds;
        result.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
        auto toSeconds = [](const timeval& tv) { return double(tv.tv_sec) + tv.tv_usec * 1e-6; };
        result.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    }
    return result;
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
        RunResult ours = Run(zenithra);
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
        RunResult run = Run(command);
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
