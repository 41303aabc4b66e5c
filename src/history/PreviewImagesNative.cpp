// Previews in the native build, which has no GDI+ and no frame buffer to grab: every capture
// yields no preview (a look is saved without one) and no bytes decode.

#include "history/PreviewImages.h"

bool CaptureFrameBufferPreview(std::vector<uint8_t>& jpeg) {
    jpeg.clear();
    return false;
}

PreviewImageSize GetPreviewImageSize(const std::vector<uint8_t>&) {
    return {};
}
