#include "ContactSheet.h"

#include "OiioMessages.h"

#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>

#include <algorithm>
#include <system_error>

namespace {

constexpr int kColumns = 4;
constexpr int kMargin = 8;
constexpr int kLabelHeight = 24;
constexpr int kFontSize = 14;
constexpr float kGround[] = {0.12f, 0.12f, 0.12f};
constexpr float kLabelColour[] = {0.9f, 0.9f, 0.9f};

// Debian's fonts-dejavu-core.
constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

}  // namespace

bool WriteContactSheet(const std::filesystem::path& file,
                       const std::vector<ContactSheetTile>& tiles, std::string* error,
                       std::string* warning) {
    if (tiles.empty()) {
        *error = "the contact sheet has no slots";
        return false;
    }
    int tileWidth = tiles[0].image.width, tileHeight = tiles[0].image.height;
    int columns = std::min(int(tiles.size()), kColumns);
    int rows = (int(tiles.size()) + kColumns - 1) / kColumns;
    int cellWidth = tileWidth + kMargin, cellHeight = tileHeight + kLabelHeight + kMargin;
    OIIO::ImageSpec spec(columns * cellWidth + kMargin, rows * cellHeight + kMargin, 3,
                         OIIO::TypeDesc::FLOAT);
    OIIO::ImageBuf sheet(spec);
    OIIO::ImageBufAlgo::fill(sheet, kGround);

    std::error_code ec;
    bool haveFont = std::filesystem::is_regular_file(kFontFile, ec);
    if (!haveFont) {
        *warning = std::string("no font for the contact sheet's labels (") + kFontFile +
                   "; Debian package fonts-dejavu-core): written without them";
    }
    for (size_t i = 0; i < tiles.size(); ++i) {
        const ContactSheetTile& tile = tiles[i];
        int left = kMargin + int(i % kColumns) * cellWidth;
        int top = kMargin + int(i / kColumns) * cellHeight;
        OIIO::ImageBuf source(
            OIIO::ImageSpec(tile.image.width, tile.image.height, 3, OIIO::TypeDesc::UINT8),
            const_cast<uint8_t*>(tile.image.rgb.data()));
        OIIO::ImageBufAlgo::paste(sheet, left, top, 0, 0, source);
        if (haveFont &&
            !OIIO::ImageBufAlgo::render_text(
                sheet, left + tileWidth / 2, top + tileHeight + kLabelHeight - 8, tile.label,
                kFontSize, kFontFile, kLabelColour, OIIO::ImageBufAlgo::TextAlignX::Center)) {
            *warning = "the contact sheet's labels could not be drawn: " + sheet.geterror();
            haveFont = false;
        }
    }
    OIIO::ImageSpec outSpec = sheet.spec();
    outSpec.set_format(OIIO::TypeDesc::UINT8);
    std::unique_ptr<OIIO::ImageOutput> out = OIIO::ImageOutput::create("png");
    bool ok = out && out->open(file.string(), outSpec) && sheet.write(out.get());
    ok = out && out->close() && ok;
    if (!ok) {
        *error = ImageWriteError(out.get());
    }
    return ok;
}
