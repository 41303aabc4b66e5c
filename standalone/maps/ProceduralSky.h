#pragma once
// A procedural environment map of the standalone host: a sky gradient over a darker ground
// with a small, very bright sun, so that slot evaluation has real HDR input without a file.

#include <imtl.h>
#include <iparamb2.h>

#include "scene/ZenhostApi.h"

#include <memory>

namespace standalone {

class EnvironmentRowSource;

constexpr Class_ID kProceduralSkyClassID(0x5A534B59, 0x00000001);

enum ProceduralSkyParam : ParamID {
    kSkySunElevation = 0,  ///< degrees above the horizon (default 30)
    kSkySunAzimuth = 1,    ///< degrees around the horizon from world -Y towards +X (default 0)
    kSkySunIntensity = 2,  ///< radiance of the sun disc (default 5000)
    kSkyIntensity = 3,     ///< multiplier of the sky and ground (default 1)
};

/// The sky's class descriptor (registered with the host's class directory).
ZENHOST_API ClassDesc2* GetProceduralSkyDesc();
/// A new sky with default parameters.
ZENHOST_API Texmap* CreateProceduralSky();
/// The sky's rows at time t (see EnvironmentRows.h); null when `map` is not a sky.
ZENHOST_API std::unique_ptr<EnvironmentRowSource> ProceduralSkyRows(Texmap& map, TimeValue t);

}  // namespace standalone
