// The refresh after a source change: reload, notifications in order, and the restart of a
// running interactive render through the host's script engine.

#include "source/RenderRefresh.h"

#include "core/HostStrings.h"

#include "render/InteractiveRender.h"
#include "support/MapTestSupport.h"
#include "platform/Platform.h"

#include <algorithm>
#include <tuple>

namespace {

using testsupport::MessagesTo;
using testsupport::Notice;
using testsupport::RecordingDependent;

constexpr RefMessage kReloaded = 0xFFFF0001;  // markers of the test's own events
constexpr RefMessage kScriptRan = 0xFFFF0002;

/// A source map that writes its reloads into the shared log.
class LoggingSource : public testsupport::ConstantColorMap {
public:
    explicit LoggingSource(std::vector<Notice>& log)
        : ConstantColorMap(AColor(0.5f, 0.5f, 0.5f, 1)), log(log) {}
    int LoadMapFiles(TimeValue t) override {
        log.push_back({nullptr, this, kReloaded});
        return ConstantColorMap::LoadMapFiles(t);
    }
    std::vector<Notice>& log;
};

class RenderRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        standalone::ResetInteractiveRender();
        standalone::SetRendererModel({});
        map = testsupport::NewMapIn(scene);
        source = new LoggingSource(log);
        map->ReplaceReference(1, source);
        proxy = map->GetSubTexmap(1);
        mapWatcher = std::make_unique<RecordingDependent>(log, map);
        proxyWatcher = std::make_unique<RecordingDependent>(log, proxy);
        sourceWatcher = std::make_unique<RecordingDependent>(log, source);
        standalone::SetScriptObserver([this](const std::wstring&) {
            log.push_back({nullptr, nullptr, kScriptRan});
        });
        log.clear();
    }
    void TearDown() override { standalone::SetScriptObserver(nullptr); }

    /// One past the last message `who` received.
    size_t LastIndexOf(RecordingDependent* who) {
        auto last = std::find_if(log.rbegin(), log.rend(),
                                 [&](const Notice& n) { return n.receiver == who; });
        return size_t(log.rend() - last);
    }

    std::vector<Notice> log;
    standalone::SceneRoot scene;
    Zenithra* map = nullptr;
    LoggingSource* source = nullptr;
    Texmap* proxy = nullptr;
    std::unique_ptr<RecordingDependent> mapWatcher, proxyWatcher, sourceWatcher;
};

void ExpectEndsWithChangeThenChanged(const std::vector<RefMessage>& messages) {
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], REFMSG_CHANGE);
    EXPECT_EQ(messages.back(), REFMSG_SUBANIM_STRUCTURE_CHANGED);
}

TEST_F(RenderRefresh, ReloadAndNotificationsComeFirstAndOnlyARunningRenderIsRestarted) {
    // A stopped render is left alone and the slider does not move, but the script runs.
    RefreshAfterSourceChange(map, source, nullptr);
    standalone::InteractiveRenderState state = standalone::GetInteractiveRenderState();
    EXPECT_EQ(std::tuple(state.running, state.stops, state.sliderMoves.size()),
              std::tuple(false, 0, size_t{0}));
    EXPECT_EQ(log.back().message, kScriptRan);

    // Without a source map the map and its proxies are still told and the script still runs.
    log.clear();
    RefreshAfterSourceChange(map, nullptr, nullptr);
    ExpectEndsWithChangeThenChanged(MessagesTo(log, *proxyWatcher));

    log.clear();
    standalone::SetInteractiveRenderRunning(true);
    Interface* core = GetCOREInterface();
    core->SetTime(480);
    map->validity = FOREVER;
    RefreshAfterSourceChange(map, source, nullptr);

    EXPECT_TRUE(map->validity.Empty());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().message, kReloaded);
    EXPECT_EQ(log.back().message, kScriptRan);
    // The source's dependents hear the change first, then the map's, then the proxies'.
    EXPECT_EQ(MessagesTo(log, *sourceWatcher),
              (std::vector<RefMessage>{REFMSG_CHANGE, REFMSG_SUBANIM_STRUCTURE_CHANGED}));
    ExpectEndsWithChangeThenChanged(MessagesTo(log, *mapWatcher));
    ExpectEndsWithChangeThenChanged(MessagesTo(log, *proxyWatcher));
    EXPECT_LT(LastIndexOf(sourceWatcher.get()), LastIndexOf(mapWatcher.get()));
    EXPECT_LT(LastIndexOf(mapWatcher.get()), LastIndexOf(proxyWatcher.get()));

    std::vector<std::wstring> scripts = standalone::ExecutedScripts();
    ASSERT_EQ(scripts.size(), 3u);
    EXPECT_EQ(scripts.back(), IprRestartScript);
    state = standalone::GetInteractiveRenderState();
    EXPECT_EQ(std::tuple(state.running, state.stops, state.starts), std::tuple(true, 1, 1));
    EXPECT_EQ(state.sliderMoves, (std::vector<TimeValue>{480 + 160, 480}));
    EXPECT_EQ(core->GetTime(), 480);
    core->SetTime(0);
}

