#pragma once
// Renders a texture map as a latitude-longitude environment image, the way a renderer samples
// an environment: many threads, one shading sample per pixel.

#include "host/Texmap.h"

#include <vector>

namespace standalone {

struct LatLongImage {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  ///< row-major, top row looks at the zenith
};

/// Evaluates `map` once per pixel centre at time t on `threads` threads (at least 1).
HOST_API LatLongImage RenderLatLong(Texmap& map, int width, int height, TimeValue t, int threads);

}  // namespace standalone
