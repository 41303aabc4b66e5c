// The cost of finding the source map's rotation, which slot evaluation does on every sample:
// the full walk over the parameters' names and the planned lookup the map uses, on each kind of
// source map, against whole samples through a proxy over an EXR image.

#include "maps/BitmapMap.h"
#include "render/EnvironmentSample.h"
#include "maps/ProceduralSky.h"
#include "scene/StandaloneHost.h"
#include "maps/VRayBitmapMap.h"

#include "core/ZenithraClassDesc.h"
#include "platform/Platform.h"
#include "shading/Zenithra.h"
#include "source/MapRotation.h"

#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>

namespace {

enum SourceKind { kBitmap = 0, kVRayBitmap = 1, kSky = 2 };

// A 512 x 256 latitude-longitude EXR, written once into the temporary folder.
const std::wstring& ExrPath() {
    static const std::wstring path = [] {
        std::filesystem::path file = std::filesystem::temp_directory_path() / "zenithra-bench.exr";
        const int w = 512, h = 256;
        std::vector<float> pixels(size_t(w) * h * 3);
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = float(i % 977) / 97.0f;
        }
        auto out = OIIO::ImageOutput::create(file.string());
        out->open(file.string(), OIIO::ImageSpec(w, h, 3, OIIO::TypeDesc::HALF));
        out->write_image(OIIO::TypeDesc::FLOAT, pixels.data());
        out->close();
        return platform::WindowsPathOf(file);
    }();
    return path;
}

Texmap* MakeSource(SourceKind kind) {
    switch (kind) {
        case kBitmap: {
            Texmap* map = standalone::CreateBitmapMap();
            map->GetParamBlock(0)->SetValue(standalone::kBitmapFileName, 0, ExrPath().c_str());
            map->GetParamBlock(0)->SetValue(standalone::kBitmapUAngle, 0, 0.7f);
            return map;
        }
        case kVRayBitmap: {
            Texmap* map = standalone::CreateVRayBitmapMap();
            map->GetParamBlock(0)->SetValue(standalone::kVRayHdriMapName, 0, ExrPath().c_str());
            map->GetParamBlock(0)->SetValue(standalone::kVRayHorizontalRotation, 0, 40.0f);
            return map;
        }
        default:
            return standalone::CreateProceduralSky();
    }
}

const char* KindName(SourceKind kind) {
    return kind == kBitmap ? "Bitmap" : kind == kVRayBitmap ? "VRayBitmap" : "ProceduralSky";
}

void BM_FindMapRotationWalk(benchmark::State& state) {
    standalone::SceneRoot scene;
    Texmap* source = MakeSource(SourceKind(state.range(0)));
    scene.Add(source);
    float angle = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindMapRotation(source, 0, angle));
    }
    state.SetLabel(KindName(SourceKind(state.range(0))));
}

void BM_FindMapRotationPlanned(benchmark::State& state) {
    standalone::SceneRoot scene;
    Texmap* source = MakeSource(SourceKind(state.range(0)));
    scene.Add(source);
    std::unique_ptr<RotationPlan> plan(BuildRotationPlan(source));
    float angle = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindMapRotation(plan.get(), source, 0, angle));
    }
    state.SetLabel(KindName(SourceKind(state.range(0))));
}

std::vector<standalone::EnvironmentSample> Samples() {
    std::mt19937 random(99);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<standalone::EnvironmentSample> samples;
    for (int i = 0; i < 1024; ++i) {
        samples.emplace_back(standalone::DirectionFromUV(unit(random), unit(random)), 0);
    }
    return samples;
}

void BM_SourceEvalColor(benchmark::State& state) {
    standalone::SceneRoot scene;
    Texmap* source = MakeSource(SourceKind(state.range(0)));
    scene.Add(source);
    source->LoadMapFiles(0);
    auto samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(source->EvalColor(samples[i++ & 1023]));
    }
    state.SetLabel(KindName(SourceKind(state.range(0))));
}

void BM_EvalSlotColorThroughProxy(benchmark::State& state) {
    standalone::SceneRoot scene;
    auto* map = static_cast<Zenithra*>(static_cast<Texmap*>(GetZenithraDesc()->Create(FALSE)));
    scene.Add(map);
    map->SetSubTexmap(0, MakeSource(SourceKind(state.range(0))));
    map->SetSlotCount(2);
    map->block->SetValue(pb_slotSunSpotSize, 0, 5.0f, 1);
    map->block->SetValue(pb_slotContrast, 0, 120.0f, 1);
    Texmap* proxy = map->GetSubTexmap(2);
    Interval valid = FOREVER;
    map->Update(0, valid);
    auto samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(proxy->EvalColor(samples[i++ & 1023]));
    }
    state.SetLabel(KindName(SourceKind(state.range(0))));
}

BENCHMARK(BM_FindMapRotationWalk)->DenseRange(0, 2);
BENCHMARK(BM_FindMapRotationPlanned)->DenseRange(0, 2);
BENCHMARK(BM_SourceEvalColor)->DenseRange(0, 2);
BENCHMARK(BM_EvalSlotColorThroughProxy)->DenseRange(0, 2);

}  // namespace
