#pragma once
// An overview of a folder of HDR environments: one contact sheet with a cell per .hdr and .exr
// file (`zenithra sheet`).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct SheetOptions {
    std::filesystem::path folder;
    std::filesystem::path output;  ///< empty: "<folder's name>-sheet.png" in the working folder
    int threads = 0;               ///< files read at once at most; 0: one per core
    /// The decoded images held at once stay within this many bytes; a larger file is read alone.
    uint64_t memoryBudgetBytes = uint64_t(1) << 30;
};

struct SheetResult {
    bool ok = false;
    std::string error;    ///< one line, when !ok
    std::string warning;  ///< one line, or empty
    int files = 0;
    int unreadable = 0;              ///< files shown with the reason they cannot be read
    std::vector<std::string> cells;  ///< each file's name and cell text, in the sheet's order
    std::filesystem::path written;
};

/// Called once per file finished, in any order: how many are done of how many.
using SheetProgress = std::function<void(int done, int total)>;

/// Writes one PNG contact sheet of every .hdr and .exr file of the folder, in name order. Each
/// cell holds the tone-mapped thumbnail, the name and size, the dynamic range, the sun's
/// elevation or "overcast", and the exposure that brings the median to 0.18; a file that cannot
/// be read gets a cell with the reason instead and the sheet is written all the same. Fails only
/// when the folder cannot be listed, holds no such file, or the sheet cannot be written.
SheetResult RunSheetJob(const SheetOptions& options, const SheetProgress& progress = {});

/// The bytes reading and measuring a width x height image holds at its peak.
uint64_t SheetFileBytes(int width, int height);
