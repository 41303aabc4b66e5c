#include "render/LitSpheres.h"

#include "maps/HdrImage.h"
#include "shading/LatLong.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <unordered_map>

namespace standalone {

namespace {

constexpr double kPi = std::numbers::pi;
// A pixel this many times brighter than the sky's mean is a light of its own: summed into a
// grid of normals, its sharp edge where it sets below a surface's horizon would blur.
constexpr double kBrightOverMean = 8.0;
// Bright pixels gather in cells about 0.7 degrees across: near enough to a point for the cosine,
// and a sun of any size stays a few hundred lights at most.
constexpr int kLightCellsAround = 512;
// At most this many lights: each costs a product for every pixel of the diffuse ball.
constexpr size_t kMaxLights = 256;
// The rest of the sky in cells of 7.5 degrees, as points at their centroids, and its irradiance
// for normals 11.25 degrees apart (the poles included), interpolated between them by cubics: it
// changes slowly enough with the normal to stay well within a percent of the sum over pixels.
constexpr int kSkyCellsAround = 48;
constexpr int kSkyCellsDown = 24;
constexpr int kNormalsAround = 32;
constexpr int kNormalsDown = 17;

double Luminance(const float* p) {
    return 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
}

// Radiance gathered from pixels: its sum times solid angle, and its luminance-weighted direction.
struct Gathered {
    double rgb[3] = {0, 0, 0};
    double centroid[3] = {0, 0, 0};

    void Add(const float* p, double solidAngle, const double d[3]) {
        double weight = Luminance(p) * solidAngle;
        for (int k = 0; k < 3; ++k) {
            rgb[k] += double(p[k]) * solidAngle;
            centroid[k] += d[k] * weight;
        }
    }
    void Add(const Gathered& other) {
        for (int k = 0; k < 3; ++k) {
            rgb[k] += other.rgb[k];
            centroid[k] += other.centroid[k];
        }
    }
    // The unit direction of the centroid (any unit vector for no light).
    void Direction(float out[3]) const {
        double length = std::sqrt(centroid[0] * centroid[0] + centroid[1] * centroid[1] +
                                  centroid[2] * centroid[2]);
        for (int k = 0; k < 3; ++k) {
            out[k] = length > 0 ? float(centroid[k] / length) : (k == 2 ? 1.0f : 0.0f);
        }
    }
};

// The unit direction at (u, v) of RenderLatLong's layout.
void DirectionAt(double u, double v, double d[3]) {
    double theta = kPi * v, phi = 2.0 * kPi * (u - 0.25);
    d[0] = std::sin(theta) * std::sin(phi);
    d[1] = -std::sin(theta) * std::cos(phi);
    d[2] = std::cos(theta);
}

}  // namespace

EnvironmentIrradiance::EnvironmentIrradiance(const float* rgb, int width, int height) {
    skyGrid.assign(size_t(kNormalsAround) * kNormalsDown * 3, 0.0f);
    if (width <= 0 || height <= 0) {
        return;
    }
    std::vector<double> rowSolidAngle(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        double top = kPi * double(y) / double(height), bottom = kPi * double(y + 1) / height;
        rowSolidAngle[size_t(y)] = 2.0 * kPi / double(width) * (std::cos(top) - std::cos(bottom));
    }
    // The mean only sets where lights begin; every pixel counts either way, so every few rows
    // tell it well enough.
    constexpr int kMeanRowStep = 8;
    double energy = 0, solidAngle = 0;
    for (int y = kMeanRowStep / 2 % height; y < height; y += kMeanRowStep) {
        const float* row = rgb + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            energy += Luminance(row + size_t(x) * 3) * rowSolidAngle[size_t(y)];
        }
        solidAngle += rowSolidAngle[size_t(y)] * width;
    }
    const double brightLuminance = std::max(1e-30, kBrightOverMean * energy / solidAngle);

