#pragma once
// What an HDR environment holds: its range, its exposure and its own sun, measured over the
// sphere of directions it covers (`zenithra info`, `zenithra sheet`).

#include <filesystem>
#include <string>

/// The brightest compact light of an environment.
struct DominantLight {
    bool found = false;  ///< false: no light holds kMinLightShare of the energy ("overcast")
    /// Degrees around from the image's centre column (u = 0.5, where the map's sun disc sits)
    /// towards growing u, -180 to 180: the degrees of Map Rot., one full turn per 360.
    double azimuthDegrees = 0;
    /// Degrees above the horizon, -90 to 90, as the sun disc's Height.
    double elevationDegrees = 0;
    /// The radius of a disc as large as the light's part at or above half its peak, in degrees.
    double radiusDegrees = 0;
    /// The light's share of the environment's whole energy, 0 to 1.
    double energyShare = 0;
};

/// A light holds at least this share of the energy, or the sky counts as overcast.
constexpr double kMinLightShare = 0.05;

/// Every figure weights a pixel by the solid angle it covers in the latitude-longitude image;
/// luminance is 0.2126 red + 0.7152 green + 0.0722 blue.
struct EnvironmentStats {
    int width = 0;
    int height = 0;
    /// Stops from the 1st-percentile luminance (the dimmest non-black pixel's when that is 0) up
    /// to the brightest pixel; 0 for a black image.
    double dynamicRangeStops = 0;
    double meanLuminance = 0;
    double medianLuminance = 0;
    /// The exposure in EV that brings the median luminance to 0.18 (0 for a black median).
    double exposureEv = 0;
    DominantLight light;
};

/// Measures a width x height latitude-longitude image of linear RGB floats (row 0 at the zenith).
EnvironmentStats MeasureEnvironment(const float* rgb, int width, int height);

/// An image file and what it holds.
struct EnvironmentInfo {
    std::string format;  ///< "Radiance RGBE" or "OpenEXR, half float, DWAB" and the like
    EnvironmentStats stats;
};

/// Reads an .hdr or .exr file and measures it. False with a one-line reason naming the file.
bool ReadEnvironmentInfo(const std::filesystem::path& file, EnvironmentInfo& info,
                         std::string* error);

/// The figures as lines of text ("size: 2048 x 1024", ...), or as one JSON object; the file is
/// named as given.
std::string EnvironmentInfoText(const std::filesystem::path& file, const EnvironmentInfo& info);
std::string EnvironmentInfoJson(const std::filesystem::path& file, const EnvironmentInfo& info);

/// "sun 35.2°" for a light, "overcast" without one.
std::string SunElevationText(const DominantLight& light);
