#include "ContactSheet.h"

#include "maps/HdrImageReader.h"
#include "ImageFiles.h"

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kColumns = 4;
constexpr int kMargin = 8;
constexpr float kFontPixels = 14.0f;
constexpr int kLineHeight = 18;
constexpr uint8_t kGround = 31;        // 0.12 of full scale
constexpr uint8_t kLabelColour = 230;  // 0.9 of full scale

// Debian's fonts-dejavu-core.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The code points of UTF-8 text; a byte that starts no valid sequence stands for itself.
std::vector<int> CodePoints(const std::string& text) {
    std::vector<int> points;
    for (size_t i = 0; i < text.size();) {
        auto byte = [&](size_t k) { return k < text.size() ? int(uint8_t(text[k])) : 0; };
        int first = byte(i);
        int length = first < 0x80    ? 1
                     : first >= 0xF0 ? 4
                     : first >= 0xE0 ? 3
                     : first >= 0xC0 ? 2
                                     : 1;
        int point = length == 1 ? first : first & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k) {
            if ((byte(i + size_t(k)) & 0xC0) != 0x80) {
                length = 1;
                point = first;
                break;
            }
            point = (point << 6) | (byte(i + size_t(k)) & 0x3F);
        }
        points.push_back(point);
        i += size_t(length);
    }
    return points;
}

class LabelFont {
public:
    bool Load() {
        if (!standalone::ReadFileBytes(kFontFile, bytes) || bytes.empty() ||
            !stbtt_InitFont(&info, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0))) {
            return false;
        }
        scale = stbtt_ScaleForPixelHeight(&info, kFontPixels);
        int descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
        return true;
    }

    float Width(const std::string& text) const {
        float width = 0;
        std::vector<int> points = CodePoints(text);
        for (size_t i = 0; i < points.size(); ++i) {
            width += Advance(points, i);
        }
        return width;
    }

    /// Draws `text` centred on centreX with the top of its line at `top`, clipped to the image.
    void Draw(DisplayImage& image, const std::string& text, int centreX, int top) const {
        float penX = float(centreX) - Width(text) / 2;
        int baseline = top + int(std::lround(float(ascent) * scale));
        std::vector<int> points = CodePoints(text);
        std::vector<uint8_t> glyph;
        for (size_t i = 0; i < points.size(); ++i) {
            float shift = penX - std::floor(penX);
            int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            stbtt_GetCodepointBitmapBoxSubpixel(&info, points[i], scale, scale, shift, 0, &x0, &y0,
                                                &x1, &y1);
            int w = x1 - x0, h = y1 - y0;
            if (w > 0 && h > 0) {
                glyph.assign(size_t(w) * size_t(h), 0);
                stbtt_MakeCodepointBitmapSubpixel(&info, glyph.data(), w, h, w, scale, scale, shift,
                                                  0, points[i]);
                Blend(image, glyph, w, h, int(std::floor(penX)) + x0, baseline + y0);
            }
            penX += Advance(points, i);
        }
    }

private:
    float Advance(const std::vector<int>& points, size_t i) const {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info, points[i], &advance, &bearing);
        int kern = i + 1 < points.size()
                       ? stbtt_GetCodepointKernAdvance(&info, points[i], points[i + 1])
                       : 0;
        return float(advance + kern) * scale;
    }

    static void Blend(DisplayImage& image, const std::vector<uint8_t>& glyph, int w, int h,
                      int left, int top) {
        for (int y = std::max(0, -top); y < h && top + y < image.height; ++y) {
            for (int x = std::max(0, -left); x < w && left + x < image.width; ++x) {
                int alpha = glyph[size_t(y) * size_t(w) + size_t(x)];
                uint8_t* p =
                    &image.rgb[(size_t(top + y) * size_t(image.width) + size_t(left + x)) * 3];
                for (int c = 0; c < 3; ++c) {
                    p[c] = uint8_t((p[c] * (255 - alpha) + kLabelColour * alpha + 127) / 255);
                }
            }
        }
    }

    standalone::FileBytes bytes;
    stbtt_fontinfo info{};
    float scale = 1.0f;
    int ascent = 0;
};

// The label's lines: the name, then the details broken after their commas to fit `width`.
std::vector<std::string> LabelLines(const ContactSheetTile& tile, const LabelFont* font,
                                    int width) {
    std::vector<std::string> lines{tile.label};
    std::string line;
    size_t start = 0;
    while (start < tile.details.size()) {
        size_t comma = tile.details.find(", ", start);
        size_t end = comma == std::string::npos ? tile.details.size() : comma + 1;
        std::string part = tile.details.substr(start, end - start);
        std::string joined = line.empty() ? part : line + " " + part;
        if (!line.empty() && font && font->Width(joined) > float(width)) {
            lines.push_back(line);
            joined = part;
        }
        line = joined;
        start = comma == std::string::npos ? end : end + 1;
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool WriteContactSheet(const std::filesystem::path& file,
                       const std::vector<ContactSheetTile>& tiles, std::string* error,
                       std::string* warning) {
    if (tiles.empty()) {
        *error = "the contact sheet has no slots";
        return false;
    }
    LabelFont font;
    bool haveFont = font.Load();
    if (!haveFont) {
        *warning = std::string("no font for the contact sheet's labels (") + kFontFile +
                   "; Debian package fonts-dejavu-core): written without them";
    }
    int tileWidth = tiles[0].image.width, tileHeight = tiles[0].image.height;
    std::vector<std::vector<std::string>> labels;
    size_t labelLines = 1;
    for (const ContactSheetTile& tile : tiles) {
        labels.push_back(LabelLines(tile, haveFont ? &font : nullptr, tileWidth));
        labelLines = std::max(labelLines, labels.back().size());
    }
    int columns = std::min(int(tiles.size()), kColumns);
    int rows = (int(tiles.size()) + kColumns - 1) / kColumns;
    int cellWidth = tileWidth + kMargin;
    int cellHeight = tileHeight + int(labelLines) * kLineHeight + 2 * kMargin;
    DisplayImage sheet{columns * cellWidth + kMargin, rows * cellHeight + kMargin, {}};
    sheet.rgb.assign(size_t(sheet.width) * size_t(sheet.height) * 3, kGround);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const DisplayImage& tile = tiles[i].image;
        int left = kMargin + int(i % kColumns) * cellWidth;
        int top = kMargin + int(i / kColumns) * cellHeight;
        for (int y = 0; y < std::min(tile.height, tileHeight); ++y) {
            const uint8_t* from = &tile.rgb[size_t(y) * size_t(tile.width) * 3];
            std::copy(from, from + size_t(std::min(tile.width, tileWidth)) * 3,
                      &sheet.rgb[(size_t(top + y) * size_t(sheet.width) + size_t(left)) * 3]);
        }
        for (size_t line = 0; haveFont && line < labels[i].size(); ++line) {
            font.Draw(sheet, labels[i][line], left + tileWidth / 2,
                      top + tileHeight + kMargin / 2 + int(line) * kLineHeight);
        }
    }
    return WriteDisplayImageFile(file, ImageFormat::Png, sheet.width, sheet.height,
                                 sheet.rgb.data(), error);
}
