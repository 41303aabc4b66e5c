#include "SlotSpheres.h"

#include "render/LitSpheres.h"

#include <algorithm>

DisplayImage BesideThumbnail(const DisplayImage& left, const DisplayImage& right) {
    constexpr int kThumbnailGap = 8;
    constexpr uint8_t kGround = 31;  // the contact sheet's, where one is shorter
    DisplayImage both{
        left.width + kThumbnailGap + right.width, std::max(left.height, right.height), {}};
    both.rgb.assign(size_t(both.width) * size_t(both.height) * 3, kGround);
    auto place = [&](const DisplayImage& part, int x0) {
        for (int y = 0; y < part.height; ++y) {
            std::copy_n(&part.rgb[size_t(y) * size_t(part.width) * 3], size_t(part.width) * 3,
                        &both.rgb[(size_t(y) * size_t(both.width) + size_t(x0)) * 3]);
        }
    };
    place(left, 0);
    place(right, left.width + kThumbnailGap);
    return both;
}

std::string SpheresFileStem(const std::string& slotStem) {
    return slotStem + "-spheres";
}

bool WriteSlotSpheres(const standalone::LatLongImage& slotImage, const std::string& slotStem,
                      StagedFiles& outputs, const std::filesystem::path& outputFolder,
                      std::optional<ImageFormat> preview, DisplayImage* thumbnail,
                      std::string* error) {
    standalone::LatLongImage spheres =
        standalone::RenderLitSpheres(slotImage, kSlotSpheresDiameter);
    const std::string stem = SpheresFileStem(slotStem);
    auto failWith = [&](const std::string& name) {
        *error = (outputFolder / name).string() + ": " + *error;
        return false;
    };
    ExrRowWriter exr;
    if (!exr.Open(outputs.Stage(stem + ".exr"), spheres.width, spheres.height, error) ||
        !exr.WriteRows(spheres, spheres.height, error) || !exr.Close(error)) {
        return failWith(stem + ".exr");
    }
    const uint8_t* display = ToneMapInPlace(spheres);
    if (thumbnail) {
        thumbnail->width = spheres.width;
        thumbnail->height = spheres.height;
        thumbnail->rgb.assign(display, display + size_t(spheres.width) * spheres.height * 3);
    }
    if (preview) {
        std::string name = stem + ImageFormatExtension(*preview);
        if (!WriteDisplayImageFile(outputs.Stage(name), *preview, spheres.width, spheres.height,
                                   display, error)) {
            return failWith(name);
        }
    }
    return true;
}
