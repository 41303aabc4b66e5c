#include "support/MapTestSupport.h"

#include "core/ZenithraClassDesc.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <ranges>
#include <regex>

namespace testsupport {

// --- ConstantColorMap ----------------------------------------------------------------------

ReferenceTarget* ConstantColorMap::Clone(RemapDir& remap) {
    auto* copy = new ConstantColorMap(color);
    BaseClone(this, copy, remap);
    return copy;
}

AColor ConstantColorMap::EvalColor(ShadeContext&) {
    evaluations.fetch_add(1);
    return color;
}

int ConstantColorMap::LoadMapFiles(TimeValue) {
    loadMapFilesCalls.fetch_add(1);
    return 1;
}

// --- GatedColorMap -------------------------------------------------------------------------

AColor GatedColorMap::EvalColor(ShadeContext& sc) {
    AColor c = ConstantColorMap::EvalColor(sc);
    std::unique_lock<std::mutex> lock(mutex);
    ++entered;
    changed.notify_all();
    changed.wait_until(lock, reopensAt, [this] { return !closed; });
    return c;
}

void GatedColorMap::CloseGate() {
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    reopensAt = std::chrono::steady_clock::now() + maxHold;
}

void GatedColorMap::OpenGate() {
    std::lock_guard<std::mutex> lock(mutex);
    closed = false;
    changed.notify_all();
}

bool GatedColorMap::WaitUntilEntered(int count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return entered >= count; });
}

// --- RecordingDependent --------------------------------------------------------------------

std::vector<RefMessage> MessagesTo(const std::vector<Notice>& log, const ReferenceMaker& receiver) {
    auto heard = log |
                 std::views::filter([&](const Notice& n) { return n.receiver == &receiver; }) |
                 std::views::transform(&Notice::message);
    return {heard.begin(), heard.end()};
}

// --- Maps and slots ------------------------------------------------------------------------

Zenithra* NewMapIn(standalone::SceneRoot& scene) {
    auto* map = static_cast<Zenithra*>(static_cast<Texmap*>(GetZenithraDesc()->Create(FALSE)));
    scene.Add(map);
    return map;
}

ZenithraProxy* NewProxyIn(standalone::SceneRoot& scene) {
    auto* proxy =
        static_cast<ZenithraProxy*>(static_cast<Texmap*>(GetZenithraProxyDesc()->Create(FALSE)));
    scene.Add(proxy);
    return proxy;
}

void ResizeSlots(Zenithra& map, int count) {
    map.block->SetValue(pb_slotCount, 0, count);
    EnsureSlotTabs(map.block, count);
    map.FlushExposureCache(count);
}

void SetSlotFloat(Zenithra& map, ParamID id, int slot, float value) {
    ScopedAnimateMode off(false);
    map.block->SetValue(id, 0, value, slot);
}

void SetSlotColor(Zenithra& map, ParamID id, int slot, const Point4& value) {
    ScopedAnimateMode off(false);
    map.block->SetValue(id, 0, value, slot);
}

ScopedAnimateMode::ScopedAnimateMode(bool on) : wasOn(Animating() != 0) {
    on ? AnimateOn() : AnimateOff();
}

ScopedAnimateMode::~ScopedAnimateMode() {
    wasOn ? AnimateOn() : AnimateOff();
}

// --- Shading -------------------------------------------------------------------------------

standalone::EnvironmentSample SampleAt(float u, float v, TimeValue t) {
    standalone::EnvironmentSample sample(standalone::DirectionFromUV(u, v), t);
    sample.SetUVW(Point3(u, v, 0));
    return sample;
}

AColor EvalColorAt(Texmap& map, float u, float v, TimeValue t) {
    standalone::EnvironmentSample sample = SampleAt(u, v, t);
    return map.EvalColor(sample);
}

::testing::AssertionResult ColorNear(const AColor& actual, const AColor& expected,
                                     float tolerance) {
    const float a[4] = {actual.r, actual.g, actual.b, actual.a};
    const float e[4] = {expected.r, expected.g, expected.b, expected.a};
    for (int i = 0; i < 4; ++i) {
        if (!(std::fabs(a[i] - e[i]) <= tolerance * std::fmax(1.0f, std::fabs(e[i])))) {
            return ::testing::AssertionFailure()
                   << std::setprecision(9) << "got (" << a[0] << ", " << a[1] << ", " << a[2]
                   << ", " << a[3] << "), expected (" << e[0] << ", " << e[1] << ", " << e[2]
                   << ", " << e[3] << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// --- The diagnostic log --------------------------------------------------------------------

std::vector<LogRecord> ParseLog(const std::string& bytes) {
    // "[time] [T<thread>] <function> (<file>:<line>)", then " | <message>" when there is one.
    static const std::regex shape(R"(\[[^\]]*\] \[T\d+\] (.*) \(([^()]*):(-?\d+)\)(?: \| (.*))?)");
    std::vector<LogRecord> records;
    for (size_t begin = 0, end; begin < bytes.size(); begin = end + 2) {
        end = std::min(bytes.find("\r\n", begin), bytes.size());
        const std::string text = bytes.substr(begin, end - begin);
        std::smatch m;
        records.push_back(std::regex_match(text, m, shape)
                              ? LogRecord{m[1], m[2], std::stoi(m[3]), m[4], true}
                              : LogRecord{{}, {}, 0, text, false});
    }
    return records;
}

namespace {
std::mutex keptMutex;
size_t keptCount = 0;
}  // namespace
// Not static, so that the compiler keeps the stores the leak checker must see.
ReferenceTarget* keptObjects[16] = {};

void KeepReachable(ReferenceTarget* deliberatelyKept) {
    std::lock_guard<std::mutex> lock(keptMutex);
    keptObjects[keptCount++ % 16] = deliberatelyKept;
}

}  // namespace testsupport
