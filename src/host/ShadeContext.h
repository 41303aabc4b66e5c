#pragma once
// What a texture map learns of one shading sample.

#include "host/MaxTypes.h"

constexpr int REF_CAMERA = 0;
constexpr int REF_WORLD = 1;

class HOST_API ShadeContext {
public:
    virtual ~ShadeContext();
    /// The sample's time.
    virtual TimeValue CurTime() = 0;
    /// The view direction of the sample, in camera space.
    virtual Point3 V() = 0;
    /// A direction in camera space turned into the given space (REF_WORLD: world space, Z up).
    virtual Point3 VectorTo(const Point3& p, int toSpace) = 0;
    /// Texture coordinates of the given map channel.
    virtual Point3 UVW(int channel = 1) = 0;
};
