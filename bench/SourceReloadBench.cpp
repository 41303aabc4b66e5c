// What stepping a Bitmap through HDR files costs in memory: 20 different 1024 x 512 EXR files
// shown one after another while two render threads sample the map, as Previous/Next does
// during an interactive render. The run reports the resident memory (VmRSS) after the last file
// as a counter; it is a measurement of one run, not a timing. Beside it, what a render thread
// pays per sample to announce itself as a reader of published objects.

#include "maps/BitmapMap.h"
#include "maps/HdrSourceMap.h"
#include "render/EnvironmentSample.h"
#include "scene/Retirement.h"

#include "platform/Platform.h"

#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFileCount = 20;

// Resident memory of this process in MiB, from /proc/self/status.
double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return 0;
}

std::vector<std::wstring> WriteFiles() {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "zenithra-step-bench";
    std::filesystem::create_directories(folder);
    std::vector<std::wstring> paths;
    const int w = 1024, h = 512;
    std::vector<float> pixels(size_t(w) * h * 3);
    for (int f = 0; f < kFileCount; ++f) {
        std::filesystem::path file = folder / ("step" + std::to_string(f) + ".exr");
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = float((i + size_t(f) * 131) % 977) / 97.0f;
        }
        auto out = OIIO::ImageOutput::create(file.string());
        out->open(file.string(), OIIO::ImageSpec(w, h, 3, OIIO::TypeDesc::HALF));
        out->write_image(OIIO::TypeDesc::FLOAT, pixels.data());
        out->close();
        paths.push_back(L"Z:" + platform::Utf8ToWide(file.string()));
    }
    return paths;
}

void BM_StepThroughImageFiles(benchmark::State& state) {
    static const std::vector<std::wstring> files = WriteFiles();
    double before = ResidentMiB();
    for (auto _ : state) {
        Texmap* map = standalone::CreateBitmapMap();
        std::atomic<bool> stop{false};
        std::vector<std::thread> renderers;
        for (int r = 0; r < 2; ++r) {
            renderers.emplace_back([&, r] {
                for (int i = 0; !stop.load(std::memory_order_relaxed); ++i) {
                    float u = float((i * 37 + r * 11) % 1000) / 1000.0f;
                    standalone::EnvironmentSample sample(standalone::DirectionFromUV(u, 0.4f), 0);
                    benchmark::DoNotOptimize(map->EvalColor(sample));
                }
            });
        }
        for (const std::wstring& file : files) {
            map->GetParamBlock(0)->SetValue(standalone::kBitmapFileName, 0, file.c_str());
        }
        state.counters["VmRSS_MiB"] = ResidentMiB();
        state.counters["growth_MiB"] = ResidentMiB() - before;
        stop.store(true);
        for (std::thread& t : renderers) {
            t.join();
        }
        map->DeleteThis();
    }
}
BENCHMARK(BM_StepThroughImageFiles)->Iterations(1)->Unit(benchmark::kMillisecond);

// One outermost read section, as every sample of an image map opens one; on two threads each
// announces itself in a cache line of its own.
void BM_ReadSection(benchmark::State& state) {
    for (auto _ : state) {
        standalone::ReadSection reading;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadSection)->Threads(1)->Threads(2)->UseRealTime();

// The alternative it was chosen over: each sample taking a reference to the shown image through
// an atomic shared pointer, whose count every render thread writes.
void BM_AtomicSharedPointerLoad(benchmark::State& state) {
    static std::atomic<std::shared_ptr<const int>> shown{std::make_shared<const int>(1)};
    for (auto _ : state) {
        std::shared_ptr<const int> reading = shown.load(std::memory_order_acquire);
        benchmark::DoNotOptimize(*reading);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AtomicSharedPointerLoad)->Threads(1)->Threads(2)->UseRealTime();

}  // namespace
