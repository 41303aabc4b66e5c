// The per-sample cost of slot evaluation and of its parts: the colour arithmetic alone, the
// source map's own colour, and whole samples through a slot's proxy for maps of 1, 4 and 16
// slots, on one and two threads. Every benchmark walks a fixed set of directions over the whole
// sphere (a few of them inside the sun disc), one sample per iteration. A last row, "Ratios",
// sets the runs against each other so that a regression shows at a glance: a whole sample
// through a proxy over the sum of its parts (at most 1.10 is the target) and the throughput of
// two render threads over one (at least 1.8).

#include "render/EnvironmentSample.h"
#include "maps/ProceduralSky.h"

#include "ZenithraProxy.h"
#include "core/ZenithraClassDesc.h"
#include "shading/ColorAdjustment.h"
#include "shading/Zenithra.h"

#include <GetCOREInterface.h>
#include <maxapi.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kSampleCount = 1024;
constexpr TimeValue kTime = 0;

// A slot with every step of the arithmetic doing work. The sun disc sits at the procedural
// sky's own sun (azimuth 0 is u = 0.5, elevation 30 degrees).
AdjustmentParams RealisticParams() {
    AdjustmentParams p;
    p.exposure = 0.5f;
    p.contrast = 120.0f;
    p.saturation = 110.0f;
    p.hue = 0.1f;
    p.sunExposure = 1.0f;
    p.sunSpotSize = 5.0f;
    p.sunSpotHeight = 30.0f;
    p.tint = AColor(1.05f, 0.98f, 0.9f, 1.0f);
    p.sunTint = AColor(1.0f, 0.95f, 0.85f, 1.0f);
    return p;
}

// Directions spread evenly over the sphere, plus every 16th one aimed into the sun disc.
std::vector<standalone::EnvironmentSample> MakeSamples() {
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<standalone::EnvironmentSample> samples;
    samples.reserve(kSampleCount);
    for (int i = 0; i < kSampleCount; ++i) {
        Point3 d;
        if (i % 16 == 0) {
            // Within 2 degrees of the sun's centre at (u 0.5, 30 degrees up).
            float u = 0.5f + (unit(random) - 0.5f) * (4.0f / 360.0f);
            float v = (90.0f - 30.0f + (unit(random) - 0.5f) * 4.0f) / 180.0f;
            d = standalone::DirectionFromUV(u, v);
        } else {
            float z = 2.0f * unit(random) - 1.0f;
            float phi = 6.2831855f * unit(random);
            float r = std::sqrt(std::max(0.0f, 1.0f - z * z));
            d = Point3(r * std::cos(phi), r * std::sin(phi), z);
        }
        samples.emplace_back(d, kTime);
    }
    return samples;
}

std::vector<standalone::EnvironmentSample>& Samples() {
    static std::vector<standalone::EnvironmentSample> samples = MakeSamples();
    return samples;
}

// A map of `slotCount` slots over a procedural sky, every slot set to the realistic values,
// written through the block as the user interface writes them.
struct SlotScene {
    Zenithra* map = nullptr;
    Texmap* lastProxy = nullptr;

    explicit SlotScene(int slotCount) {
        map = static_cast<Zenithra*>(static_cast<Texmap*>(GetZenithraDesc()->Create(FALSE)));
        map->SetSubTexmap(0, standalone::CreateProceduralSky());
        IParamBlock2* block = map->block;
        AnimateSuspend noKeys;
        block->SetValue(pb_slotCount, 0, slotCount);
        EnsureSlotTabs(block, slotCount);
        map->SyncExposureCache(slotCount);
        const AdjustmentParams p = RealisticParams();
        for (int s = 0; s < slotCount; ++s) {
            block->SetValue(pb_slotContrast, 0, p.contrast, s);
            block->SetValue(pb_slotSaturation, 0, p.saturation, s);
            block->SetValue(pb_slotHue, 0, p.hue, s);
            block->SetValue(pb_slotSunExposure, 0, p.sunExposure, s);
            block->SetValue(pb_slotSunSpotSize, 0, p.sunSpotSize, s);
            block->SetValue(pb_slotSunSpotHeight, 0, p.sunSpotHeight, s);
            block->SetValue(pb_slotTint, 0, Point4(p.tint.r, p.tint.g, p.tint.b, p.tint.a), s);
            block->SetValue(pb_slotSunTint, 0,
                            Point4(p.sunTint.r, p.sunTint.g, p.sunTint.b, p.sunTint.a), s);
            map->SetSlotExposure(s, p.exposure);
        }
        map->FlushExposureCache(slotCount);
        lastProxy = map->GetSubTexmap(slotCount);
    }
};

