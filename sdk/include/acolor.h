#pragma once
// A colour with alpha: four 32-bit floats.

class AColor {
public:
    float r, g, b, a;
    AColor() = default;
    constexpr AColor(float R, float G, float B, float A = 1.0f) : r(R), g(G), b(B), a(A) {}
    constexpr int operator==(const AColor& c) const {
        return r == c.r && g == c.g && b == c.b && a == c.a;
    }
    constexpr int operator!=(const AColor& c) const { return !(*this == c); }
};
