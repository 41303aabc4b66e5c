#pragma once
// The standalone host's "Bitmap" map: a latitude-longitude .hdr or .exr image shown as the
// environment, with parameter names in the manner of the host's own bitmap texture.

#include <imtl.h>
#include <iparamb2.h>

#include "scene/ZenhostApi.h"

namespace standalone {

constexpr Class_ID kBitmapMapClassID(0x5A424D50, 0x00000001);

enum BitmapMapParam : ParamID {
    kBitmapFileName = 0,      ///< "fileName", TYPE_FILENAME: the image (a Windows path)
    kBitmapUOffset = 1,       ///< "u_offset", TYPE_FLOAT, added to u (default 0)
    kBitmapVOffset = 2,       ///< "v_offset", TYPE_FLOAT, added to v (default 0)
    kBitmapUAngle = 3,        ///< "u_angle", TYPE_ANGLE radians: turns the environment about Z
    kBitmapVAngle = 4,        ///< "v_angle", TYPE_ANGLE radians: about X (default 0)
    kBitmapWAngle = 5,        ///< "w_angle", TYPE_ANGLE radians: about Y (default 0)
    kBitmapOutputAmount = 6,  ///< "output_amount", TYPE_FLOAT multiplier (default 1)
    kBitmapGamma = 7,         ///< "gamma", TYPE_FLOAT: colour^(1/gamma) when not 1 (default 1)
};

// Spherical environment mapping, in this order:
// - the world direction of the sample is turned by "v_angle" about X, then by "w_angle" about Y,
//   each counter-clockwise seen from the axis' positive end: with v_angle = 90 degrees a sample
//   looking towards -Y reads what the unturned map shows straight below (the image rises);
// - "u_angle" turns it about Z the same way, as LatLongPosition's rotation (degrees = radians *
//   57.295776): u grows by u_angle / 2pi. The plug-in places its sun disc from this rotation
//   alone, with the same arithmetic;
// - "u_offset" and "v_offset" are added to the image position (u, v), so an offset of 0.25 in u
//   shows what a u_angle of 90 degrees shows; u wraps around, v stops at the top and bottom
//   rows (v grows towards the nadir).

/// The Bitmap class descriptor (registered with the host's class directory).
ZENHOST_API ClassDesc2* GetBitmapMapDesc();
/// A new Bitmap with default parameters and no file.
ZENHOST_API Texmap* CreateBitmapMap();

}  // namespace standalone
