// Deleting a map while render threads evaluate it and its proxies. Built and run under
// ThreadSanitizer and AddressSanitizer as well: a sample that touches a freed map, or a read
// that races with a write, fails there.

#include "core/ZenithraClassDesc.h"
#include "shading/MapReaders.h"
#include "support/MapTestSupport.h"
#include "support/TestDrive.h"

#include <algorithm>
#include <array>
#include <thread>
#include <tuple>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using namespace testsupport;

// Slot 0 with exposure 1: the source doubled.
const AColor kDoubled(1.0f, 0.5f, 2.0f, 1);

// Bounds the waits of a test that goes wrong, so that it fails instead of hanging.
constexpr auto kPatience = 5s;

Zenithra* NewUnheldMap() {
    return static_cast<Zenithra*>(static_cast<Texmap*>(GetZenithraDesc()->Create(FALSE)));
}

template <typename Condition>
bool WaitFor(Condition condition) {
    const auto deadline = Clock::now() + kPatience;
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// What one render thread saw.
struct RenderTally {
    std::atomic<int> evaluations{0};
    std::atomic<int> afterDelete{0};
    int wrongBeforeDeletion = 0;  // not the doubled source although deletion had not begun
    int notBlackAfterDelete = 0;  // a colour from a map that was already deleted
};

/// A map whose slot 0 doubles a gated source, its slot 0 proxy held by the scene's lights, and
/// one sample of the map running on its own thread until the gate opens.
struct HeldSample {
    HeldSample() {
        lights.Add(gated);  // outlives the map, so that the test can look at it afterwards
        map->ReplaceReference(1, gated);
        map->SetSlotExposure(0, 1.0f);
        proxy = static_cast<ZenithraProxy*>(map->GetSubTexmap(1));
        lights.Add(proxy);
        gated->CloseGate();
        renderer = std::jthread([this] {
            held = Sample(*map);
            finished.store(true);
        });
    }
    static AColor Sample(Texmap& texmap) { return EvalColorAt(texmap, 0.3f, 0.6f); }

    standalone::SceneRoot lights;
    GatedColorMap* gated = new GatedColorMap(kSource, kPatience);
    Zenithra* map = NewUnheldMap();
    ZenithraProxy* proxy = nullptr;
    AColor held;
    std::atomic<bool> finished{false};
    std::jthread renderer;  // last, so that it is joined before anything it uses goes
};

}  // namespace

TEST(MapTeardownTest, RenderThreadsSurviveDeletionOfTheMap) {
    ScopedTestDrive drive;         // unlinked proxies log every sample
    standalone::SceneRoot lights;  // holds the proxies, so that they outlive the map
    Zenithra* map = NewUnheldMap();
    map->ReplaceReference(1, new ConstantColorMap(kSource));
    ResizeSlots(*map, 3);
    map->SetSlotExposures({1.0f, 1.0f, 1.0f}, 3);  // every slot doubles the source
    map->GetSubTexmap(3);
    const std::vector<ZenithraProxy*> proxies(map->slotProxies, map->slotProxies + 3);
    for (ZenithraProxy* proxy : proxies) {
        lights.Add(proxy);
    }

    std::atomic<bool> directAllowed{true}, deletionBegun{false}, deleteReturned{false};
    std::atomic<int> stoppedDirect{0};
    std::array<RenderTally, 4> tallies;
    std::vector<std::jthread> renderers;  // stopped and joined on every way out
    for (int r = 0; r < 4; ++r) {
        renderers.emplace_back([&, r](std::stop_token stop) {
            RenderTally& tally = tallies[size_t(r)];
            bool direct = true;
            for (int n = 0; !stop.stop_requested(); ++n) {
                if (direct && !directAllowed.load()) {
                    direct = false;  // from here on the map itself is never called again
                    stoppedDirect.fetch_add(1);
                }
                const bool afterDelete = deleteReturned.load();
                AColor c = HeldSample::Sample(direct && n % 4 == 0 ? static_cast<Texmap&>(*map)
                                                                   : *proxies[size_t(n + r) % 3]);
                // Read after the sample: still false means the sample ended before DeleteThis
                // began.
                const bool deletionStarted = deletionBegun.load();
                const bool black = c == kOpaqueBlack;
                if (afterDelete) {
                    tally.notBlackAfterDelete += black ? 0 : 1;
                    tally.afterDelete.fetch_add(1);
                } else if (!(black && deletionStarted)) {
                    tally.wrongBeforeDeletion += ColorNear(c, kDoubled) ? 0 : 1;
                }
                tally.evaluations.fetch_add(1);
            }
            if (direct) {
                stoppedDirect.fetch_add(1);
            }
        });
    }
    auto everyRenderer = [&](std::atomic<int> RenderTally::*counter, int atLeast) {
        return std::all_of(tallies.begin(), tallies.end(),
                           [&](RenderTally& t) { return (t.*counter).load() >= atLeast; });
    };

    // Each renderer samples a fair amount before the map goes.
    EXPECT_TRUE(WaitFor([&] { return everyRenderer(&RenderTally::evaluations, 200); }));

    // The renderers stop calling the map itself (only the scene's proxies outlive it), then
    // the map goes while they keep sampling its proxies.
    directAllowed.store(false);
    ASSERT_TRUE(WaitFor([&] { return stoppedDirect.load() == 4; }));
    deletionBegun.store(true);
    map->DeleteThis();
    deleteReturned.store(true);
    EXPECT_TRUE(WaitFor([&] { return everyRenderer(&RenderTally::afterDelete, 20); }));
    renderers.clear();

    for (const RenderTally& t : tallies) {
        EXPECT_EQ(std::pair(t.wrongBeforeDeletion, t.notBlackAfterDelete), std::pair(0, 0))
            << "renderer " << (&t - tallies.data());
    }
}

