#pragma once
// The host's spherical environment coordinates: where a world direction falls on a
// latitude-longitude image. The plug-in places its sun disc with this and the host's image maps
// look up their pixels with it, so that a disc lands on the pixels the map shows there.

#include <max.h>

#include <algorithm>
#include <cmath>
#include <numbers>

/// The image position of a world direction (Z up) on an environment turned by rotationDegrees
/// about Z: u = atan2(d.x, -d.y) / 2pi + 0.5 + (rotationDegrees - 90) / 360, wrapped to 0..1, and
/// v = acos(d.z) / pi, 0 at the zenith and 1 at the nadir. A rotation of 90 degrees gives the
/// unturned spherical coordinates. A direction shorter than 1e-6 counts as (0, -1, 0).
inline void LatLongPosition(const Point3& worldDir, float rotationDegrees, float& u, float& v) {
    constexpr float kPi = std::numbers::pi_v<float>;
    float len = worldDir.Length();
    Point3 d = len > 1e-6f ? worldDir * (1.0f / len) : Point3(0, -1, 0);
    u = std::atan2(d.x, -d.y) / (2 * kPi) + 0.5f + (rotationDegrees - 90.0f) / 360.0f;
    u = u - std::floor(u);
    v = std::acos(std::clamp(d.z, -1.0f, 1.0f)) / kPi;
}