    const int lightSide = std::max(1, width / kLightCellsAround);
    const int lightColumns = (width + lightSide - 1) / lightSide;
    const int skyColumns = std::min(kSkyCellsAround, width),
              skyRows = std::min(kSkyCellsDown, height);
    std::unordered_map<int64_t, Gathered> lightCells;
    std::vector<Gathered> skyCells(size_t(skyColumns) * size_t(skyRows));
    std::vector<float> columnSin(static_cast<size_t>(width)), columnCos(static_cast<size_t>(width));
    std::vector<int> columnCell(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        double phi = 2.0 * kPi * ((double(x) + 0.5) / double(width) - 0.25);
        columnSin[size_t(x)] = float(std::sin(phi));
        columnCos[size_t(x)] = float(std::cos(phi));
        columnCell[size_t(x)] = int(int64_t(x) * skyColumns / width);
    }
    // A row's sums per sky cell: red, green, blue, and luminance times sin phi, times cos phi
    // and alone, from which the cell's centroid follows at the row's theta.
    std::vector<float> rowSums(size_t(skyColumns) * 6);
    for (int y = 0; y < height; ++y) {
        const float* row = rgb + size_t(y) * size_t(width) * 3;
        double theta = kPi * (double(y) + 0.5) / double(height);
        double sinTheta = std::sin(theta), cosTheta = std::cos(theta);
        double omega = rowSolidAngle[size_t(y)];
        std::fill(rowSums.begin(), rowSums.end(), 0.0f);
        for (int x = 0; x < width; ++x) {
            const float* p = row + size_t(x) * 3;
            float luminance = 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2];
            if (luminance > brightLuminance) {
                double d[3] = {sinTheta * columnSin[size_t(x)], -sinTheta * columnCos[size_t(x)],
                               cosTheta};
                lightCells[int64_t(y / lightSide) * lightColumns + x / lightSide].Add(p, omega, d);
                continue;
            }
            float* sums = &rowSums[size_t(columnCell[size_t(x)]) * 6];
            sums[0] += p[0];
            sums[1] += p[1];
            sums[2] += p[2];
            sums[3] += luminance * columnSin[size_t(x)];
            sums[4] += luminance * columnCos[size_t(x)];
            sums[5] += luminance;
        }
        Gathered* cells = &skyCells[size_t(int64_t(y) * skyRows / height) * size_t(skyColumns)];
        for (int c = 0; c < skyColumns; ++c) {
            const float* sums = &rowSums[size_t(c) * 6];
            for (int k = 0; k < 3; ++k) {
                cells[c].rgb[k] += double(sums[k]) * omega;
            }
            cells[c].centroid[0] += sinTheta * double(sums[3]) * omega;
            cells[c].centroid[1] -= sinTheta * double(sums[4]) * omega;
            cells[c].centroid[2] += cosTheta * double(sums[5]) * omega;
        }
    }

    // A large bright area would make too many lights: its cells are merged, two by two each
    // way, until few enough remain; the cosine hardly differs across a few degrees.
    while (lightCells.size() > kMaxLights) {
        std::unordered_map<int64_t, Gathered> merged;
        for (const auto& [key, cell] : lightCells) {
            int64_t row = key / lightColumns, column = key % lightColumns;
            merged[row / 2 * lightColumns + column / 2].Add(cell);
        }
        lightCells.swap(merged);
    }
    float direction[3];
    for (const auto& [key, cell] : lightCells) {
        cell.Direction(direction);
        lights.Add(direction, cell.rgb);
    }
    lights.Pad();

    // The sky's cells as points, summed for every normal of the grid.
    LightPoints sky;
    for (const Gathered& cell : skyCells) {
        if (cell.rgb[0] != 0 || cell.rgb[1] != 0 || cell.rgb[2] != 0) {
            cell.Direction(direction);
            sky.Add(direction, cell.rgb);
        }
    }
    sky.Pad();
    for (int j = 0; j < kNormalsDown; ++j) {
        for (int i = 0; i < kNormalsAround; ++i) {
            double n[3];
            DirectionAt(double(i) / kNormalsAround, double(j) / (kNormalsDown - 1), n);
            float* out = &skyGrid[(size_t(j) * kNormalsAround + size_t(i)) * 3];
            sky.SumCosines(float(n[0]), float(n[1]), float(n[2]), out);
        }
    }
}

void EnvironmentIrradiance::LightPoints::Add(const float direction[3], const double rgb[3]) {
    x.push_back(direction[0]);
    y.push_back(direction[1]);
    z.push_back(direction[2]);
    r.push_back(float(rgb[0]));
    g.push_back(float(rgb[1]));
    b.push_back(float(rgb[2]));
}

void EnvironmentIrradiance::LightPoints::Pad() {
    size_t padded = (r.size() + kLanes - 1) / kLanes * kLanes;
    for (std::vector<float>* v : {&x, &y, &z, &r, &g, &b}) {
        v->resize(padded, 0.0f);
    }
}

void EnvironmentIrradiance::LightPoints::SumCosines(float nx, float ny, float nz,
                                                    float sum[3]) const {
    // One partial sum per lane: the compiler keeps the lanes in vectors.
    float sums[3][kLanes] = {};
    for (size_t c = 0; c < r.size(); c += kLanes) {
        for (size_t lane = 0; lane < kLanes; ++lane) {
            size_t k = c + lane;
            float cosine = std::max(0.0f, nx * x[k] + ny * y[k] + nz * z[k]);
            sums[0][lane] += cosine * r[k];
            sums[1][lane] += cosine * g[k];
            sums[2][lane] += cosine * b[k];
        }
    }
    for (int k = 0; k < 3; ++k) {
        double total = 0;
        for (float lane : sums[k]) {
            total += double(lane);
        }
        sum[k] += float(total);
    }
}