TEST(MapTeardownTest, DeleteThisWaitsForARunningSampleAndRefusesNewOnes) {
    ScopedTestDrive drive;
    HeldSample h;
    ASSERT_TRUE(h.gated->WaitUntilEntered(1, kPatience));
    std::atomic<bool> deleteCalled{false}, deleteReturned{false};
    // What the latecomer saw.
    int refusedDirect = 0, refusedThroughProxy = 0, sourceEvaluations = 0;
    bool deleteHadReturned = true;
    std::jthread latecomer([&] {
        // DeleteThis sets the flag before it starts waiting; the held sample keeps the map
        // alive until this thread opens the gate, and after that it touches the map no more.
        WaitFor([&] { return deleteCalled.load() && h.map->tearingDown.load(); });
        const int before = h.gated->evaluations.load();
        for (int i = 0; i < 50; ++i) {
            refusedDirect += HeldSample::Sample(*h.map) == kOpaqueBlack ? 1 : 0;
            refusedThroughProxy += HeldSample::Sample(*h.proxy) == kOpaqueBlack ? 1 : 0;
        }
        sourceEvaluations = h.gated->evaluations.load() - before;
        // Time in which a DeleteThis that did not wait would have returned.
        std::this_thread::sleep_for(50ms);
        deleteHadReturned = deleteReturned.load();
        h.gated->OpenGate();
    });
    deleteCalled.store(true);
    h.map->DeleteThis();
    deleteReturned.store(true);
    latecomer.join();
    h.renderer.join();

    EXPECT_FALSE(deleteHadReturned);
    EXPECT_EQ(std::tuple(refusedDirect, refusedThroughProxy, sourceEvaluations),
              std::tuple(50, 50, 0));
    // The sample that was running finished with the slot's values.
    EXPECT_TRUE(ColorNear(h.held, kDoubled));
    EXPECT_EQ(h.gated->evaluations.load(), 1);

    EXPECT_EQ(HeldSample::Sample(*h.proxy), kOpaqueBlack);
    GetCOREInterface()->SetTime(160);  // the map's time-change callback went with it
    GetCOREInterface()->SetTime(0);
}

TEST(MapTeardownTest, DeleteThisGivesUpAfterAboutTwoSecondsAndTheSlowSampleStillFinishes) {
    HeldSample h;
    ASSERT_TRUE(h.gated->WaitUntilEntered(1, kPatience));
    const auto start = Clock::now();
    h.map->DeleteThis();
    const auto waited = Clock::now() - start;
    // 2000 polls 1 ms apart, at the least; the held sample, at most.
    EXPECT_FALSE(h.finished.load());
    EXPECT_GE(waited, 1500ms);
    EXPECT_EQ(h.proxy->master.load(), nullptr);

    h.gated->OpenGate();
    h.renderer.join();
    // The sample finished on live objects with the slot's values.
    EXPECT_TRUE(ColorNear(h.held, kDoubled));
    // The map is unlinked but kept: it refuses every later sample without reaching its source.
    EXPECT_EQ(HeldSample::Sample(*h.map), kOpaqueBlack);
    EXPECT_EQ(h.gated->evaluations.load(), 1);
    KeepReachable(h.map);
}

// The window between a proxy's read of its master and the master's own evaluation count: a
// thread that announced a map holds off its freeing until it lets go, a nested announcement
// gives back the outer one, and a master already taken out is never given. The maps are
// stand-in addresses; nothing here dereferences them.
TEST(MapTeardownTest, AMapReadFromAProxyIsFreedOnlyAfterTheReaderLetsGo) {
    int a = 0, b = 0;
    Zenithra* mapA = reinterpret_cast<Zenithra*>(&a);
    Zenithra* mapB = reinterpret_cast<Zenithra*>(&b);
    std::atomic<Zenithra*> masterOfP{mapA}, masterOfQ{mapB};
    std::atomic<bool> announced{false}, release{false};

    std::jthread reader([&] {
        MapReaders::Announcement readingA(masterOfP);
        EXPECT_EQ(readingA.Map(), mapA);
        {
            MapReaders::Announcement readingB(masterOfQ);
            EXPECT_EQ(readingB.Map(), mapB);
        }
        announced = true;
        WaitFor([&] { return release.load(); });
    });
    ASSERT_TRUE(WaitFor([&] { return announced.load(); }));

    masterOfP = nullptr;  // map A goes: taken out of its proxy first
    EXPECT_EQ(MapReaders::Announcement(masterOfP).Map(), nullptr);
    MapReaders::WaitUntilUnannounced(mapB);  // the nested reader let go of B already

    std::atomic<bool> freed{false};
    std::jthread freeing([&] {
        MapReaders::WaitUntilUnannounced(mapA);
        freed = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(freed) << "map A was freed while a reader still held it";
    release = true;
    reader.join();
    freeing.join();
    EXPECT_TRUE(freed);
}
