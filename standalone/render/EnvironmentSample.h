#pragma once
// A shading sample of the environment: a world direction seen from a camera at one time.

#include "shading/LatLong.h"
#include <imtl.h>

#include <cmath>
#include <numbers>

namespace standalone {

/// The host's spherical environment coordinates of a world direction (Z up): u turns once
/// around the horizon, v runs from the zenith (0) to the nadir (1).
inline Point3 SphericalUVW(const Point3& worldDir) {
    float u = 0, v = 0;
    LatLongPosition(worldDir, 90.0f, u, v);  // 90 degrees: unturned
    return {u, v, 0};
}

/// The inverse of SphericalUVW.
inline Point3 DirectionFromUV(float u, float v) {
    constexpr float kPi = std::numbers::pi_v<float>;
    float phi = (u - 0.5f) * 2 * kPi;
    float theta = v * kPi;
    return {std::sin(theta) * std::sin(phi), -std::sin(theta) * std::cos(phi), std::cos(theta)};
}

/// A sample whose camera looks along world axes turned by `cameraToWorld`; the view direction is
/// given in world space and stored in camera space, as a renderer hands it over. Its UVW are the
/// direction's SphericalUVW unless set; they are worked out only when asked for, as most maps
/// never ask.
class EnvironmentSample final : public ShadeContext {
public:
    EnvironmentSample(const Point3& worldDir, TimeValue t, const Matrix3& cameraToWorld = Matrix3())
        : time(t), toWorld(cameraToWorld), worldView(worldDir) {
        // The inverse of a rotation is its transpose.
        Point3 r0 = toWorld.GetRow(0), r1 = toWorld.GetRow(1), r2 = toWorld.GetRow(2);
        view = {r0.x * worldDir.x + r0.y * worldDir.y + r0.z * worldDir.z,
                r1.x * worldDir.x + r1.y * worldDir.y + r1.z * worldDir.z,
                r2.x * worldDir.x + r2.y * worldDir.y + r2.z * worldDir.z};
    }
    TimeValue CurTime() override { return time; }
    Point3 V() override { return view; }
    Point3 VectorTo(const Point3& p, int toSpace) override {
        return toSpace == REF_WORLD ? toWorld.VectorTransform(p) : p;
    }
    Point3 UVW(int) override {
        if (!haveUvw) {
            uvw = SphericalUVW(worldView);
            haveUvw = true;
        }
        return uvw;
    }
    void SetUVW(const Point3& p) {
        uvw = p;
        haveUvw = true;
    }

private:
    TimeValue time;
    Matrix3 toWorld;
    Point3 worldView;
    Point3 view;
    Point3 uvw;
    bool haveUvw = false;
};

}  // namespace standalone