// Maps live for the whole program: render threads of the multi-threaded runs share them.
SlotScene& SceneWithSlots(int slotCount) {
    static SlotScene one(1), four(4), sixteen(16);
    return slotCount == 1 ? one : (slotCount == 4 ? four : sixteen);
}

// A benchmark of a scene whose last slot does not hold the realistic values would time the
// wrong arithmetic.
bool LastSlotHoldsRealisticValues(int slotCount) {
    AdjustmentParams held = SceneWithSlots(slotCount).map->BuildAdjustmentParams(slotCount - 1, 0);
    AdjustmentParams want = RealisticParams();
    want.brightPix = held.brightPix;  // not set by the scene, not read by the arithmetic
    return AdjustmentParamsToFloats(held) == AdjustmentParamsToFloats(want);
}

// The colour arithmetic alone, over the source colours and positions of the sample set.
void BM_ApplyAdjustment(benchmark::State& state) {
    std::unique_ptr<Texmap, void (*)(Texmap*)> sky(standalone::CreateProceduralSky(),
                                                   [](Texmap* m) { m->DeleteThis(); });
    struct Input {
        AColor colour;
        float u, v;
    };
    std::vector<Input> inputs;
    for (standalone::EnvironmentSample& s : Samples()) {
        Point3 uvw = s.UVW(1);
        inputs.push_back({sky->EvalColor(s), uvw.x, uvw.y});
    }
    const AdjustmentParams p = RealisticParams();
    size_t i = 0;
    for (auto _ : state) {
        const Input& in = inputs[i];
        benchmark::DoNotOptimize(ApplyAdjustment(in.colour, p, in.u, in.v));
        i = (i + 1) % inputs.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ApplyAdjustment);

// The source map's own EvalColor: what every sample pays before any adjustment.
void BM_SourceEvalColor(benchmark::State& state) {
    std::unique_ptr<Texmap, void (*)(Texmap*)> sky(standalone::CreateProceduralSky(),
                                                   [](Texmap* m) { m->DeleteThis(); });
    std::vector<standalone::EnvironmentSample>& samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sky->EvalColor(samples[i]));
        i = (i + 1) % samples.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SourceEvalColor);

// Reading one slot's values from the block and the exposure cache (the tables already have the
// slot count's length, so nothing is written): the part of a sample between the two above.
void BM_BuildAdjustmentParams(benchmark::State& state) {
    SlotScene& scene = SceneWithSlots(int(state.range(0)));
    int slot = int(state.range(0)) - 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.map->BuildAdjustmentParams(slot, kTime));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildAdjustmentParams)->Arg(1)->Arg(4)->Arg(16);

