#pragma once
// Source maps read a row of environment samples at a time: what EvalColor gives for each sample,
// bit for bit, with the map's parameters and image read once for a whole image instead of once
// per sample. The command-line tool renders whole images this way; a renderer never does.

#include <imtl.h>

#include "scene/ZenhostApi.h"

#include <memory>

namespace standalone {

/// A source map at one time, for rows of latitude-longitude samples.
class EnvironmentRowSource {
public:
    virtual ~EnvironmentRowSource() = default;
    /// rgb[3 i .. 3 i + 2] = the colour EvalColor gives for EnvironmentSample(directions[i], t)
    /// (world directions, the identity camera), i < count; the alpha, always 1, is not stored.
    /// Safe on any number of threads at once.
    virtual void ColorsOfRow(const Point3* directions, int count, float* rgb) const = 0;
};

/// The row source of a Bitmap, a VRayBitmap or the procedural sky at time t, null for any other
/// map. It reads the map as it is now: the map must not change, reload or go while it lives.
ZENHOST_API std::unique_ptr<EnvironmentRowSource> MakeEnvironmentRowSource(Texmap& map,
                                                                           TimeValue t);

}  // namespace standalone
