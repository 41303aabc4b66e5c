#pragma once
// The standalone host's "Bitmap" map: a latitude-longitude .hdr or .exr image shown as the
// environment, with parameter names in the manner of the host's own bitmap texture.

#include "host/ClassDesc2.h"

namespace standalone {

constexpr Class_ID kBitmapMapClassID(0x5A424D50, 0x00000001);

enum BitmapMapParam : ParamID {
    kBitmapFileName = 0,      ///< "fileName", TYPE_FILENAME: the image (a Windows path)
    kBitmapUOffset = 1,       ///< "u_offset", TYPE_FLOAT (default 0)
    kBitmapVOffset = 2,       ///< "v_offset", TYPE_FLOAT (default 0)
    kBitmapUAngle = 3,        ///< "u_angle", TYPE_ANGLE radians: turns the environment about Z
    kBitmapVAngle = 4,        ///< "v_angle", TYPE_ANGLE radians (default 0)
    kBitmapWAngle = 5,        ///< "w_angle", TYPE_ANGLE radians (default 0)
    kBitmapOutputAmount = 6,  ///< "output_amount", TYPE_FLOAT multiplier (default 1)
    kBitmapGamma = 7,         ///< "gamma", TYPE_FLOAT: colour^(1/gamma) when not 1 (default 1)
};

// The lookup turns with "u_angle" only (degrees = radians * 57.295776), as the plug-in expects of
// this map's rotation when it places its sun disc. The offsets and the V and W angles are kept
// in the block (saved, readable by the plug-in's parameter handling) but do not move the image.

/// The Bitmap class descriptor (registered with the host's class directory).
HOST_API ClassDesc2* GetBitmapMapDesc();
/// A new Bitmap with default parameters and no file.
HOST_API Texmap* CreateBitmapMap();

}  // namespace standalone
