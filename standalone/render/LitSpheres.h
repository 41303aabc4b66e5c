#pragma once
// Lit spheres: what an environment does to objects. A grey diffuse ball and a chrome ball, lit
// only by a latitude-longitude image as RenderLatLong lays it out, seen by an orthographic
// camera that looks towards the panorama's forward direction (its centre column on the horizon)
// with world +Z up. The command-line tool and the frame buffer draw them the same way.

#include "render/LatLongRender.h"

#include <array>
#include <vector>

namespace standalone {

/// The albedo of the diffuse ball: the mid grey of a grey card.
constexpr float kDiffuseBallAlbedo = 0.18f;

/// The cosine-weighted irradiance of an environment image: for a surface with normal n, the
/// sum over all directions d of radiance times max(0, n . d), each pixel weighted by its solid
/// angle. The bright pixels (a sun, lamps) are kept as their own point lights, a cell of about
/// 0.7 degrees each, and summed for every normal; the rest of the sky, whose irradiance varies
/// slowly with the normal, is summed once for a grid of normals and interpolated between them.
class EnvironmentIrradiance {
public:
    /// From a width x height image of linear RGB floats in RenderLatLong's layout.
    ZENHOST_API EnvironmentIrradiance(const float* rgb, int width, int height);
    explicit EnvironmentIrradiance(const LatLongImage& image)
        : EnvironmentIrradiance(image.rgb.data(), image.width, image.height) {}

    /// The irradiance (radiance times steradians) on a surface facing `normal` (unit length,
    /// world space, Z up).
    ZENHOST_API AColor Irradiance(const Point3& normal) const;

private:
    /// Points of light: unit directions and radiance times solid angle, in blocks of kLanes
    /// (dark padding), so that their sum for a normal runs in vector lanes.
    struct LightPoints {
        static constexpr size_t kLanes = 8;
        std::vector<float> x, y, z, r, g, b;
        void Add(const float direction[3], const double rgb[3]);
        void Pad();
        /// Adds the sum of rgb times max(0, normal . direction) to `sum`.
        void SumCosines(float nx, float ny, float nz, float sum[3]) const;
    };

    LightPoints lights;
    std::vector<float> skyGrid;  ///< the rest's irradiance, RGB per normal of the grid
};

/// The world direction the panorama's centre column shows on the horizon, which the lit
/// spheres' camera looks towards.
ZENHOST_API Point3 PanoramaForward();

/// Draws the diffuse ball (left) and the chrome ball (right), each `diameter` pixels across and
/// `diameter` / 8 apart, into `target` with the top-left corner of the pair at (left, top);
/// pixels outside the balls, or outside `target`, are left as they are. The diffuse ball shows
/// kDiffuseBallAlbedo / pi times the irradiance; the chrome ball, a perfect mirror, shows
/// `panorama` in the reflected direction (bilinear). `panorama` is in RenderLatLong's layout.
ZENHOST_API void DrawLitSpheres(const LatLongImage& panorama, LatLongImage& target, int left,
                                int top, int diameter);

/// The width of the pair of balls DrawLitSpheres draws at `diameter`.
inline int LitSpheresWidth(int diameter) {
    return 2 * diameter + diameter / 8;
}

/// The balls over a picture: as large as three quarters of its height allows (and its width),
/// centred on it.
ZENHOST_API void DrawLitSpheresCentred(const LatLongImage& panorama, LatLongImage& target);

/// The two balls on black, LitSpheresWidth(diameter) x diameter pixels.
ZENHOST_API LatLongImage RenderLitSpheres(const LatLongImage& panorama, int diameter);

}  // namespace standalone
