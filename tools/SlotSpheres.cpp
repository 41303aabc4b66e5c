#include "SlotSpheres.h"

#include "render/LitSpheres.h"

#include <algorithm>

namespace {

// The balls in one piece, RLE-compressed: the black around them is the only saving worth its
// cost in an image this small (PIZ's Huffman tables alone cost more than its pixels).
bool WriteSpheresExr(const std::filesystem::path& file, const standalone::LatLongImage& image,
                     std::string* error) {
    ExrRowWriter exr;
    return exr.Open(file, image.width, image.height, {ExrCompression::Rle, false}, error) &&
           exr.WriteRows(image, image.height, error) && exr.Close(error);
}

}  // namespace

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

SlotSpheresFiles StageSlotSpheres(StagedFiles& outputs, const std::filesystem::path& outputFolder,
                                  const std::string& slotStem,
                                  std::optional<ImageFormat> pictureFormat) {
    SlotSpheresFiles files;
    std::string stem = slotStem + "-spheres";
    files.exr = outputs.Stage(stem + ".exr");
    files.exrName = outputFolder / (stem + ".exr");
    files.pictureFormat = pictureFormat;
    if (pictureFormat) {
        std::string name = stem + ImageFormatExtension(*pictureFormat);
        files.picture = outputs.Stage(name);
        files.pictureName = outputFolder / name;
    }
    return files;
}

bool WriteSlotSpheres(const standalone::LatLongImage& slotImage, const SlotSpheresFiles& files,
                      DisplayImage* thumbnail, std::filesystem::path* failedFile,
                      std::string* error) {
    standalone::LatLongImage spheres =
        standalone::RenderLitSpheres(slotImage, kSlotSpheresDiameter);
    if (!WriteSpheresExr(files.exr, spheres, error)) {
        *failedFile = files.exrName;
        return false;
    }
    const uint8_t* display = ToneMapInPlace(spheres);
    if (thumbnail) {
        thumbnail->width = spheres.width;
        thumbnail->height = spheres.height;
        thumbnail->rgb.assign(display, display + size_t(spheres.width) * spheres.height * 3);
    }
    if (files.pictureFormat &&
        !WriteDisplayImageFile(files.picture, *files.pictureFormat, spheres.width, spheres.height,
                               display, error)) {
        *failedFile = files.pictureName;
        return false;
    }
    return true;
}
