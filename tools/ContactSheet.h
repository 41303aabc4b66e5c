#pragma once
// The contact sheet: every slot's image side by side with the slot's name and its values under
// it, so that looks can be compared at a glance.

#include "DisplayImage.h"

#include <filesystem>
#include <string>
#include <vector>

struct ContactSheetTile {
    DisplayImage image;   ///< a thumbnail; tiles of one sheet share their size
    std::string label;    ///< UTF-8, the first line
    std::string details;  ///< UTF-8, "a, b, c": broken after commas into lines that fit the tile
};

/// Up to four tiles a row, in order, on a dark ground, each label and its details centred under
/// its tile (DejaVu Sans, 14 pixels, drawn by stb_truetype).
/// Written as PNG to `file` whatever its name. Labels need the DejaVu Sans font
/// (fonts-dejavu-core); without it the sheet is written without them and `warning` says so.
/// False with a one-line reason (which does not name the file) when it cannot be written.
bool WriteContactSheet(const std::filesystem::path& file,
                       const std::vector<ContactSheetTile>& tiles, std::string* error,
                       std::string* warning);