// One read of the host's block as a render thread makes it, ten of which every sample makes:
// a float table entry and a colour table entry of the last of 4 slots.
void BM_BlockGetValueFloat(benchmark::State& state) {
    IParamBlock2* block = SceneWithSlots(4).map->block;
    for (auto _ : state) {
        float v = 0.0f;
        Interval valid = FOREVER;
        benchmark::DoNotOptimize(block->GetValue(pb_slotSaturation, kTime, v, valid, 3));
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BlockGetValueFloat);

void BM_BlockGetValuePoint4(benchmark::State& state) {
    IParamBlock2* block = SceneWithSlots(4).map->block;
    for (auto _ : state) {
        Point4 v;
        Interval valid = FOREVER;
        benchmark::DoNotOptimize(block->GetValue(pb_slotTint, kTime, v, valid, 3));
        benchmark::DoNotOptimize(v);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BlockGetValuePoint4);

// A whole sample of the last slot through its proxy, as a dome light asks for it.
void BM_EvalSlotColor(benchmark::State& state) {
    if (!LastSlotHoldsRealisticValues(int(state.range(0)))) {
        state.SkipWithError("the last slot does not hold the values it was given");
        return;
    }
    SlotScene& scene = SceneWithSlots(int(state.range(0)));
    std::vector<standalone::EnvironmentSample>& samples = Samples();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.lastProxy->EvalColor(samples[i]));
        i = (i + 1) % samples.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvalSlotColor)->Arg(1)->Arg(4)->Arg(16);

// The same on render threads sharing one map: evaluation takes no lock, so throughput should
// grow with the threads. Each thread starts at its own place in the sample set.
void BM_EvalSlotColorThreads(benchmark::State& state) {
    SlotScene& scene = SceneWithSlots(4);
    std::vector<standalone::EnvironmentSample> samples = Samples();  // a copy per thread
    size_t i = (size_t(state.thread_index()) * samples.size() / 2) % samples.size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(scene.lastProxy->EvalColor(samples[i]));
        i = (i + 1) % samples.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvalSlotColorThreads)->Threads(1)->Threads(2)->UseRealTime();

// The control for the one above: the source map alone shares nothing writable between threads,
// so it shows how far this machine scales without the evaluation guard's shared counters.
void BM_SourceEvalColorThreads(benchmark::State& state) {
    Texmap* sky = SceneWithSlots(4).map->sourceMap;
    std::vector<standalone::EnvironmentSample> samples = Samples();
    size_t i = (size_t(state.thread_index()) * samples.size() / 2) % samples.size();
    for (auto _ : state) {
        benchmark::DoNotOptimize(sky->EvalColor(samples[i]));
        i = (i + 1) % samples.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SourceEvalColorThreads)->Threads(1)->Threads(2)->UseRealTime();

// The floor that the map's evaluation count sets: one sequentially consistent increment and
// decrement per sample of a count that every render thread shares, with nothing else. On two
// threads its cache line moves between the cores at every step.
void BM_SharedEvalCountThreads(benchmark::State& state) {
    alignas(64) static std::atomic<int32_t> count{0};
    for (auto _ : state) {
        count.fetch_add(1);
        benchmark::ClobberMemory();
        count.fetch_sub(1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SharedEvalCountThreads)->Threads(1)->Threads(2)->UseRealTime();

// Reports every run as the console reporter does, keeping each one's samples per second; once
// all have run, adds the row of ratios computed from those same runs. With repetitions the
// ratios take each benchmark's median, which a machine shared with other work disturbs least.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, as the library's own console reporter.
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto rate = run.counters.find("items_per_second");
            if (run.error_occurred || rate == run.counters.end()) {
                continue;
            }
            if (run.run_type == Run::RT_Iteration) {
                samplesPerSecond[run.run_name.str()] = rate->second.value;
            } else if (run.aggregate_name == "median") {
                medianSamplesPerSecond[run.run_name.str()] = rate->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        Run ratios;
        ratios.run_name.function_name = "Ratios";
        for (const std::string slots : {"1", "4", "16"}) {
            const double parts = SecondsPerSample("BM_SourceEvalColor") +
                                 SecondsPerSample("BM_BuildAdjustmentParams/" + slots) +
                                 SecondsPerSample("BM_ApplyAdjustment");
            ratios.counters["proxy_over_parts/" + slots] =
                SecondsPerSample("BM_EvalSlotColor/" + slots) / parts;
        }
        // Throughput is samples per second over all threads: its ratio is that of the times.
        ratios.counters["threads2_over_1"] =
            SecondsPerSample("BM_EvalSlotColorThreads/real_time/threads:1") /
            SecondsPerSample("BM_EvalSlotColorThreads/real_time/threads:2");
        ConsoleReporter::ReportRuns({ratios});
        ConsoleReporter::Finalize();
    }

private:
    // NaN for a run that did not take place (filtered out or failed).
    double SecondsPerSample(const std::string& name) const {
        const auto& runs =
            medianSamplesPerSecond.count(name) ? medianSamplesPerSecond : samplesPerSecond;
        auto found = runs.find(name);
        return found == runs.end() || !(found->second > 0)
                   ? std::numeric_limits<double>::quiet_NaN()
                   : 1.0 / found->second;
    }

    std::map<std::string, double> samplesPerSecond;        // the last run of each
    std::map<std::string, double> medianSamplesPerSecond;  // of repeated runs
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