AColor EnvironmentIrradiance::Irradiance(const Point3& normal) const {
    float u = 0, v = 0;
    LatLongPosition(normal, 0.0f, u, v);  // RenderLatLong's unturned layout
    // The grid's normals sit at u = i / kNormalsAround and v = j / (kNormalsDown - 1).
    float x = u * kNormalsAround, y = v * (kNormalsDown - 1);
    int x0 = std::min(int(x), kNormalsAround - 1), y0 = std::min(int(y), kNormalsDown - 2);
    float fx = x - float(x0), fy = y - float(y0);
    // Catmull-Rom weights of the four normals around, each way.
    auto weights = [](float t, float w[4]) {
        w[0] = ((-t + 2) * t - 1) * t / 2;
        w[1] = ((3 * t - 5) * t * t + 2) / 2;
        w[2] = ((-3 * t + 4) * t + 1) * t / 2;
        w[3] = (t - 1) * t * t / 2;
    };
    float wx[4], wy[4];
    weights(fx, wx);
    weights(fy, wy);
    float sum[3] = {0, 0, 0};
    for (int b = 0; b < 4; ++b) {
        // Beyond a pole the grid goes on half a turn round, on the other side.
        int j = y0 - 1 + b, shift = 0;
        if (j < 0 || j > kNormalsDown - 1) {
            j = j < 0 ? -j : 2 * (kNormalsDown - 1) - j;
            shift = kNormalsAround / 2;
        }
        for (int a = 0; a < 4; ++a) {
            int i = (x0 - 1 + a + shift + kNormalsAround) % kNormalsAround;
            const float* e = &skyGrid[(size_t(j) * kNormalsAround + size_t(i)) * 3];
            float w = wx[a] * wy[b];
            for (int k = 0; k < 3; ++k) {
                sum[k] += w * e[k];
            }
        }
    }
    for (float& s : sum) {
        s = std::max(0.0f, s);  // cubics may dip below a dark neighbour
    }
    lights.SumCosines(normal.x, normal.y, normal.z, sum);
    return AColor(sum[0], sum[1], sum[2], 1.0f);
}

Point3 PanoramaForward() {
    // RenderLatLong's centre column, u = 0.5, lies at the azimuth pi / 2 of LatLongPixelDirection.
    return {1, 0, 0};
}

void DrawLitSpheres(const LatLongImage& panorama, LatLongImage& target, int left, int top,
                    int diameter) {
    if (diameter <= 0 || panorama.width <= 0 || panorama.height <= 0) {
        return;
    }
    EnvironmentIrradiance irradiance(panorama);
    // The camera looks along `forward` with world +Z up; its right is forward x up.
    const Point3 forward = PanoramaForward(), up(0, 0, 1);
    const Point3 right(forward.y * up.z - forward.z * up.y, forward.z * up.x - forward.x * up.z,
                       forward.x * up.y - forward.y * up.x);
    const float diffuseScale = kDiffuseBallAlbedo / float(kPi);
    const int chromeLeft = left + diameter + diameter / 8;
    for (int j = 0; j < diameter; ++j) {
        int y = top + j;
        if (y < 0 || y >= target.height) {
            continue;
        }
        float b = 1.0f - 2.0f * (float(j) + 0.5f) / float(diameter);
        for (int i = 0; i < diameter; ++i) {
            float a = 2.0f * (float(i) + 0.5f) / float(diameter) - 1.0f;
            float squared = a * a + b * b;
            if (squared > 1.0f) {
                continue;
            }
            // The sphere's normal faces the camera, against the view direction.
            Point3 n = right * a + up * b - forward * std::sqrt(1.0f - squared);
            int x = left + i;
            if (x >= 0 && x < target.width) {
                AColor e = irradiance.Irradiance(n);
                float* p = &target.rgb[(size_t(y) * size_t(target.width) + size_t(x)) * 3];
                p[0] = e.r * diffuseScale;
                p[1] = e.g * diffuseScale;
                p[2] = e.b * diffuseScale;
            }
            x = chromeLeft + i;
            if (x >= 0 && x < target.width) {
                float facing = forward.x * n.x + forward.y * n.y + forward.z * n.z;
                Point3 reflected = forward - n * (2.0f * facing);
                float u = 0, v = 0;
                LatLongPosition(reflected, 0.0f, u, v);  // RenderLatLong's unturned layout
                AColor c =
                    SampleLatLong(panorama.rgb.data(), panorama.width, panorama.height, u, v);
                float* p = &target.rgb[(size_t(y) * size_t(target.width) + size_t(x)) * 3];
                p[0] = c.r;
                p[1] = c.g;
                p[2] = c.b;
            }
        }
    }
}

void DrawLitSpheresCentred(const LatLongImage& panorama, LatLongImage& target) {
    int diameter = std::min(target.height * 3 / 4, target.width * 8 / 17);
    DrawLitSpheres(panorama, target, (target.width - LitSpheresWidth(diameter)) / 2,
                   (target.height - diameter) / 2, diameter);
}

LatLongImage RenderLitSpheres(const LatLongImage& panorama, int diameter) {
    LatLongImage image;
    image.width = std::max(1, LitSpheresWidth(diameter));
    image.height = std::max(1, diameter);
    image.rgb.assign(size_t(image.width) * size_t(image.height) * 3, 0.0f);
    DrawLitSpheres(panorama, image, 0, 0, diameter);
    return image;
}

}  // namespace standalone
