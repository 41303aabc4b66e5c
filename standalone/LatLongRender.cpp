#include "LatLongRender.h"

#include "EnvironmentSample.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace standalone {

LatLongImage RenderLatLong(Texmap& map, int width, int height, TimeValue t, int threads) {
    LatLongImage image;
    image.width = std::max(width, 1);
    image.height = std::max(height, 1);
    image.rgb.assign(size_t(image.width) * size_t(image.height) * 3, 0.0f);
    std::atomic<int> nextRow{0};
    auto work = [&] {
        for (int y = nextRow++; y < image.height; y = nextRow++) {
            for (int x = 0; x < image.width; ++x) {
                float u = (float(x) + 0.5f) / float(image.width);
                float v = (float(y) + 0.5f) / float(image.height);
                EnvironmentSample sample(DirectionFromUV(u, v), t);
                AColor c = map.EvalColor(sample);
                float* out = &image.rgb[(size_t(y) * size_t(image.width) + size_t(x)) * 3];
                out[0] = c.r;
                out[1] = c.g;
                out[2] = c.b;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int i = 1; i < std::max(threads, 1); ++i) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& th : pool) {
        th.join();
    }
    return image;
}

}  // namespace standalone
