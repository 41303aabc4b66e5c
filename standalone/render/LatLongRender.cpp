#include "render/LatLongRender.h"

#include "render/EnvironmentSample.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <thread>

namespace standalone {

namespace {

constexpr double kPi = std::numbers::pi;

// The angles are taken in double precision, so that the float direction is the pixel centre's
// direction rounded once and the source maps' float lookup lands on the centre within a
// rounding error.

// phi = 2 pi (u - 0.25): LatLongPosition gives an unrotated map u = atan2(x, -y) / 2 pi + 0.25.
double ColumnAngle(int column, int width) {
    return 2.0 * kPi * ((double(column) + 0.5) / double(width) - 0.25);
}

// theta = pi v, from the zenith.
double RowAngle(int row, int height) {
    return kPi * (double(row) + 0.5) / double(height);
}

// Renders every row of `image` with `renderRow` on `threads` render threads while the calling
// thread hands finished rows to `rowsReady`.
template <class RowRenderer>
void RenderRowsOf(LatLongImage& image, int threads, const LatLongRowsReady& rowsReady,
                  const RowRenderer& renderRow) {
    // Rows are handed out top first; the lock is taken once per finished row, outside the
    // samples, to find how far the finished rows reach from the top.
    std::atomic<int> nextRow{0};
    std::atomic<bool> stop{false};
    std::mutex rowsMutex;
    std::condition_variable rowFinished;
    std::vector<bool> finished(size_t(image.height), false);
    int ready = 0;
    auto work = [&] {
        for (int y = nextRow++; y < image.height && !stop.load(); y = nextRow++) {
            renderRow(y);
            std::lock_guard<std::mutex> lock(rowsMutex);
            finished[size_t(y)] = true;
            if (y == ready) {
                while (ready < image.height && finished[size_t(ready)]) {
                    ++ready;
                }
                rowFinished.notify_one();
            }
        }
    };
    {
        struct Pool {
            std::atomic<bool>& stop;
            std::vector<std::thread> threads;
            // However the caller's loop ends, every render thread has stopped before the image
            // is handed back.
            ~Pool() {
                stop = true;
                for (std::thread& th : threads) {
                    th.join();
                }
            }
        } pool{stop, {}};
        for (int i = 0; i < std::max(threads, 1); ++i) {
            pool.threads.emplace_back(work);
        }
        std::unique_lock<std::mutex> lock(rowsMutex);
        for (int handed = 0; handed < image.height;) {
            rowFinished.wait(lock, [&] { return ready > handed; });
            handed = ready;
            lock.unlock();
            bool more = !rowsReady || rowsReady(image, handed);
            lock.lock();
            if (!more) {
                stop = true;  // no row begins after the refusal
                break;
            }
        }
    }
    // The image grew unset; rows never begun show black.
    for (int y = 0; y < image.height; ++y) {
        if (!finished[size_t(y)]) {
            std::fill_n(&image.rgb[size_t(y) * size_t(image.width) * 3], size_t(image.width) * 3,
                        0.0f);
        }
    }
}

// A width x height image (at least 1 x 1) of `map`'s colours: `rowSamples(y)` gives, once per
// row, the shading sample of each column x of that row.
template <class RowSamples>
LatLongImage RenderImage(Texmap& map, int width, int height, int threads,
                         const LatLongRowsReady& rowsReady, LatLongImage&& recycled,
                         const RowSamples& rowSamples) {
    width = std::max(width, 1);
    auto renderRow = [&](int y, float* out) {
        auto sampleAt = rowSamples(y);
        for (int x = 0; x < width; ++x) {
            EnvironmentSample sample = sampleAt(x);
            AColor c = map.EvalColor(sample);
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
            out += 3;
        }
    };
    return RenderRows(width, height, threads, renderRow, rowsReady, std::move(recycled));
}

}  // namespace

Point3 LatLongPixelDirection(int column, int row, int width, int height) {
    double phi = ColumnAngle(column, std::max(width, 1));
    double theta = RowAngle(row, std::max(height, 1));
    return {float(std::sin(theta) * std::sin(phi)), float(-std::sin(theta) * std::cos(phi)),
            float(std::cos(theta))};
}

LatLongDirections::LatLongDirections(int width, int height)
    : height(std::max(height, 1)),
      columnSin(size_t(std::max(width, 1))),
      columnCos(size_t(std::max(width, 1))) {
    // Every row shares its columns' angles; sines and cosines once per column, not per pixel.
    for (size_t x = 0; x < columnSin.size(); ++x) {
        double phi = ColumnAngle(int(x), int(columnSin.size()));
        columnSin[x] = std::sin(phi);
        columnCos[x] = std::cos(phi);
    }
}

LatLongDirections::Row LatLongDirections::RowAt(int row) const {
    double theta = RowAngle(row, height);
    return {this, std::sin(theta), float(std::cos(theta))};
}

LatLongImage RenderLatLong(Texmap& map, int width, int height, TimeValue t, int threads,
                           const LatLongRowsReady& rowsReady, LatLongImage recycled) {
    LatLongDirections directions(width, height);
    return RenderImage(map, width, height, threads, rowsReady, std::move(recycled), [&](int y) {
        return [row = directions.RowAt(y), t](int x) { return EnvironmentSample(row(x), t); };
    });
}

LatLongImage RenderRows(int width, int height, int threads,
                        const std::function<void(int row, float* pixels)>& renderRow,
                        const LatLongRowsReady& rowsReady, LatLongImage recycled) {
    LatLongImage image = std::move(recycled);
    image.width = std::max(width, 1);
    image.height = std::max(height, 1);
    image.rgb.resize(size_t(image.width) * size_t(image.height) * 3);
    RenderRowsOf(image, threads, rowsReady,
                 [&](int y) { renderRow(y, &image.rgb[size_t(y) * size_t(image.width) * 3]); });
    return image;
}

LatLongImage RenderCameraView(Texmap& map, int width, int height, TimeValue t,
                              const Matrix3& cameraTM, float fovDegrees, int threads,
                              const LatLongRowsReady& rowsReady) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    // The camera looks down its own -Z with +Y up; the field of view spans the width.
    double halfWidth = std::tan(double(fovDegrees) * kPi / 360.0);
    double halfHeight = halfWidth * double(height) / double(width);
    return RenderImage(map, width, height, threads, rowsReady, {}, [&](int y) {
        double cy = halfHeight * (1.0 - 2.0 * (double(y) + 0.5) / double(height));
        return [&, cy](int x) {
            double cx = halfWidth * (2.0 * (double(x) + 0.5) / double(width) - 1.0);
            Point3 world = cameraTM.VectorTransform(Point3(float(cx), float(cy), -1.0f));
            float len = world.Length();
            return EnvironmentSample(len > 0 ? world * (1.0f / len) : Point3(0, -1, 0), t,
                                     cameraTM);
        };
    });
}

}  // namespace standalone