TEST_F(RenderRefresh, RenderersAnsweringByMethodOrWithTwoCountAsRunning) {
    standalone::RendererModel model;
    model.query = standalone::RendererModel::Query::Method;
    model.runningAnswer = L"2";
    model.pollsBeforeStopped = 100;  // never stops within the wait: started again anyway
    standalone::SetRendererModel(model);
    standalone::SetInteractiveRenderRunning(true);
    RefreshAfterSourceChange(map, source, nullptr);
    EXPECT_EQ(standalone::GetInteractiveRenderState().starts, 1);

    model.runningAnswer = L"yes";  // not a running answer
    standalone::SetRendererModel(model);
    RefreshAfterSourceChange(map, source, nullptr);
    EXPECT_EQ(standalone::GetInteractiveRenderState().starts, 1);
}

TEST(FrameBufferWindow, TitlesAreRecognisedByTheirWords) {
    for (const wchar_t* yes : {L"V-Ray Frame Buffer - [100% of 1920 x 1080]", L"VFB history",
                               L"vray frame buffer", L"My VFB"}) {
        EXPECT_TRUE(IsFrameBufferTitle(yes)) << platform::WideToUtf8(yes);
    }
    for (const wchar_t* no : {L"V Ray frame buffer", L"Frame Buffer", L"", L"v f b"}) {
        EXPECT_FALSE(IsFrameBufferTitle(no)) << platform::WideToUtf8(no);
    }
    // Only the first 511 characters of a title are read.
    EXPECT_TRUE(IsFrameBufferTitle(MakeMstr(std::wstring(508, L'x') + L"vfb")));
    EXPECT_FALSE(IsFrameBufferTitle(MakeMstr(std::wstring(509, L'x') + L"vfb")));
}

#if defined(_WIN32)
HWND FindFrameBuffer() {
    HWND found = nullptr;
    EnumWindows(FindFrameBufferWindowProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(FrameBufferWindow, EnumerationFindsTheVisibleFrameBufferAmongRealWindows) {
    auto open = [](const wchar_t* title) {
        return CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
    };
    // Hidden frame buffers are passed over.
    HWND hidden = open(L"V-Ray Frame Buffer - hidden");
    ASSERT_NE(hidden, nullptr) << "no display for real windows";
    EXPECT_EQ(FindFrameBuffer(), nullptr);
    HWND frameBuffer = open(L"VFB history");
    ShowWindow(frameBuffer, SW_SHOWNOACTIVATE);
    EXPECT_EQ(FindFrameBuffer(), frameBuffer);
    DestroyWindow(frameBuffer);
    DestroyWindow(hidden);
}
#endif

}  // namespace
