#pragma once
// Renders a texture map as a latitude-longitude environment image, the way a renderer samples
// an environment: many threads, one shading sample per pixel.

#include "host/Texmap.h"

#include <functional>
#include <vector>

namespace standalone {

struct LatLongImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  ///< row-major, top row looks at the zenith
};

/// The world direction (Z up, unit length) that pixel (column, row) of a width x height image
/// shows: the direction an unrotated Bitmap or VRayBitmap looks its image up at the same pixel's
/// centre, u = (column + 0.5) / width and v = (row + 0.5) / height (LatLongPosition). A render
/// of such a map at its image's own size therefore shows the image pixel for pixel.
HOST_API Point3 LatLongPixelDirection(int column, int row, int width, int height);

/// Called on the rendering caller's thread with the number of rows finished so far.
using LatLongProgress = std::function<void(int rowsDone)>;

/// Evaluates `map` once per pixel centre at time t on `threads` threads (at least 1), each pixel
/// looking along LatLongPixelDirection.
HOST_API LatLongImage RenderLatLong(Texmap& map, int width, int height, TimeValue t, int threads,
                                    const LatLongProgress& progress = {});

}  // namespace standalone
