// The renderer of latitude-longitude images hands finished rows to its caller while the rest
// still renders, and stops when the caller refuses them.

#include "render/LatLongRender.h"

#include "support/MapTestSupport.h"

#include <thread>

namespace {

// Each row its colour, never black. Slow once at the top row's first pixel, so that rows below it
// finish first; paced, it takes a millisecond for every row as well.
class RowColourMap : public testsupport::ConstantColorMap {
public:
    explicit RowColourMap(bool paced) : ConstantColorMap(AColor(0, 0, 0, 1)), paced(paced) {}
    AColor EvalColor(ShadeContext& sc) override {
        const float z = sc.V().z;
        if (z > kTopRowZ && !slowedOnce.exchange(true)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        } else if (paced && evaluations % 16 == 15) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ++evaluations;
        return AColor(z, 1.0f - z, 0.5f, 1.0f);
    }
    static constexpr float kTopRowZ = 0.995f;  // only the top row of a 32-row image is above
    const bool paced;
    std::atomic<bool> slowedOnce{false};
};

TEST(LatLongRender, RowsHandedOutAreFinalAndARefusalStopsTheRender) {
    RowColourMap map(false);
    standalone::PixelBuffer handedOut;
    int lastReady = 0;
    auto keepRows = [&](const standalone::LatLongImage& image, int ready) {
        EXPECT_GT(ready, lastReady);
        // A copy taken now must be what the finished image holds.
        handedOut.insert(handedOut.end(), image.rgb.begin() + lastReady * 16 * 3,
                         image.rgb.begin() + ready * 16 * 3);
        lastReady = ready;
        return true;
    };
    standalone::LatLongImage image = standalone::RenderLatLong(map, 16, 32, 0, 3, keepRows);
    EXPECT_EQ(lastReady, 32);
    EXPECT_EQ(handedOut, image.rgb);
    EXPECT_EQ(image.rgb, standalone::RenderLatLong(map, 16, 32, 0, 1).rgb);

    // After a refusal no more rows are handed out, and rows not begun stay black. A row takes a
    // millisecond, so the render is far from done when the first row is refused.
    RowColourMap paced(true);
    int calls = 0;
    standalone::LatLongImage partial = standalone::RenderLatLong(
        paced, 16, 512, 0, 1, [&](const standalone::LatLongImage&, int) { return ++calls < 0; });
    EXPECT_EQ(calls, 1);
    EXPECT_LT(paced.evaluations.load(), 16 * 512);
    EXPECT_GT(partial.rgb.front(), RowColourMap::kTopRowZ);
    EXPECT_EQ(partial.rgb.back(), 0.0f);
}

}  // namespace
