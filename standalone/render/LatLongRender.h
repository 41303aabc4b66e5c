#pragma once
// Renders a texture map as a latitude-longitude environment image, the way a renderer samples
// an environment: many threads, one shading sample per pixel.

#include <imtl.h>

#include "maps/PixelBuffer.h"
#include "scene/ZenhostApi.h"

#include <cmath>
#include <functional>
#include <vector>

namespace standalone {

struct LatLongImage {
    int width = 0;
    int height = 0;
    PixelBuffer rgb;  ///< row-major, top row looks at the zenith
};

/// The world direction (Z up, unit length) that pixel (column, row) of a width x height image
/// shows: the direction an unrotated Bitmap or VRayBitmap looks its image up at the same pixel's
/// centre, u = (column + 0.5) / width and v = (row + 0.5) / height (LatLongPosition). A render
/// of such a map at its image's own size therefore shows the image pixel for pixel.
ZENHOST_API Point3 LatLongPixelDirection(int column, int row, int width, int height);

/// The directions of LatLongPixelDirection for a whole image, with the sines and cosines of its
/// columns taken once: Row(row)(column) is the direction RenderLatLong samples at that pixel.
class ZENHOST_API LatLongDirections {
public:
    LatLongDirections(int width, int height);
    struct Row {
        const LatLongDirections* image;
        double rowSin;
        float z;
        Point3 operator()(int column) const {
            return {float(rowSin * image->columnSin[size_t(column)]),
                    float(-rowSin * image->columnCos[size_t(column)]), z};
        }
    };
    Row RowAt(int row) const;

private:
    int height;
    std::vector<double> columnSin, columnCos;
};

/// Called on the caller's thread each time the finished rows from the top grow: rows
/// [0, rowsReady) of `image` are final and no render thread writes them again, so the caller
/// may already store them while the rest renders. Returning false stops the render; rows not
/// begun by then stay black.
using LatLongRowsReady = std::function<bool(const LatLongImage& image, int rowsReady)>;

/// Evaluates `map` once per pixel centre at time t on `threads` render threads (at least 1),
/// each pixel looking along LatLongPixelDirection, while the caller's thread hands finished rows
/// to `rowsReady`. The image is rendered into the storage of `recycled`, an image the caller is
/// done with: memory already in use costs no page faults.
ZENHOST_API LatLongImage RenderLatLong(Texmap& map, int width, int height, TimeValue t, int threads,
                                       const LatLongRowsReady& rowsReady = {},
                                       LatLongImage recycled = {});

/// Fills a width x height image a row at a time: `renderRow`(row, pixels) sets the width * 3
/// floats of that row, on `threads` render threads (at least 1), rows handed out from the top and
/// finished rows handed to `rowsReady` as RenderLatLong does; into the storage of `recycled`.
ZENHOST_API LatLongImage RenderRows(int width, int height, int threads,
                                    const std::function<void(int row, float* pixels)>& renderRow,
                                    const LatLongRowsReady& rowsReady = {},
                                    LatLongImage recycled = {});

/// Evaluates `map` once per pixel of a camera's view: the camera (world transform `cameraTM`)
/// looks down its own -Z with +Y up, and `fovDegrees` spans the image's width. Rows as for
/// RenderLatLong.
ZENHOST_API LatLongImage RenderCameraView(Texmap& map, int width, int height, TimeValue t,
                                          const Matrix3& cameraTM, float fovDegrees, int threads,
                                          const LatLongRowsReady& rowsReady = {});

}  // namespace standalone
