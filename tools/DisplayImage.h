#pragma once
// What a display shows of a linear HDR image: the tone curve of the previews and the contact
// sheet, and reduced copies for the sheet.

#include "render/LatLongRender.h"

#include <cstdint>
#include <vector>

/// A linear value shown on a display: the extended Reinhard curve with white at 16 (1 becomes
/// about 0.5, 16 and above 1, negative values 0), then the sRGB transfer curve to 8 bits.
uint8_t ToneMapToDisplay(float linear);

/// A display-ready copy of an image, tone-mapped, 8-bit RGB.
struct DisplayImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

/// Tone-maps the whole image by ToneMapToDisplay into its own storage, so that a preview needs
/// no second buffer: the result is its first width * height * 3 bytes (8-bit RGB); its floats
/// are gone.
const uint8_t* ToneMapInPlace(standalone::LatLongImage& image);

/// Tone-maps `count` values by ToneMapToDisplay into `bytes`, which may be the values' own
/// storage (each byte is written after its value is read).
void ToneMapValues(const float* values, size_t count, uint8_t* bytes);

/// The image reduced to `width` columns (box-filtered, the aspect kept, at least one row) and
/// tone-mapped. An image no wider than `width` keeps its size.
DisplayImage MakeThumbnail(const standalone::LatLongImage& image, int width);
