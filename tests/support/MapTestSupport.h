#pragma once
// Doubles and helpers for the tests of the Zenithra map and its proxies: source maps of one
// known colour (one of them able to hold its evaluations), a dependent that records what it is
// told, slot editing as the slot operations do it, and the diagnostic log read back as records.
// It brings in the map, its proxy, the standalone host and GoogleTest for the tests that use it.

#include "ZenithraProxy.h"
#include "shading/Zenithra.h"

#include "render/EnvironmentSample.h"
#include "scene/StandaloneHost.h"
#include "support/TestTexmap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

/// The colour the tests' constant sources give, and what a refused or sourceless sample gives.
inline const AColor kSource(0.5f, 0.25f, 1.0f, 0.3f);
inline const AColor kOpaqueBlack(0, 0, 0, 1);

/// A source map that is one colour everywhere. It counts its colour evaluations and its
/// LoadMapFiles calls, and clones into another map of the same colour.
class ConstantColorMap : public TestTexmap {
public:
    explicit ConstantColorMap(AColor color) : color(color) {}

    void GetClassName(MSTR& s, bool = true) const override { s = L"ConstantColorMap"; }
    Class_ID ClassID() override { return Class_ID(0x7E570001, 0x00000001); }
    ReferenceTarget* Clone(RemapDir& remap) override;
    AColor EvalColor(ShadeContext&) override;
    int LoadMapFiles(TimeValue) override;

    const AColor color;
    std::atomic<int> evaluations{0};
    std::atomic<int> loadMapFilesCalls{0};
};

/// A constant source whose evaluations can be held at a gate. While the gate is closed, every
/// EvalColor waits until it is opened, or until `maxHold` after it was closed, so that a faulty
/// teardown makes a test fail instead of hanging it.
class GatedColorMap : public ConstantColorMap {
public:
    GatedColorMap(AColor color, std::chrono::milliseconds maxHold)
        : ConstantColorMap(color), maxHold(maxHold) {}

    AColor EvalColor(ShadeContext& sc) override;

    void CloseGate();
    void OpenGate();
    /// True once at least `count` evaluations have reached the gate; false after `timeout`.
    bool WaitUntilEntered(int count, std::chrono::milliseconds timeout);

private:
    const std::chrono::milliseconds maxHold;
    std::mutex mutex;
    std::condition_variable changed;
    bool closed = false;
    std::chrono::steady_clock::time_point reopensAt;
    int entered = 0;
};

/// One message received by a RecordingDependent.
struct Notice {
    ReferenceMaker* receiver;
    ReferenceTarget* sender;
    RefMessage message;
    PartID part = PART_ALL;
};

/// A dependent (not itself a target) that references one target and appends every message it
/// receives to a log shared with other recorders, so that the order across them shows.
class RecordingDependent : public ReferenceMaker {
public:
    RecordingDependent(std::vector<Notice>& log, ReferenceTarget* target) : log(log) {
        ReplaceReference(0, target);
    }
    ~RecordingDependent() override { DeleteAllRefsFromMe(); }

    SClass_ID SuperClassID() override { return 0; }
    int NumRefs() override { return 1; }
    ReferenceTarget* GetReference(int i) override { return i == 0 ? target : nullptr; }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID& part,
                               RefMessage message, BOOL) override {
        log.push_back({this, hTarget, message, part});
        return REF_SUCCEED;
    }

protected:
    void SetReference(int i, ReferenceTarget* t) override { target = i == 0 ? t : target; }

private:
    std::vector<Notice>& log;
    ReferenceTarget* target = nullptr;
};

/// The messages `receiver` got, in order.
std::vector<RefMessage> MessagesTo(const std::vector<Notice>& log, const ReferenceMaker& receiver);

/// A Zenithra made by its class descriptor, as the host makes one, held by `scene`.
Zenithra* NewMapIn(standalone::SceneRoot& scene);
/// A proxy made by its class descriptor (unlinked, slot 0), held by `scene`.
ZenithraProxy* NewProxyIn(standalone::SceneRoot& scene);

/// Sets the slot count at time 0 and brings the tables and the exposure cache to that length,
/// as the slot operations do.
void ResizeSlots(Zenithra& map, int count);
/// Writes one slot's table entry at time 0 with animate mode off.
void SetSlotFloat(Zenithra& map, ParamID id, int slot, float value);
void SetSlotColor(Zenithra& map, ParamID id, int slot, const Point4& value);

/// A Zenithra held by a scene of the test's own, and its block's slot tables read at time t.
class MapFixture : public ::testing::Test {
protected:
    float Float(ParamID id, int slot, TimeValue t = 0) { return Read(id, slot, t, -999.0f); }
    Point4 Colour(ParamID id, int slot, TimeValue t = 0) {
        return Read(id, slot, t, Point4(-999, -999, -999, -999));
    }
    template <typename Value>
    Value Read(ParamID id, int slot, TimeValue t, Value value) {
        Interval valid = FOREVER;
        EXPECT_TRUE(map->block->GetValue(id, t, value, valid, slot)) << id << " slot " << slot;
        return value;
    }

    standalone::SceneRoot scene;
    Zenithra* map = NewMapIn(scene);
};

/// Animate mode as given while it lives, restored afterwards.
class ScopedAnimateMode {
public:
    explicit ScopedAnimateMode(bool on);
    ~ScopedAnimateMode();
    ScopedAnimateMode(const ScopedAnimateMode&) = delete;
    ScopedAnimateMode& operator=(const ScopedAnimateMode&) = delete;

private:
    bool wasOn;
};

/// An environment sample at time t whose map coordinates are exactly (u, v).
standalone::EnvironmentSample SampleAt(float u, float v, TimeValue t = 0);
AColor EvalColorAt(Texmap& map, float u, float v, TimeValue t = 0);

/// Compares red, green, blue and alpha with a tolerance relative to the expected value (and
/// absolute below 1).
::testing::AssertionResult ColorNear(const AColor& actual, const AColor& expected,
                                     float tolerance = 2e-6f);

/// One line of the diagnostic log.
struct LogRecord {
    std::string function;
    std::string file;
    int line = 0;
    std::string message;
    bool wellFormed = false;
};
/// The log's lines (each ended by CR LF) in file order.
std::vector<LogRecord> ParseLog(const std::string& bytes);

/// Keeps an object that the product deliberately never frees reachable, so that the leak
/// checker does not report it.
void KeepReachable(ReferenceTarget* deliberatelyKept);

}  // namespace testsupport
