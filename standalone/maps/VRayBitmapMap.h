#pragma once
// The standalone host's "VRayBitmap" map: a latitude-longitude .hdr or .exr image shown as the
// environment, or looked up by a map channel, with parameter names in the manner of the
// renderer's bitmap map.

#include <imtl.h>
#include <iparamb2.h>

#include "scene/ZenhostApi.h"

namespace standalone {

constexpr Class_ID kVRayBitmapMapClassID(0x5A565242, 0x00000001);

enum VRayBitmapMapParam : ParamID {
    kVRayHdriMapName = 0,         ///< "HDRIMapName", TYPE_FILENAME: the image (a Windows path)
    kVRayMappingType = 1,         ///< "mapping_type", TYPE_INT: 0 map channel, else spherical
                                  ///< environment (default 1)
    kVRayMappingChannel = 2,      ///< "mapping_channel", TYPE_INT (default 1)
    kVRayHorizontalRotation = 3,  ///< "horizontal_rotation", TYPE_FLOAT degrees about Z
    kVRayVerticalRotation = 4,    ///< "vertical_rotation", TYPE_FLOAT degrees about X
                                  ///< (default 0)
    kVRayURotation = 5,           ///< "u_rotation", TYPE_FLOAT degrees: shifts u by /360 (map
                                  ///< channel mapping only)
    kVRayHorizontalFlip = 6,      ///< "horizontal_flip", TYPE_BOOL: mirrors the image left-right
    kVRayMultiplier = 7,          ///< "multiplier", TYPE_FLOAT (default 1)
    kVRayGamma = 8,               ///< "gamma", TYPE_FLOAT: colour^(1/gamma) when not 1 (default 1)
};

// Spherical mapping turns the sample's world direction by "vertical_rotation" about X as the
// Bitmap's "v_angle" does (counter-clockwise seen from +X), then about Z with
// "horizontal_rotation", as the plug-in expects of this map's rotation when it places its sun
// disc. Map-channel mapping reads (u, v) from the sample's UVW of "mapping_channel" (v = 0 is the
// image's top row). "horizontal_flip" mirrors u after either.

/// The VRayBitmap class descriptor (registered with the host's class directory).
ZENHOST_API ClassDesc2* GetVRayBitmapMapDesc();
/// A new VRayBitmap with default parameters and no file.
ZENHOST_API Texmap* CreateVRayBitmapMap();

}  // namespace standalone
