#include "ImageFiles.h"

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>

bool WriteImageFile(const std::string& path, const standalone::LatLongImage& image,
                    std::string* error) {
    auto out = OIIO::ImageOutput::create(path);
    if (!out) {
        *error = "cannot write " + path + ": " + OIIO::geterror();
        return false;
    }
    bool isFloat = path.size() > 4 && path.substr(path.size() - 4) == ".exr";
    OIIO::ImageSpec spec(image.width, image.height, 3,
                         isFloat ? OIIO::TypeDesc::HALF : OIIO::TypeDesc::UINT8);
    bool ok = out->open(path, spec);
    if (ok && isFloat) {
        ok = out->write_image(OIIO::TypeDesc::FLOAT, image.rgb.data());
    } else if (ok) {
        std::vector<unsigned char> bytes(image.rgb.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            float c = std::clamp(image.rgb[i], 0.0f, 1.0f);
            c = c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f;
            bytes[i] = static_cast<unsigned char>(std::lround(c * 255.0f));
        }
        ok = out->write_image(OIIO::TypeDesc::UINT8, bytes.data());
    }
    ok = out->close() && ok;
    if (!ok) {
        *error = "cannot write " + path + ": " + out->geterror();
    }
    return ok;
}
